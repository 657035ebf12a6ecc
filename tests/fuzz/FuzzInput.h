#pragma once
// Shapes a fuzz input into the texts a target needs. Lines keep the committed corpus readable: a
// file there is the texts one per line, in the order the target names them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"

namespace lumbra::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The parts of the text between the separators (a text without one is one part).
inline std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

// What Windows hands the program for any text: well-formed UTF-8 (the program's text always comes
// through UTF-16 from the system).
inline std::string WellFormed(std::string_view bytes) { return text::Utf16ToUtf8(text::Utf8ToUtf16(bytes)); }

// Fails the run with the broken rule; libFuzzer then reports the input that got here.
[[noreturn]] inline void Failed(const char* rule, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: does not hold: %s\n", file, line, rule);
    std::abort();
}

}  // namespace lumbra::fuzz

#define FUZZ_CHECK(rule) ((rule) ? static_cast<void>(0) : ::lumbra::fuzz::Failed(#rule, __FILE__, __LINE__))
