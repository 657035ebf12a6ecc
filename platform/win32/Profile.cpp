#include "platform/win32/Profile.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {

platform::ProfileRead Win32Profile::ReadProfileString(std::string_view section, std::string_view key,
                                                            std::string_view defaultValue, std::uint32_t size,
                                                            std::string_view file) {
    platform::ProfileRead read;
    if (size == 0) return read;
    std::vector<wchar_t> buffer(size, L' ');
    const std::wstring wideSection = Widen(section);
    const std::wstring wideKey = Widen(key);
    const std::wstring wideDefault = Widen(defaultValue);
    const std::wstring wideFile = Widen(file);
    read.count = ::GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideDefault.c_str(), buffer.data(),
                                            size, wideFile.c_str());
    read.text = NarrowZ(buffer.data(), std::min<std::size_t>(read.count, buffer.size()));
    return read;
}

}  // namespace lumbra::win32
