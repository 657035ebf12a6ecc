// Stored window geometry read back from the settings store, whatever was put there.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/frmMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumbra::app;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (float tpp : {15.0f, 12.0f, 10.0f}) {
        const auto value = ParseStoredSingle(text, tpp);
        if (!value) continue;
        if (!std::isfinite(*value) || std::fabs(*value) > 32767.0f * tpp) std::abort();
        // What the program writes reads back as the same number.
        const auto again = ParseStoredSingle(FormatSingle(*value), tpp);
        if (!again || *again != *value) std::abort();
    }
    return 0;
}
