// Benchmark of the popup menu: preparing the menu (recycle bins, desktop listing, every entry's
// icon and caption) with 300 files on the desktop, the first showing against the next ones, and
// the window system objects over many showings. Prints figures; not a test.
//
//   lumbra_menu_bench.exe [files=300] [runs=3] [showings=1000]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "MenuTestSupport.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

namespace {

using Clock = std::chrono::steady_clock;
using lumbra::wintest::GeneratedDesktop;
using lumbra::wintest::OwnerWindow;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The component as the program makes it, with the moment ShowAt is entered taken down: what
// comes before is the preparation, what follows is the native menu.
class TimedPopupMenu final : public lumbra::platform::PopupMenu {
public:
    TimedPopupMenu(lumbra::platform::PopupMenuEvents& events, lumbra::platform::CodePageCounter& codePage)
        : inner(events, codePage) {
        inner.onOpen = [](HWND) { ::EndMenu(); };
    }
    void SetImageSource(lumbra::platform::ImageList& images) override { inner.SetImageSource(images); }
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
    std::int32_t ShowAt(std::int32_t x, std::int32_t y, std::int32_t a, std::int32_t w, std::int32_t h,
                        std::int32_t r, std::int32_t d) override {
        entered = Clock::now();
        const std::int32_t chosen = inner.ShowAt(x, y, a, w, h, r, d);
        left = Clock::now();
        return chosen;
    }
    void SetAnchor(lumbra::platform::MenuAnchor anchor) override { inner.SetAnchor(anchor); }

    lumbra::win32::Win32PopupMenu inner;
    Clock::time_point entered;
    Clock::time_point left;
};

class TimedFactory final : public lumbra::platform::PopupMenuFactory {
public:
    explicit TimedFactory(lumbra::platform::CodePageCounter& codePage) : codePage_(codePage) {}
    std::unique_ptr<lumbra::platform::PopupMenu> CreatePopupMenu(lumbra::platform::PopupMenuEvents& events) override {
        auto menu = std::make_unique<TimedPopupMenu>(events, codePage_);
        last = menu.get();
        return menu;
    }
    TimedPopupMenu* last = nullptr;

private:
    lumbra::platform::CodePageCounter& codePage_;
};

struct Showing {
    double preparation = 0;  // ShowPopupMenu up to ShowAt
    double menu = 0;         // ShowAt: the native menu built, opened and closed
};

// The program's menu with every real part, except that the component takes down its times.
struct TimedMenu : lumbra::platform::PopupMenuEvents {
    explicit TimedMenu(std::uintptr_t owner) : real(owner) {}
    void objPMn_Click(std::int32_t) override {}
    Showing Show() {
        const Clock::time_point start = Clock::now();
        shellMenu.ShowPopupMenu(0, 0);
        return {Milliseconds(factory.last->entered - start), Milliseconds(factory.last->left - factory.last->entered)};
    }

    lumbra::wintest::RealMenu real;
    TimedFactory factory{real.codePage};
    lumbra::menu::ShellMenu shellMenu{
        lumbra::menu::MenuServices{factory, real.ilsIcons, real.picIcon, real.icons, real.glnFile, real.shell,
                                   real.codePage},
        lumbra::menu::MenuOwner{real.registry, real.window, real.clsids, real.applets, *this}};
};

std::string MachineName() {
    wchar_t name[256] = {};
    DWORD size = 256;
    ::GetComputerNameW(name, &size);
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    const char* host = "Windows";
    if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
        using WineVersion = const char*(__cdecl*)();
        if (auto version = reinterpret_cast<WineVersion>(
                reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "wine_get_version")))) {
            static std::string wine = std::string("Wine ") + version();
            host = wine.c_str();
        }
    }
    return lumbra::win32::Narrow(name) + ", " + std::to_string(info.dwNumberOfProcessors) + " processors, " + host;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int files = argc > 1 ? _wtoi(argv[1]) : 300;
    const int runs = argc > 2 ? _wtoi(argv[2]) : 3;
    const int showings = argc > 3 ? _wtoi(argv[3]) : 1000;
    lumbra::win32::com_apartment com;
    OwnerWindow owner;

    // The generated desktop: text, pictures, web pages and a type nobody knows.
    GeneratedDesktop desktop;
    const wchar_t* kinds[] = {L".txt", L".bmp", L".html", L".zzq"};
    for (int i = 0; i < files; ++i) {
        desktop.AddFile(L"bench " + std::to_wstring(1000 + i) + kinds[i % 4], "benchmark entry " + std::to_string(i));
    }
    std::printf("menu benchmark on %s\n", MachineName().c_str());
    std::printf("desktop %s: %d generated files\n",
                lumbra::win32::Narrow(GeneratedDesktop::Folder().wstring()).c_str(), files);

    // Each run starts with a new menu, so its first showing finds no icon kept.
    double worstRatio = 0;
    for (int run = 1; run <= runs; ++run) {
        TimedMenu menu(owner.value());
        menu.shellMenu.BuildPopupMenu();
        std::vector<Showing> times;
        for (int i = 0; i < 5; ++i) times.push_back(menu.Show());
        std::vector<double> later;
        for (std::size_t i = 1; i < times.size(); ++i) later.push_back(times[i].preparation);
        std::sort(later.begin(), later.end());
        const double second = times[1].preparation;
        const double ratio = second / times[0].preparation;
        worstRatio = std::max(worstRatio, ratio);
        std::printf("run %d: preparation first %.1f ms, second %.1f ms (%.1f %% of the first), later median %.1f ms; "
                    "native menu %.1f ms / %.1f ms; %d entries\n",
                    run, times[0].preparation, second, 100.0 * ratio, later[later.size() / 2], times[0].menu,
                    times[1].menu, menu.shellMenu.userFileCount + menu.shellMenu.userFolderCount);
    }
    std::printf("second preparation at most %.1f %% of the first (target: at most 25 %%): %s\n", 100.0 * worstRatio,
                worstRatio <= 0.25 ? "met" : "NOT met");

    // Window system objects over many showings of one menu.
    {
        TimedMenu menu(owner.value());
        menu.shellMenu.BuildPopupMenu();
        for (int i = 0; i < 3; ++i) menu.Show();
        OwnerWindow::Pump();
        const auto before = lumbra::wintest::CountGuiObjects();
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < showings; ++i) menu.Show();
        OwnerWindow::Pump();
        const auto after = lumbra::wintest::CountGuiObjects();
        std::printf("%d showings in %.1f s: GDI objects %ld -> %ld, USER objects %ld -> %ld: %s\n", showings,
                    Milliseconds(Clock::now() - start) / 1000.0, before.gdi, after.gdi, before.user, after.user,
                    before == after ? "flat" : "NOT flat");
    }
    return 0;
}
