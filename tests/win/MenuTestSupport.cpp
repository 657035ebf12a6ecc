#include "MenuTestSupport.h"

#include <shlobj.h>

#include <fstream>

#include "app/frmMain.h"
#include "res/resource.h"

namespace lumbra::wintest {

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
    ::SetForegroundWindow(hwnd_);
    Pump();
}

OwnerWindow::~OwnerWindow() {
    ::DestroyWindow(hwnd_);
    Pump();
}

void OwnerWindow::Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
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
    made_.push_back(folder_ / name);
    std::ofstream(made_.back(), std::ios::binary) << content;
    return made_.back();
}

std::filesystem::path GeneratedDesktop::AddFolder(const std::wstring& name) {
    made_.push_back(folder_ / name);
    std::filesystem::create_directories(made_.back());
    return made_.back();
}

RealMenu::RealMenu(std::uintptr_t owner)
    : folders(reinterpret_cast<HWND>(owner)),
      shellMenu(menu::MenuServices{menus, ilsIcons, picIcon, icons, glnFile, shell, launcher, folders, codePage},
                menu::MenuOwner{registry, owner, clsids, applets, *this}) {
    ilsIcons.Add(icons.ResourceIcon(IDI_DISPLAY_PROPS), "");
    for (std::size_t k = 0; k < 5; ++k) {
        clsids[k] = app::kFolderClsids[k];
        applets[k] = app::kFolderApplets[k];
    }
}

}  // namespace lumbra::wintest
