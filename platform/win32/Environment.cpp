#include "platform/win32/Environment.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {

std::string Win32Environment::ExpandVariables(std::string_view text) {
    const std::wstring source = Widen(text);
    std::vector<wchar_t> buffer(source.size() + 64);
    // The needed size may grow between calls if another part of the process changes a variable.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = ::ExpandEnvironmentStringsW(source.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) return std::string(text);
        if (needed <= buffer.size()) return NarrowZ(buffer.data(), buffer.size());
        buffer.assign(needed, L'\0');
    }
    return std::string(text);
}

}  // namespace lumbra::win32
