#pragma once
// The numeric value of a text, as the settings stores hold numbers: the number at the start of
// the text (sign, digits, decimals, exponent with E or D, or a &H / &O integer), blanks, tabs
// and line feeds passed over anywhere, reading stopped at the first character that cannot
// continue the number; 0 when there is none.
#include <cstdint>
#include <optional>
#include <string_view>

namespace lumbra::desktop {

double NumericValue(std::string_view text);

// To the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// Rounded half to even and stored in the field's width; nullopt when it does not fit (or the
// value is not finite).
std::optional<std::int16_t> ToInt16(double value);
std::optional<std::int32_t> ToInt32(double value);

}  // namespace lumbra::desktop
