#pragma once
// Helpers of the popup menu's Windows tests: an owner window, counts of the process's window
// system objects, and a desktop filled with generated entries.
#include <windows.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "menu/ShellMenu.h"
#include "platform/MainWindow.h"
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
    HWND get() const { return hwnd_; }
    std::uintptr_t value() const { return reinterpret_cast<std::uintptr_t>(hwnd_); }
    static void Pump();

private:
    HWND hwnd_ = nullptr;
};

// The text and the other facts of a native menu's item at a position.
std::wstring MenuText(HMENU menu, int position);
MENUITEMINFOW MenuInfo(HMENU menu, int position);

struct GuiObjects {
    long gdi = 0;   // bitmaps, DCs, fonts, brushes, ...
    long user = 0;  // icons, menus, windows, ...
    bool operator==(const GuiObjects&) const = default;
};

// GetGuiResources where the system counts them; under Wine, which does not, by walking the
// handle tables (Wine takes a bare table index for a handle), where every live menu and icon
// is found and counted once per handle value that names it.
GuiObjects CountGuiObjects();

// Entries generated in the user's desktop folder and removed again.
class GeneratedDesktop {
public:
    GeneratedDesktop() = default;
    ~GeneratedDesktop();
    GeneratedDesktop(const GeneratedDesktop&) = delete;
    GeneratedDesktop& operator=(const GeneratedDesktop&) = delete;
    std::filesystem::path AddFile(const std::wstring& name, const std::string& content = "x");
    std::filesystem::path AddFolder(const std::wstring& name);
    std::filesystem::path AddCopyOf(const std::filesystem::path& file, const std::wstring& name);
    static std::filesystem::path Folder();

private:
    std::vector<std::filesystem::path> made_;
};

// A main window that is only a handle to own the menu.
class HandleWindow final : public platform::MainWindowView {
public:
    explicit HandleWindow(std::uintptr_t handle) : handle_(handle) {}
    float Left() const override { return 0; }
    float Top() const override { return 0; }
    float Width() const override { return 0; }
    float Height() const override { return 0; }
    void SetLeft(float) override {}
    void SetTop(float) override {}
    void SetWidth(float) override {}
    void SetHeight(float) override {}
    float PanelWidth() const override { return 0; }
    float PanelHeight() const override { return 0; }
    void SetPanelWidth(float) override {}
    void SetPanelHeight(float) override {}
    platform::Scene& Panel() override { return scene_; }
    void RefreshPanel() override {}
    bool Minimised() const override { return false; }
    bool IsVisible() const override { return true; }
    void Show() override {}
    void Hide() override {}
    void SetIcon(platform::AppIcon) override {}
    std::uintptr_t IconHandle() const override { return 0; }
    std::uintptr_t Handle() const override { return handle_; }
    void MakeTopmost() override {}
    void InstallMessageHook() override {}
    std::vector<platform::TwipsRect> MonitorWorkAreas() const override { return {}; }
    void PopupDropMenu() override {}
    void PopupIconMenu(bool, bool) override {}
    void BringToFront() override {}
    void Close() override {}

private:
    std::uintptr_t handle_;
    platform::Scene scene_;
};

// The popup menu with every real part, as the program puts it together, owned by a window of
// the test's own. Clicks are counted, not run.
class RealMenu : public platform::PopupMenuEvents {
public:
    explicit RealMenu(std::uintptr_t owner);
    void objPMn_Click(std::int32_t index) override { clicks.push_back(index); }
    // The component the menu made in BuildPopupMenu.
    win32::Win32PopupMenu& Component();

    std::vector<std::int32_t> clicks;
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
    HandleWindow window;
    std::array<std::string, 5> clsids;
    std::array<std::string, 5> applets;
    menu::ShellMenu shellMenu;
};

}  // namespace lumbra::wintest
