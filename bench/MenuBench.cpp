// The popup menu's costs with 300 files on the desktop: preparing a showing (recycle bins,
// listing, every entry's icon and caption) the first time and the times after, when the entries'
// pictures are kept; the native menu itself; and the window system objects over a thousand
// showings.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "Bench.h"
#include "MenuTestSupport.h"
#include "platform/win32/Handles.h"

namespace lumbra::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDesktopFiles = 300;
constexpr int kRuns = 3;
constexpr int kShowingsPerRun = 5;
constexpr int kLongShowings = 1000;

double SecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// The component as the program makes it, with the moment ShowAt is entered taken down: what
// comes before it is the preparation, the rest the native menu (closed as soon as it is open).
class TimedPopupMenu final : public platform::PopupMenu {
public:
    TimedPopupMenu(platform::PopupMenuEvents& events, platform::CodePageCounter& codePage) : inner(events, codePage) {
        inner.onOpen = [](HWND) { ::EndMenu(); };
    }
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
        const std::int32_t chosen = inner.ShowAt(x, y, alignment, excludeWidth, excludeHeight, reserved, defaultItem);
        left = Clock::now();
        return chosen;
    }
    void SetAnchor(platform::MenuAnchor anchor) override { inner.SetAnchor(anchor); }

    win32::Win32PopupMenu inner;
    Clock::time_point entered;
    Clock::time_point left;
};

class TimedFactory final : public platform::PopupMenuFactory {
public:
    explicit TimedFactory(platform::CodePageCounter& codePage) : codePage_(codePage) {}
    std::unique_ptr<platform::PopupMenu> CreatePopupMenu(platform::PopupMenuEvents& events) override {
        auto menu = std::make_unique<TimedPopupMenu>(events, codePage_);
        last = menu.get();
        return menu;
    }
    TimedPopupMenu* last = nullptr;

private:
    platform::CodePageCounter& codePage_;
};

struct Showing {
    double preparation = 0;  // seconds from ShowPopupMenu to ShowAt
    double menu = 0;         // seconds in ShowAt
};

// The program's menu with every real part; only the component takes down its times.
struct TimedMenu : platform::PopupMenuEvents {
    explicit TimedMenu(std::uintptr_t owner) : real(owner), ownerWindow(owner) { shellMenu.BuildPopupMenu(); }
    void objPMn_Click(std::int32_t) override {}
    std::vector<platform::MenuEntry> objPMn_FolderPopup(std::string_view folder) override {
        return shellMenu.objPMn_FolderPopup(folder);
    }
    void objPMn_EntryClick(std::string_view) override {}
    void objPMn_EntryMenu(std::string_view, std::int32_t, std::int32_t) override {}
    Showing Show() {
        const Clock::time_point start = Clock::now();
        shellMenu.ShowPopupMenu(0, 0);
        return {SecondsBetween(start, factory.last->entered), SecondsBetween(factory.last->entered, factory.last->left)};
    }

    wintest::RealMenu real;
    std::uintptr_t ownerWindow;
    TimedFactory factory{real.codePage};
    menu::ShellMenu shellMenu{menu::MenuServices{factory, real.ilsIcons, real.picIcon, real.icons, real.glnFile,
                                                 real.shell, real.launcher, real.folders, real.codePage},
                              menu::MenuOwner{real.registry, ownerWindow, real.clsids, real.applets, *this}};
};

}  // namespace

LUMBRA_BENCHMARK(MenuShowing, "menu", "the popup menu with 300 files on the desktop") {
    win32::com_apartment com;
    wintest::OwnerWindow owner;
    wintest::GeneratedDesktop desktop;
    // Text, pictures, web pages and a type nobody knows: every one needs the icon fallbacks.
    const wchar_t* kinds[] = {L".txt", L".bmp", L".html", L".zzq"};
    for (int i = 0; i < kDesktopFiles; ++i) {
        desktop.AddFile(L"bench " + std::to_wstring(1000 + i) + kinds[i % 4], "benchmark entry " + std::to_string(i));
    }
    report.Count("desktop entries", kDesktopFiles, "files");

    // Each run starts with a new menu, whose first showing finds no picture kept.
    double worstRatio = 0;
    for (int run = 1; run <= kRuns; ++run) {
        TimedMenu menu(owner.value());
        std::vector<Showing> times;
        for (int i = 0; i < kShowingsPerRun; ++i) times.push_back(menu.Show());
        if (menu.shellMenu.userFileCount != kDesktopFiles) {
            report.Note("the desktop did not list the generated files");
            return 1;
        }
        std::vector<double> later;
        for (std::size_t i = 1; i < times.size(); ++i) later.push_back(times[i].preparation);
        std::sort(later.begin(), later.end());
        const std::string label = "run " + std::to_string(run) + ": ";
        report.Time(label + "preparation, first showing", times[0].preparation);
        report.Time(label + "preparation, second showing", times[1].preparation);
        report.Time(label + "preparation, median of the later showings", later[later.size() / 2]);
        report.Time(label + "native menu, first / second", times[0].menu,
                    std::to_string(static_cast<int>(times[1].menu * 1000.0 + 0.5)) + " ms the second time");
        report.Ratio(label + "second preparation / first", times[1].preparation, times[0].preparation, 0.25, true);
        worstRatio = std::max(worstRatio, times[1].preparation / times[0].preparation);
    }
    report.Ratio("worst second preparation / first", worstRatio, 1.0, 0.25, true);

    // One menu shown many times: what it makes, it gives back.
    TimedMenu menu(owner.value());
    for (int i = 0; i < 3; ++i) menu.Show();
    wintest::OwnerWindow::Pump();
    const wintest::GuiObjects before = wintest::CountGuiObjects();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kLongShowings; ++i) menu.Show();
    wintest::OwnerWindow::Pump();
    const wintest::GuiObjects after = wintest::CountGuiObjects();
    report.Time("1000 showings, each", SecondsBetween(start, Clock::now()) / kLongShowings);
    report.Count("GDI objects before 1000 showings", before.gdi);
    report.Count("GDI objects after", after.gdi);
    report.Count("USER objects before 1000 showings", before.user);
    report.Count("USER objects after", after.user);
    report.Note(before == after ? "window system objects flat" : "window system objects NOT flat");
    return 0;
}

}  // namespace lumbra::bench
