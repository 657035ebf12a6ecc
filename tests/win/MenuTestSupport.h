#pragma once
// Helpers of the popup menu's Windows tests and benchmark: an owner window, a desktop filled with
// generated entries, and the menu put together from every real part.
#include <windows.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "menu/ShellMenu.h"
#include "platform/win32/MenuIcons.h"
#include "platform/win32/PopupMenu.h"
#include "platform/win32/Registry.h"
#include "platform/win32/ShellFolder.h"
#include "platform/win32/ShellLauncher.h"
#include "platform/win32/ShellServices.h"

namespace lumbra::wintest {

// A plain top-level window that owns the menu, shown and in the foreground like the program's.
class OwnerWindow {
public:
    OwnerWindow();
    ~OwnerWindow();
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    std::uintptr_t value() const { return reinterpret_cast<std::uintptr_t>(hwnd_); }
    static void Pump();

private:
    HWND hwnd_ = nullptr;
};

// Entries generated in a folder (the user's desktop folder by default) and removed again.
class GeneratedDesktop {
public:
    explicit GeneratedDesktop(std::filesystem::path folder = Folder()) : folder_(std::move(folder)) {}
    ~GeneratedDesktop();
    GeneratedDesktop(const GeneratedDesktop&) = delete;
    GeneratedDesktop& operator=(const GeneratedDesktop&) = delete;
    std::filesystem::path AddFile(const std::wstring& name, const std::string& content = "x");
    std::filesystem::path AddFolder(const std::wstring& name);
    static std::filesystem::path Folder();

private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> made_;
};

// The popup menu with every real part, as the program puts it together, owned by a window of
// the test's own. Choices are noted, not run; folders' sub-menus are filled by the menu.
class RealMenu : public platform::PopupMenuEvents {
public:
    explicit RealMenu(std::uintptr_t owner);
    void objPMn_Click(std::int32_t index) override { clicks.push_back(index); }
    std::vector<platform::MenuEntry> objPMn_FolderPopup(std::string_view f) override { return shellMenu.objPMn_FolderPopup(f); }
    void objPMn_EntryClick(std::string_view path) override { entries.emplace_back(path); }
    void objPMn_EntryMenu(std::string_view path, std::int32_t, std::int32_t) override { entries.push_back("menu:" + std::string(path)); }
    // The component the menu made in BuildPopupMenu.
    win32::Win32PopupMenu& Component() { return dynamic_cast<win32::Win32PopupMenu&>(*shellMenu.objPMn()); }

    std::vector<std::int32_t> clicks;
    std::vector<std::string> entries;  // sub-menu entries chosen; "menu:" and the path for a shell menu
    win32::Win32CodePage932 codePage;
    win32::Win32PopupMenuFactory menus{codePage};
    win32::Win32IconSource icons{::GetModuleHandleW(nullptr)};
    win32::Win32ImageList ilsIcons;
    win32::Win32IconCanvas picIcon;
    win32::Win32FileLister glnFile;
    win32::Win32Shell shell;
    win32::Win32ShellLauncher launcher;
    win32::Win32ShellFolder folders;
    win32::Win32Registry registry;
    std::array<std::string, 5> clsids;
    std::array<std::string, 5> applets;
    menu::ShellMenu shellMenu;
};

}  // namespace lumbra::wintest
