#include "fakes/HostCodePage932.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <stdexcept>

#include "platform/Text.h"

namespace lumbra::fakes {

std::size_t HostCodePage932::Cp932ByteCount(std::string_view utf8) {
    // One conversion per unit ever met: the fuzz targets count millions of captions.
    static std::array<std::uint8_t, 0x10000> known{};
    static const iconv_t cd = [] {
        const iconv_t opened = ::iconv_open("CP932", "UTF-8");
        if (opened == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP932");
        return opened;
    }();
    std::size_t bytes = 0;
    for (char16_t unit : text::Utf8ToUtf16(utf8)) {
        std::uint8_t& n = known[unit];
        if (n == 0) {
            // A surrogate or a unit the code page lacks becomes one "?".
            std::string in = unit >= 0xD800 && unit <= 0xDFFF ? "" : text::Utf16ToUtf8(std::u16string(1, unit));
            char out[8];
            char* inPtr = in.data();
            char* outPtr = out;
            std::size_t inLeft = in.size(), outLeft = sizeof out;
            ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const bool converted = !in.empty() && ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
            n = static_cast<std::uint8_t>(converted && outLeft < sizeof out ? sizeof out - outLeft : 1);
        }
        bytes += n;
    }
    return bytes;
}

}  // namespace lumbra::fakes
