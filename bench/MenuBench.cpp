// The popup menu's costs with 300 files and a folder of 1,000 files on the desktop: the top menu's
// first showing and the later ones (whose entries' pictures are kept), the folder's sub-menu at
// its first and second opening, and the window system objects over many showings.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "Bench.h"
#include "GuiObjects.h"
#include "MenuTestSupport.h"
#include "platform/win32/Handles.h"

namespace lumbra::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDesktopFiles = 300;
constexpr int kFolderFiles = 1000;
constexpr int kRuns = 5;
constexpr int kLongShowings = 100;
constexpr UINT_PTR kTimingSubclass = 0x4D42;  // "MB"

double SecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// The processor time this process has used: on a loaded machine a steadier measure of the work
// than the time on the clock.
double ProcessSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

// One showing, timed from the call until the menu is on screen and, when asked, from its
// first sub-menu's WM_INITMENUPOPUP until that sub-menu is on screen too (the next idle moment
// of the menu loop). The keys End and Right open the last desktop entry's sub-menu.
struct Showing {
    double preparation = 0;  // ShowPopupMenu until ShowAt
    double top = 0;          // ShowPopupMenu until the menu is open
    double topWork = 0;      // the same in processor time
    double subMenu = 0;      // the sub-menu's opening
    double subMenuWork = 0;  // the same in processor time
    double preparationWork = 0;  // processor time until ShowAt: the top menu's entries and the rest
    double entriesWork = 0;      // processor time of the sub-menu's entries (listing, pictures, names)
    Clock::time_point subMenuAsked;
    double subMenuAskedWork = 0;
};

