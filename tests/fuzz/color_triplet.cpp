// Colour texts from WIN.INI: any text gives a colour, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "desktop/modMain.h"
#include "platform/Scene.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::int32_t colour = lumbra::desktop::ParseColorTriplet(text);
    // Fewer than three blank-separated fields always means the system's desktop colour.
    std::size_t blanks = 0;
    for (char c : text) blanks += c == ' ';
    if (blanks < 2 && colour != lumbra::platform::kSystemDesktopColor) std::abort();
    return 0;
}
