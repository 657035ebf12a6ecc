#pragma once
// UTF-8 <-> UTF-16 at the call into Windows; the conversions themselves are in platform/Text.h.
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace lumbra::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline std::wstring Widen(std::string_view utf8) {
    std::u16string u16 = text::Utf8ToUtf16(utf8);
    return std::wstring(u16.begin(), u16.end());
}

inline std::string Narrow(std::wstring_view utf16) {
    return text::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

// Narrow of a NUL-terminated buffer (stops at the first NUL or at the end of the buffer).
inline std::string NarrowZ(const wchar_t* buffer, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && buffer[n] != L'\0') ++n;
    return Narrow(std::wstring_view(buffer, n));
}

}  // namespace lumbra::win32
