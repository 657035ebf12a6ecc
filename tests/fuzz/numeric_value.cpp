// The numeric value of outside text (profile and registry values) and its narrowing to fields.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "desktop/NumericValue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumbra::desktop;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = NumericValue(text);
    if (std::isnan(value)) std::abort();  // a number or an infinity, never NaN

    const double rounded = RoundHalfEven(value);
    if (std::isfinite(value) && (std::fabs(rounded - value) > 0.5 || RoundHalfEven(rounded) != rounded)) std::abort();

    if (auto narrow = ToInt16(value)) {
        if (static_cast<double>(*narrow) != rounded) std::abort();
    }
    if (auto wide = ToInt32(value)) {
        if (static_cast<double>(*wide) != rounded) std::abort();
        if (!ToInt16(value) && *wide >= -32768 && *wide <= 32767) std::abort();
    }
    return 0;
}
