#include "platform/win32/SystemInfo.h"

#include <string>

#include "platform/Dpi.h"
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

namespace {

// The system DPI as this process sees it: the real one, since the program declares itself
// system-DPI aware. GetDpiForSystem (Windows 10 1607 and later) where it exists, the screen's
// LOGPIXELS otherwise; both stay the same for the life of the process.
void SystemDpi(int& x, int& y) {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    static const auto getDpiForSystem = reinterpret_cast<GetDpiForSystemFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
    if (getDpiForSystem != nullptr) {
        x = y = static_cast<int>(getDpiForSystem());
        return;
    }
    window_dc screen(nullptr);
    x = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    y = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
}

}  // namespace

platform::ScreenMetrics Win32SystemInfo::Screen() {
    int dpiX = 0;
    int dpiY = 0;
    SystemDpi(dpiX, dpiY);
    platform::ScreenMetrics m;
    m.dpiX = platform::UsableDpi(dpiX);
    m.dpiY = platform::UsableDpi(dpiY);
    m.twipsPerPixelX = platform::DeviceTwipsPerPixel(m.dpiX);
    m.twipsPerPixelY = platform::DeviceTwipsPerPixel(m.dpiY);
    m.widthTwips = platform::PixelsToTwips(::GetSystemMetrics(SM_CXSCREEN), m.dpiX);
    m.heightTwips = platform::PixelsToTwips(::GetSystemMetrics(SM_CYSCREEN), m.dpiY);
    return m;
}

}  // namespace lumbra::win32
