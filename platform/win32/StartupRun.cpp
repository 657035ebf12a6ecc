#include "platform/win32/StartupRun.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

std::optional<std::string> Win32StartupRun::ReadValue(std::string_view name) {
    const std::wstring valueName = Widen(name);
    DWORD bytes = 0;
    // A REG_EXPAND_SZ value is read as written: %NAME% references are not expanded.
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, valueName.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                       RRF_NOEXPAND, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, valueName.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                       RRF_NOEXPAND, nullptr, buffer.data(), &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return NarrowZ(buffer.data(), buffer.size());
}

void Win32StartupRun::WriteValue(std::string_view name, std::string_view commandLine) {
    const std::wstring data = Widen(commandLine);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, Widen(name).c_str(), REG_SZ, data.c_str(),
                      static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void Win32StartupRun::DeleteValue(std::string_view name) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, Widen(name).c_str());
}

std::string Win32StartupRun::ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return Narrow(std::wstring_view(path).substr(0, n));
        path.resize(path.size() * 2);
    }
}

}  // namespace lumbra::win32
