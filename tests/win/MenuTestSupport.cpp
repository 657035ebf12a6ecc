#include "MenuTestSupport.h"

#include <shlobj.h>

#include <fstream>

#include "app/frmMain.h"
#include "res/resource.h"

namespace lumbra::wintest {

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 255;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return text;
}

MENUITEMINFOW MenuInfo(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return info;
}

OwnerWindow::OwnerWindow() {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = ::DefWindowProcW;
    cls.hInstance = ::GetModuleHandleW(nullptr);
    cls.lpszClassName = L"LumbraMenuTestOwner";
    ::RegisterClassExW(&cls);
    hwnd_ = ::CreateWindowExW(WS_EX_TOPMOST, L"LumbraMenuTestOwner", L"menu owner", WS_OVERLAPPEDWINDOW, 120, 90, 300,
                              200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::UpdateWindow(hwnd_);
    ::SetForegroundWindow(hwnd_);
    Pump();
}

OwnerWindow::~OwnerWindow() {
    ::DestroyWindow(hwnd_);
    Pump();
}

void OwnerWindow::Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

GuiObjects CountGuiObjects() {
    GuiObjects counts;
    counts.gdi = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
    counts.user = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS));
    if (counts.gdi != 0 || counts.user != 0) return counts;
    for (UINT i = 1; i < 0x10000; ++i) {
        const auto handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(i));
        if (::GetObjectType(static_cast<HGDIOBJ>(handle)) != 0) ++counts.gdi;
        if (::IsMenu(static_cast<HMENU>(handle))) ++counts.user;
        if (::IsWindow(static_cast<HWND>(handle))) ++counts.user;
        ICONINFO info{};
        if (::GetIconInfo(static_cast<HICON>(handle), &info)) {
            ++counts.user;
            // The copies the query made are not the icon's own.
            if (info.hbmColor) ::DeleteObject(info.hbmColor);
            if (info.hbmMask) ::DeleteObject(info.hbmMask);
        }
    }
    return counts;
}

std::filesystem::path GeneratedDesktop::Folder() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return path;
}

GeneratedDesktop::~GeneratedDesktop() {
    std::error_code ignored;
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) std::filesystem::remove_all(*it, ignored);
}

std::filesystem::path GeneratedDesktop::AddFile(const std::wstring& name, const std::string& content) {
    const std::filesystem::path path = Folder() / name;
    std::ofstream(path, std::ios::binary) << content;
    made_.push_back(path);
    return path;
}

std::filesystem::path GeneratedDesktop::AddFolder(const std::wstring& name) {
    const std::filesystem::path path = Folder() / name;
    std::filesystem::create_directories(path);
    made_.push_back(path);
    return path;
}

std::filesystem::path GeneratedDesktop::AddCopyOf(const std::filesystem::path& file, const std::wstring& name) {
    const std::filesystem::path path = Folder() / name;
    std::filesystem::copy_file(file, path, std::filesystem::copy_options::overwrite_existing);
    made_.push_back(path);
    return path;
}

RealMenu::RealMenu(std::uintptr_t owner)
    : folders(reinterpret_cast<HWND>(owner)),
      window(owner),
      shellMenu(menu::MenuServices{menus, ilsIcons, picIcon, icons, glnFile, shell, launcher, folders, codePage},
                menu::MenuOwner{registry, window, clsids, applets, *this}) {
    ilsIcons.Add(icons.ResourceIcon(IDI_DISPLAY_PROPS), "");
    for (std::size_t k = 0; k < 5; ++k) {
        clsids[k] = app::kFolderClsids[k];
        applets[k] = app::kFolderApplets[k];
    }
}

win32::Win32PopupMenu& RealMenu::Component() { return dynamic_cast<win32::Win32PopupMenu&>(*shellMenu.objPMn()); }

}  // namespace lumbra::wintest
