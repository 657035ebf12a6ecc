#pragma once
// UTF-8 inside the program, UTF-16 at the boundary to Windows. The conversions live here, portable
// and tested on the host; the Win32 layer wraps them for wchar_t.
#include <string>
#include <string_view>

namespace lumbra::text {

// Invalid UTF-8 (stray continuation bytes, overlong forms, surrogates, truncated sequences)
// becomes U+FFFD, one per maximal invalid subpart.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// Each byte taken as the code point of the same value (Latin-1); used for raw registry bytes.
std::string Latin1ToUtf8(std::string_view bytes);

// Number of UTF-16 code units the text needs.
std::size_t Utf16Length(std::string_view utf8);

// Bytes of the character that starts at utf8[at]: its whole sequence, or the maximal invalid
// subpart that Utf8ToUtf16 turns into one U+FFFD. Text cut at these lengths converts to exactly
// the units of the whole.
std::size_t CharacterBytes(std::string_view utf8, std::size_t at);

}  // namespace lumbra::text