LRESULT CALLBACK TimeSubMenu(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) noexcept {
    auto* showing = reinterpret_cast<Showing*>(data);
    if (message == WM_INITMENUPOPUP && showing->subMenuAsked == Clock::time_point{}) {
        showing->subMenuAsked = Clock::now();
        showing->subMenuAskedWork = ProcessSeconds();
    } else if (message == WM_ENTERIDLE && showing->subMenuAsked != Clock::time_point{} && showing->subMenu == 0) {
        showing->subMenu = SecondsBetween(showing->subMenuAsked, Clock::now());
        showing->subMenuWork = ProcessSeconds() - showing->subMenuAskedWork;
        ::EndMenu();
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

// The component as the program makes it, with the moment ShowAt is entered taken down.
class TimedPopupMenu final : public platform::PopupMenu {
public:
    TimedPopupMenu(platform::PopupMenuEvents& events, platform::CodePageCounter& codePage) : inner(events, codePage) {}
    void SetImageSource(platform::ImageList& images) override { inner.SetImageSource(images); }
    void SetOwnerWindow(std::uintptr_t window) override { inner.SetOwnerWindow(window); }
    std::int32_t AppendItem(std::string_view caption, std::string_view helpText, std::int32_t itemData,
                            std::int32_t parent, std::int32_t image, bool checked, bool enabled,
                            std::string_view key) override {
        return inner.AppendItem(caption, helpText, itemData, parent, image, checked, enabled, key);
    }
    std::int32_t FindItemByKey(std::string_view key) override { return inner.FindItemByKey(key); }
    void SaveItems(std::string_view name) override { inner.SaveItems(name); }
    void ResetItems() override { inner.ResetItems(); }
    void LoadSavedItems(std::string_view name) override { inner.LoadSavedItems(name); }
    void SetItemEnabled(std::int32_t index, bool enabled) override { inner.SetItemEnabled(index, enabled); }
    void SetItemIcon(std::int32_t index, std::int32_t image) override { inner.SetItemIcon(index, image); }
    void SetItemEntry(std::int32_t index, std::string_view path, bool folder) override {
        inner.SetItemEntry(index, path, folder);
    }
    std::int32_t ShowAt(std::int32_t x, std::int32_t y, std::int32_t alignment, std::int32_t excludeWidth,
                        std::int32_t excludeHeight, std::int32_t reserved, std::int32_t defaultItem) override {
        entered = Clock::now();
        if (enteredShowAt) enteredShowAt();
        return inner.ShowAt(x, y, alignment, excludeWidth, excludeHeight, reserved, defaultItem);
    }
    void SetAnchor(platform::MenuAnchor anchor) override { inner.SetAnchor(anchor); }

    win32::Win32PopupMenu inner;
    Clock::time_point entered;
    std::function<void()> enteredShowAt;
};

class TimedFactory final : public platform::PopupMenuFactory {
public:
    explicit TimedFactory(platform::CodePageCounter& codePage) : codePage_(codePage) {}
    std::unique_ptr<platform::PopupMenu> CreatePopupMenu(platform::PopupMenuEvents& events) override {
        auto menu = std::make_unique<TimedPopupMenu>(events, codePage_);
        last = menu.get();
        menu->enteredShowAt = [this] {
            if (enteredShowAt) enteredShowAt();
        };
        return menu;
    }
    TimedPopupMenu* last = nullptr;
    std::function<void()> enteredShowAt;

private:
    platform::CodePageCounter& codePage_;
};

// The program's menu with every real part; only the component takes down its times.
struct TimedMenu : platform::PopupMenuEvents {
    explicit TimedMenu(std::uintptr_t owner) : real(owner), ownerWindow(owner) { shellMenu.BuildPopupMenu(); }
    void objPMn_Click(std::int32_t) override {}
    std::vector<platform::MenuEntry> objPMn_FolderPopup(std::string_view folder) override {
        const double start = ProcessSeconds();
        std::vector<platform::MenuEntry> entries = shellMenu.objPMn_FolderPopup(folder);
        entriesWork = ProcessSeconds() - start;
        return entries;
    }
    void objPMn_EntryClick(std::string_view) override {}
    void objPMn_EntryMenu(std::string_view, std::int32_t, std::int32_t) override {}
    double entriesWork = 0;  // processor time of the last sub-menu's entries: listing, pictures, names

    Showing Show(bool openSubMenu) {
        Showing showing;
        const Clock::time_point start = Clock::now();
        const double startWork = ProcessSeconds();
        double preparationWork = 0;
        factory.enteredShowAt = [&] { preparationWork = ProcessSeconds() - startWork; };
        factory.last->inner.onOpen = [&](HWND owner) {
            showing.top = SecondsBetween(start, Clock::now());
            showing.topWork = ProcessSeconds() - startWork;
            if (!openSubMenu) {
                ::EndMenu();
                return;
            }
            ::SetWindowSubclass(owner, &TimeSubMenu, kTimingSubclass, reinterpret_cast<DWORD_PTR>(&showing));
            ::PostMessageW(owner, WM_KEYDOWN, VK_END, 1);
            ::PostMessageW(owner, WM_KEYDOWN, VK_RIGHT, 1);
        };
        const UINT_PTR guard = ::SetTimer(nullptr, 0, 300000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
        shellMenu.ShowPopupMenu(0, 0);
        ::KillTimer(nullptr, guard);
        ::RemoveWindowSubclass(reinterpret_cast<HWND>(ownerWindow), &TimeSubMenu, kTimingSubclass);
        showing.preparation = SecondsBetween(start, factory.last->entered);
        showing.preparationWork = preparationWork;
        showing.entriesWork = entriesWork;
        return showing;
    }

    wintest::RealMenu real;
    std::uintptr_t ownerWindow;
    TimedFactory factory{real.codePage};
    menu::ShellMenu shellMenu{menu::MenuServices{factory, real.ilsIcons, real.picIcon, real.icons, real.glnFile,
                                                 real.shell, real.launcher, real.folders, real.codePage},
                              menu::MenuOwner{real.registry, ownerWindow, real.clsids, real.applets, *this}};
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

LUMBRA_BENCHMARK(MenuShowing, "menu", "the popup menu with 300 files and a folder of 1,000 on the desktop") {
    win32::com_apartment com;
    wintest::OwnerWindow owner;
    wintest::GeneratedDesktop desktop;
    // Text, pictures, web pages and a type nobody knows: every one needs the shell's icon.
    const wchar_t* kinds[] = {L".txt", L".bmp", L".html", L".zzq"};
    for (int i = 0; i < kDesktopFiles; ++i) {
        desktop.AddFile(L"bench " + std::to_wstring(1000 + i) + kinds[i % 4], "benchmark entry " + std::to_string(i));
    }
    // The desktop's last entry, so that End and Right open it.
    wintest::GeneratedDesktop folder(desktop.AddFolder(L"~bench folder"));
    for (int i = 0; i < kFolderFiles; ++i) {
        folder.AddFile(L"entry " + std::to_wstring(10000 + i) + kinds[i % 4], "folder entry " + std::to_string(i));
    }
    report.Count("desktop entries", kDesktopFiles, "files and the folder");
    report.Count("entries of the folder", kFolderFiles, "files");

    // Each run starts with a new menu, whose first showing finds no picture kept.
    std::vector<double> top, topWork, sub, subWork, subAgain, subAgainWork, preparation, preparationAgain;
    for (int run = 1; run <= kRuns; ++run) {
        TimedMenu menu(owner.value());
        const Showing first = menu.Show(true);
        const Showing second = menu.Show(true);
        if (menu.shellMenu.userFileCount != kDesktopFiles || first.subMenu == 0 || second.subMenu == 0) {
            report.Note("the desktop or the folder's sub-menu did not show as generated");
            return 1;
        }
        const std::string label = "run " + std::to_string(run) + ": ";
        auto work = [](double seconds) { return std::to_string(static_cast<int>(seconds * 1000.0 + 0.5)) + " ms processor"; };
        report.Time(label + "top menu, first showing (until on screen)", first.top, work(first.topWork));
        report.Time(label + "top menu, second showing", second.top, work(second.topWork));
        report.Time(label + "folder's sub-menu, first opening", first.subMenu, work(first.subMenuWork));
        report.Time(label + "  processor time before ShowAt / of the sub-menu's entries", first.preparationWork,
                    work(first.entriesWork));
        report.Time(label + "folder's sub-menu, second opening", second.subMenu, work(second.subMenuWork));
        top.push_back(first.top);
        topWork.push_back(first.topWork);
        sub.push_back(first.subMenu);
        subWork.push_back(first.subMenuWork);
        subAgain.push_back(second.subMenu);
        subAgainWork.push_back(second.subMenuWork);
        preparation.push_back(first.preparation);
        preparationAgain.push_back(second.preparation);
    }
    // Medians of the runs; the same work per entry would give 1,000 / 300 = 3.3 x. On a loaded
    // machine the clock measures the waiting as much as the work: the processor time is steadier.
    report.Ratio("sub-menu's first opening / top menu's first showing", Median(sub), Median(top), 4.0);
    report.Ratio("  the same in processor time", Median(subWork), Median(topWork), 4.0);
    report.Ratio("sub-menu's second opening / its first", Median(subAgain), Median(sub), 0.25, true);
    report.Ratio("  the same in processor time", Median(subAgainWork), Median(subWork), 0.25, true);
    report.Ratio("top menu's second preparation / its first", Median(preparationAgain), Median(preparation), 0.25, true);

    // One menu shown many times: what it makes, it gives back.
    TimedMenu menu(owner.value());
    for (int i = 0; i < 3; ++i) menu.Show(false);
    wintest::OwnerWindow::Pump();
    const GuiObjects before = CountGuiObjects();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kLongShowings; ++i) menu.Show(false);
    wintest::OwnerWindow::Pump();
    const GuiObjects after = CountGuiObjects();
    report.Time(std::to_string(kLongShowings) + " showings, each", SecondsBetween(start, Clock::now()) / kLongShowings);
    report.Count("GDI objects before those showings / after", before.gdi, "/ " + std::to_string(after.gdi));
    report.Count("USER objects before those showings / after", before.user, "/ " + std::to_string(after.user));
    report.Note(before == after ? "window system objects flat" : "window system objects NOT flat");
    return 0;
}

}  // namespace lumbra::bench
