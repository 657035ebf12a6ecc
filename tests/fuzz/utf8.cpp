// UTF-8 and UTF-16 conversions over arbitrary bytes: well-formed output, stable round trips.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumbra::text;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string units = Utf8ToUtf16(bytes);
    if (units.size() != Utf16Length(bytes)) std::abort();
    const std::string clean = Utf16ToUtf8(units);
    if (Utf8ToUtf16(clean) != units) std::abort();  // repaired text is a fixed point
    if (clean.size() > 3 * size) std::abort();

    std::u16string raw;
    for (std::size_t i = 0; i + 1 < size; i += 2) raw.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    const std::string fromRaw = Utf16ToUtf8(raw);
    if (Utf16ToUtf8(Utf8ToUtf16(fromRaw)) != fromRaw) std::abort();
    return 0;
}
