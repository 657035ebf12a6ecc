#include "platform/win32/Settings.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

std::wstring SectionPath(std::string_view app, std::string_view section) {
    std::wstring path = L"Software\\VB and VBA Program Settings\\";
    path += Widen(app);
    path += L'\\';
    path += Widen(section);
    return path;
}

}  // namespace

std::optional<std::string> Win32Settings::GetSetting(std::string_view app, std::string_view section,
                                                     std::string_view key) {
    unique_hkey hkey;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(app, section).c_str(), 0, KEY_QUERY_VALUE, hkey.put()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::wstring name = Widen(key);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (::RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return NarrowZ(buffer.data(), bytes / sizeof(wchar_t));
}

void Win32Settings::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                std::string_view value) {
    unique_hkey hkey;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(app, section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, hkey.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring name = Widen(key);
    const std::wstring data = Widen(value);
    ::RegSetValueExW(hkey.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

}  // namespace lumbra::win32
