// DefaultIcon values from the registry: every value gives a file and an index, split at the last
// comma only, the file passed on untouched.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "FuzzInput.h"
#include "menu/DefaultIcon.h"

namespace {

bool IsNumberBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsNumberBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsNumberBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A last part that is only a decimal whole number of up to nine digits (blanks around, a sign in
// front) names that index; read here with the standard library, not the program's number reader.
std::optional<std::int32_t> PlainIndex(std::string_view part) {
    part = TrimBlanks(part);
    bool negative = false;
    if (!part.empty() && (part.front() == '+' || part.front() == '-')) {
        negative = part.front() == '-';
        part.remove_prefix(1);
    }
    if (part.empty() || part.size() > 9) return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc() || end != part.data() + part.size() || part.front() == '+' || part.front() == '-') {
        return std::nullopt;
    }
    return negative ? -value : value;
}

// Whether the part can begin a number at all: a digit, a sign, a decimal point, or &H / &O.
bool CanStartNumber(std::string_view part) {
    std::size_t i = 0;
    while (i < part.size() && IsNumberBlank(part[i])) ++i;
    if (i == part.size()) return false;
    const char c = part[i];
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == '&';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view value = lumbra::fuzz::AsText(data, size);
    const lumbra::menu::IconLocation location = lumbra::menu::SplitDefaultIcon(value);

    const std::size_t comma = value.rfind(',');
    if (comma == std::string_view::npos) {
        FUZZ_CHECK(location.file == value);
        FUZZ_CHECK(location.index == 0);
        return 0;
    }
    // The file is everything before the last comma, exactly as it stood.
    FUZZ_CHECK(location.file == value.substr(0, comma));
    const std::string_view last = value.substr(comma + 1);
    if (const auto plain = PlainIndex(last)) FUZZ_CHECK(location.index == *plain);
    if (!CanStartNumber(last)) FUZZ_CHECK(location.index == 0);
    return 0;
}
