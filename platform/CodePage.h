#pragma once
// Byte lengths of text in code page 932, the Japanese multi-byte code page the menu captions are
// counted in. A character the code page cannot hold counts as its replacement "?", one byte for
// every UTF-16 unit.
#include <cstddef>
#include <string_view>

namespace lumbra::platform {

class CodePageCounter {
public:
    virtual ~CodePageCounter() = default;
    virtual std::size_t Cp932ByteCount(std::string_view utf8) = 0;
};

}  // namespace lumbra::platform
