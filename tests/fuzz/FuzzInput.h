#pragma once
// Shapes a fuzz input into the texts a target needs. Structured inputs are lines, so that a file
// of the committed corpus reads as the texts it stands for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"

namespace lumbra::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) { return {reinterpret_cast<const char*>(data), size}; }

// The parts of the text between the separators (a text without one is one part).
inline std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0, at = 0; at != std::string_view::npos; start = at + 1)
        parts.push_back(text.substr(start, (at = text.find(separator, start)) - start));
    return parts;
}

// What Windows hands the program for any text: well-formed UTF-8 (it always comes through UTF-16).
inline std::string WellFormed(std::string_view bytes) { return text::Utf16ToUtf8(text::Utf8ToUtf16(bytes)); }

// Fails the run with the broken rule; libFuzzer then reports the input that got here.
[[noreturn]] inline void Failed(const char* rule, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: does not hold: %s\n", file, line, rule);
    std::abort();
}

}  // namespace lumbra::fuzz

#define FUZZ_CHECK(rule) ((rule) ? static_cast<void>(0) : ::lumbra::fuzz::Failed(#rule, __FILE__, __LINE__))
