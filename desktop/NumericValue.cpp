#include "desktop/NumericValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace lumbra::desktop {
namespace {

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The text with the skipped characters taken out, so the number can be read in one pass.
std::string Squeeze(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!IsSkipped(c)) out.push_back(c);
    }
    return out;
}

int DigitValue(char c, int radix) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    return d < radix ? d : -1;
}

// &H and &O integers take the narrowest of 16 and 32 bits that holds their digits, as two's
// complement: &HFFFF is -1, &H10000 is 65536.
double RadixValue(std::string_view s, int radix) {
    std::uint64_t value = 0;  // no digits at all read as 0
    for (char c : s) {
        int d = DigitValue(c, radix);
        if (d < 0) break;
        if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(d)) / radix) {
            return std::numeric_limits<double>::infinity();
        }
        value = value * radix + static_cast<unsigned>(d);
    }
    if (value <= 0xFFFFu) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    if (value <= 0xFFFFFFFFu) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<double>(value);
}

}  // namespace

double NumericValue(std::string_view text) {
    const std::string s = Squeeze(text);
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return RadixValue(std::string_view(s).substr(2), 16);
        if (s[1] == 'O' || s[1] == 'o') return RadixValue(std::string_view(s).substr(2), 8);
        return 0.0;
    }

    // Collect the longest prefix of the form [sign] digits [. digits] [E|D [sign] digits] in a
    // normalised form that from_chars reads the same in every locale.
    std::string number;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') number.push_back('-');
        ++i;
    }
    bool mantissaDigits = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        number.push_back(s[i++]);
        mantissaDigits = true;
    }
    if (i < s.size() && s[i] == '.') {
        std::string fraction;
        std::size_t j = i + 1;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') fraction.push_back(s[j++]);
        if (!fraction.empty()) {
            if (!mantissaDigits) number.push_back('0');
            number += '.';
            number += fraction;
            mantissaDigits = true;
        }
        i = j;
    }
    if (!mantissaDigits) return 0.0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        bool expDigits = false;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            exponent.push_back(s[j++]);
            expDigits = true;
        }
        if (expDigits) number += exponent;
    }

    double value = 0.0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Beyond a double: infinite when the magnitude is huge (no field holds it), zero when tiny.
        std::size_t e = number.find('e');
        std::string_view mantissa = std::string_view(number).substr(0, e);
        if (!mantissa.empty() && mantissa[0] == '-') mantissa.remove_prefix(1);
        long long magnitude = 0;  // decimal exponent of the leading digit, roughly
        std::size_t dot = mantissa.find('.');
        std::string_view whole = mantissa.substr(0, dot);
        while (!whole.empty() && whole[0] == '0') whole.remove_prefix(1);
        magnitude = static_cast<long long>(whole.size());
        if (whole.empty() && dot != std::string_view::npos) {
            // 0.000ddd: the leading digit sits after the zeros of the fraction.
            std::string_view fraction = mantissa.substr(dot + 1);
            long long zeros = 0;
            while (zeros < static_cast<long long>(fraction.size()) && fraction[static_cast<std::size_t>(zeros)] == '0') ++zeros;
            magnitude = -zeros;
        }
        if (e != std::string::npos) {
            long long exp = 0;
            const bool negative = number[e + 1] == '-';
            auto parsed = std::from_chars(number.data() + e + 1 + (number[e + 1] == '+' ? 1 : 0),
                                          number.data() + number.size(), exp);
            if (parsed.ec == std::errc::result_out_of_range) exp = negative ? -1000000 : 1000000;
            magnitude += std::clamp(exp, -1000000LL, 1000000LL);
        }
        if (magnitude <= 0) return 0.0;
        return number[0] == '-' ? -std::numeric_limits<double>::infinity()
                                : std::numeric_limits<double>::infinity();
    }
    return value;
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::optional<std::int16_t> ToInt16(double value) {
    const double r = RoundHalfEven(value);
    if (!std::isfinite(r) || r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> ToInt32(double value) {
    const double r = RoundHalfEven(value);
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

}  // namespace lumbra::desktop
