#pragma once
// Code page 932 byte counts on the host, through the C library's converter (iconv), counted the
// way the Windows counter counts: the text goes to UTF-16 first (invalid UTF-8 becoming U+FFFD),
// every unit the code page holds takes its one or two bytes, and every other unit, a surrogate of
// a character beyond the BMP included, takes one "?".
#include <cstddef>
#include <string_view>

#include "platform/CodePage.h"

namespace lumbra::fakes {

class HostCodePage932 final : public platform::CodePageCounter {
public:
    std::size_t Cp932ByteCount(std::string_view utf8) override;
};

}  // namespace lumbra::fakes
