#include "fakes/HostCodePage932.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/Text.h"

namespace lumbra::fakes {
namespace {

// Bytes of one UTF-16 unit in code page 932; 1 for a unit the code page lacks.
std::size_t UnitBytes(iconv_t cd, char16_t unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) return 1;
    std::string in = text::Utf16ToUtf8(std::u16string(1, unit));
    std::size_t inLeft = in.size();
    char out[8];
    char* inPtr = in.data();
    char* outPtr = out;
    std::size_t outLeft = sizeof out;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return 1;
    const std::size_t bytes = sizeof out - outLeft;
    return bytes == 0 ? 1 : bytes;
}

}  // namespace

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
        if (n == 0) n = static_cast<std::uint8_t>(UnitBytes(cd, unit));
        bytes += n;
    }
    return bytes;
}

}  // namespace lumbra::fakes
