#include "platform/win32/SystemInfo.h"

#include <string>

#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {

std::wstring ArgumentsOf(std::wstring_view commandLine) {
    std::size_t i = 0;
    // The program name ends at the closing quote when quoted, otherwise at the first blank.
    if (i < commandLine.size() && commandLine[i] == L'"') {
        std::size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
    return std::wstring(commandLine.substr(i));
}

std::string Win32SystemInfo::CommandLine() { return Narrow(ArgumentsOf(::GetCommandLineW())); }

std::string Win32SystemInfo::ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    // A root keeps its backslash ("C:\"), any other folder loses it.
    std::size_t keep = (slash == 2 && path[1] == L':') ? slash + 1 : slash;
    return Narrow(std::wstring_view(path).substr(0, keep));
}

platform::ScreenMetrics Win32SystemInfo::Screen() {
    window_dc screen(nullptr);
    const int dpiX = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    const int dpiY = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    platform::ScreenMetrics m;
    m.twipsPerPixelX = 1440.0f / static_cast<float>(dpiX > 0 ? dpiX : 96);
    m.twipsPerPixelY = 1440.0f / static_cast<float>(dpiY > 0 ? dpiY : 96);
    m.widthTwips = static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)) * m.twipsPerPixelX;
    m.heightTwips = static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)) * m.twipsPerPixelY;
    return m;
}

}  // namespace lumbra::win32
