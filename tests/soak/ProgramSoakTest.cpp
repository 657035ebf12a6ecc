// The whole program in this process, wired as LumbraPanel.exe wires itself, under the soak's
// load: ten thousand compositions and a thousand popup-menu showings. The process's window
// system objects are counted from inside (Wine's GetGuiResources counts nothing, so only the
// process itself can walk its handles) and its private bytes taken before and after; both must
// stay within 5 %.
//
// The load is the end-to-end soak's (tests/soak/soak_e2e.py): rounds of 100 compositions under
// one of nine wallpaper settings in turn (40 setting changes, 10 resizes, 10 wheel notches, 40
// setting changes), each round closed by 10 menu showings (a right-button release on the panel,
// every tenth the context-menu key; Escape once the menu is idle).
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "MenuTestSupport.h"
#include "../../bench/GuiObjects.h"
#include "PictureFiles.h"
#include "app/frmMain.h"
#include "desktop/Composer.h"
#include "drop/DesktopCommands.h"
#include "platform/win32/Environment.h"
#include "platform/win32/FileFacts.h"
#include "platform/win32/FileSystem.h"
#include "platform/win32/FolderWatch.h"
#include "platform/win32/Handles.h"
#include "platform/win32/MainWindow.h"
#include "platform/win32/MenuIcons.h"
#include "platform/win32/MessageBoxes.h"
#include "platform/win32/MessageLoop.h"
#include "platform/win32/NotifyIcon.h"
#include "platform/win32/PictureLoader.h"
#include "platform/win32/PopupMenu.h"
#include "platform/win32/Profile.h"
#include "platform/win32/ProgressWindows.h"
#include "platform/win32/Registry.h"
#include "platform/win32/Settings.h"
#include "platform/win32/ShellFolder.h"
#include "platform/win32/ShellLauncher.h"
#include "platform/win32/ShellLinks.h"
#include "platform/win32/ShellServices.h"
#include "platform/win32/SystemInfo.h"
#include "res/resource.h"

namespace lumbra::soak {
namespace {

using namespace lumbra::win32;
using namespace lumbra::win32::testing;
using bench::CountGuiObjects;
using bench::GuiObjects;

constexpr int kSettingChangesPerBurst = 40;
constexpr int kResizesPerRound = 10;
constexpr int kWheelsPerRound = 10;
constexpr int kMenusPerRound = 10;
constexpr int kCompositionsPerRound = 2 * kSettingChangesPerBurst + kResizesPerRound + kWheelsPerRound;
constexpr double kGrowthAllowed = 0.05;

int Rounds() {
    const char* text = std::getenv("LUMBRA_SOAK_ROUNDS");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 100;
}

// What the process holds privately: the commit charge on Windows; under Wine, which leaves
// that counter at 0, the resident anonymous memory it reports in the page-file field.
std::uint64_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

// Everything queued, painting included, handled.
void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The system's shell, with its recycle-bin queries counted: under Wine each one costs the
// calling process some memory for good, which the soak measures apart from the program's own.
class CountingShell final : public platform::Shell {
public:
    explicit CountingShell(platform::Shell& inner) : inner_(inner) {}
    bool StartProcess(std::string_view commandLine, std::int32_t show) override {
        return inner_.StartProcess(commandLine, show);
    }
    std::unique_ptr<platform::ShellDispatch> CreateShellDispatch() override { return inner_.CreateShellDispatch(); }
    bool QueryRecycleBin(std::string_view root, platform::RecycleBinInfo& info) override {
        ++queries;
        return inner_.QueryRecycleBin(root, info);
    }
    void EmptyRecycleBin(std::uintptr_t owner, std::string_view root, std::uint32_t flags) override {
        inner_.EmptyRecycleBin(owner, root, flags);
    }
    platform::DriveType GetDriveType(std::string_view root) override { return inner_.GetDriveType(root); }
    std::string SystemFolder() override { return inner_.SystemFolder(); }
    bool FileExists(std::string_view path) override { return inner_.FileExists(path); }
    void ShowItemMenu(std::uintptr_t owner, std::string_view path, std::int32_t x, std::int32_t y) override {
        inner_.ShowItemMenu(owner, path, x, y);
    }
    platform::WindowsVersion Version() override { return inner_.Version(); }

    long long queries = 0;

private:
    platform::Shell& inner_;
};

// The desktop settings the program reads, written as the display settings write them.
void SetWallpaper(const std::filesystem::path& path, int tile, int style) {
    const std::wstring value = path.wstring();
    ::WritePrivateProfileStringW(L"Desktop", L"Wallpaper", value.c_str(), L"WIN.INI");
    ::WritePrivateProfileStringW(L"Desktop", L"TileWallpaper", std::to_wstring(tile).c_str(), L"WIN.INI");
    ::WritePrivateProfileStringW(L"Desktop", L"WallPaperStyle", std::to_wstring(style).c_str(), L"WIN.INI");
}

struct Setting {
    const std::filesystem::path* file;  // nullptr: no wallpaper
    int tile;
    int style;
};

// LumbraPanel.exe's objects, as WinMain makes them.
struct Program {
    explicit Program(HINSTANCE instance)
        : window(instance, system.Screen()),
          notifyIcon(instance),
          shellFolder(window.Hwnd()),
          messageBoxes(window.Hwnd()),
          progressWindows(window.Hwnd()),
          fileDrop{shellFolder, fileSystem, messageBoxes, shellLinks, progressWindows},
          watch(loop),
          wallpaper{environment, pictures, files, watch, shell},
          menus(codePage),
          icons(instance),
          menuShell(systemShell),
          menuServices{menus, ilsIcons, picIcon, icons, glnFile, menuShell, shell, shellFolder, codePage},
          form(app::FormServices{settings, profile, registry, system, window, notifyIcon, &fileDrop, &wallpaper,
                                 &menuServices}) {
        ilsIcons.Add(icons.ResourceIcon(IDI_DISPLAY_PROPS), "");
        window.SetEvents(&form);
        notifyIcon.SetEvents(&form);
    }

    Win32SystemInfo system;
    Win32Settings settings;
    Win32Profile profile;
    Win32Registry registry;
    Win32MainWindow window;
    Win32NotifyIcon notifyIcon;
    Win32ShellFolder shellFolder;
    Win32FileSystem fileSystem;
    Win32MessageBoxes messageBoxes;
    Win32ShellLinks shellLinks;
    Win32ProgressWindows progressWindows;
    drop::DropServices fileDrop;
    MessageLoop loop;
    Win32Environment environment;
    Win32PictureLoader pictures;
    Win32FileFacts files;
    Win32FolderWatch watch;
    Win32ShellLauncher shell;
    desktop::WallpaperServices wallpaper;
    Win32CodePage932 codePage;
    Win32PopupMenuFactory menus;
    Win32IconSource icons;
    Win32ImageList ilsIcons;
    Win32IconCanvas picIcon;
    Win32FileLister glnFile;
    Win32Shell systemShell;
    CountingShell menuShell;
    menu::MenuServices menuServices;
    app::frmMain form;
};

class Soak {
public:
    Soak(Program& p, std::vector<Setting> settings) : p_(p), settings_(std::move(settings)) {
        hwnd_ = p_.window.Hwnd();
        RECT r{};
        ::GetWindowRect(hwnd_, &r);
        base_ = {r.right - r.left, r.bottom - r.top};
        auto& menu = dynamic_cast<Win32PopupMenu&>(*p_.form.Menu()->objPMn());
        // Escape once the menu waits for the user, as a user would press it.
        menu.onOpen = [this](HWND owner) {
            ++shown;
            ::PostMessageW(owner, WM_KEYDOWN, VK_ESCAPE, 1);
        };
    }

    void Round(int index) {
        const Setting& s = settings_[static_cast<std::size_t>(index) % settings_.size()];
        SetWallpaper(s.file ? *s.file : std::filesystem::path(), s.tile, s.style);
        SettingChanges();
        for (int i = 0; i < kResizesPerRound; ++i) {
            const double scale = i % 2 ? 1.0 : 1.4;
            ::SetWindowPos(hwnd_, nullptr, 0, 0, static_cast<int>(base_.cx * scale), static_cast<int>(base_.cy * scale),
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Pump();
        }
        for (int i = 0; i < kWheelsPerRound; ++i) {
            RECT r{};
            ::GetWindowRect(hwnd_, &r);
            const auto delta = static_cast<WORD>(static_cast<short>(i % 2 ? 120 : -120));
            ::SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, delta),
                           MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
            Pump();
        }
        SettingChanges();
        compositions += kCompositionsPerRound;
        for (int i = 0; i < kMenusPerRound; ++i) Menu(i == kMenusPerRound - 1);
    }

    // The same state for both looks: the first setting at the first size, everything handled.
    void Settle() {
        const Setting& s = settings_.front();
        SetWallpaper(s.file ? *s.file : std::filesystem::path(), s.tile, s.style);
        ::SetWindowPos(hwnd_, nullptr, 0, 0, base_.cx, base_.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SettingChanges();
        for (int i = 0; i < 20; ++i) {
            Pump();
            ::Sleep(10);
        }
    }

    int compositions = 0;
    int requested = 0;
    int shown = 0;

private:
    void SettingChanges() {
        for (int i = 0; i < kSettingChangesPerBurst; ++i) {
            ::SendMessageW(hwnd_, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L""));
            // The panel paints what each composition laid out.
            Pump();
        }
    }

    void Menu(bool byKey) {
        ++requested;
        // Whatever the user does: a guard ends a menu that nobody closed.
        const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
        if (byKey) {
            ::PostMessageW(hwnd_, WM_KEYDOWN, VK_APPS, 1);
            ::PostMessageW(hwnd_, WM_KEYUP, VK_APPS, 0xC0000001);
        } else {
            RECT panel{};
            ::GetClientRect(p_.window.PanelHwnd(), &panel);
            const LPARAM at = MAKELPARAM(panel.right / 2, panel.bottom / 2);
            ::PostMessageW(p_.window.PanelHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, at);
            ::PostMessageW(p_.window.PanelHwnd(), WM_RBUTTONUP, 0, at);
        }
        // The menu is shown, waited on and closed inside the dispatch of the posted messages.
        Pump();
        ::KillTimer(nullptr, guard);
    }

    Program& p_;
    std::vector<Setting> settings_;
    HWND hwnd_ = nullptr;
    SIZE base_{};
};

double Ratio(double after, double before) { return before > 0 ? after / before : 0.0; }

TEST(ProgramSoak, TenThousandCompositionsAndAThousandMenusLeaveObjectsAndMemoryFlat) {
    com_apartment com;
    ScratchFolder folder(L"lumbra-soak");
    const auto small = folder / L"small.bmp";
    const auto photo = folder / L"photo.jpg";
    WriteFile(small, BmpBytes(Quadrants(32, 32)));
    const auto jpeg = Encode(GUID_ContainerFormatJpeg, {Fill(3840, 2160, [](int x, int y) {
                                 return Rgba{static_cast<std::uint8_t>(x * 255 / 3840), static_cast<std::uint8_t>(y * 255 / 2160),
                                             static_cast<std::uint8_t>((x ^ y) & 0xFF)};
                             })});
    ASSERT_FALSE(jpeg.empty());
    WriteFile(photo, jpeg);
    // Entries of several kinds on the desktop, for the menu to list with their icons.
    wintest::GeneratedDesktop desktop;
    for (int i = 0; i < 6; ++i) desktop.AddFile(L"soak " + std::to_wstring(i) + L".txt", "soak");
    desktop.AddFolder(L"soak folder");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Desktop\\General", L"Wallpaper");
    ::WritePrivateProfileStringW(L"colors", L"BackGround", L"0 128 128", L"WIN.INI");

    const std::vector<Setting> settings = {{&small, 1, 0}, {&photo, 0, 0}, {&small, 1, 0}, {&photo, 0, 2}, {&photo, 0, 6},
                                           {&photo, 0, 10}, {&photo, 1, 0}, {&small, 0, 0}, {nullptr, 0, 0}};
    {
        Program program(::GetModuleHandleW(nullptr));
        program.form.Form_Load();
        Pump();
        ASSERT_NE(program.form.Menu(), nullptr);
        Soak soak(program, settings);

        // A round of every setting and a few menus first: what the program keeps for good
        // (decoders, icons, the menu's pictures) is in place before the count.
        for (std::size_t i = 0; i < settings.size(); ++i) soak.Round(static_cast<int>(i));

        // What one recycle-bin query of the system costs this process, measured on its own.
        platform::RecycleBinInfo bin;
        const std::uint64_t beforeQueries = PrivateBytes();
        constexpr int kCalibration = 2000;
        for (int i = 0; i < kCalibration; ++i) program.systemShell.QueryRecycleBin("", bin);
        const double perQuery =
            std::max(0.0, static_cast<double>(PrivateBytes()) - static_cast<double>(beforeQueries)) / kCalibration;

        soak.Settle();
        const GuiObjects objectsBefore = CountGuiObjects();
        const std::uint64_t bytesBefore = PrivateBytes();
        const long long queriesBefore = program.menuShell.queries;
        const int compositionsBefore = soak.compositions;
        const int menusBefore = soak.shown;

        const int rounds = Rounds();
        const auto start = std::chrono::steady_clock::now();
        for (int r = 0; r < rounds; ++r) soak.Round(r);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        soak.Settle();
        const GuiObjects objectsAfter = CountGuiObjects();
        const std::uint64_t bytesAfter = PrivateBytes();
        const long long queries = program.menuShell.queries - queriesBefore;
        const int compositions = soak.compositions - compositionsBefore;
        const int menus = soak.shown - menusBefore;
        const double systemShare = perQuery * static_cast<double>(queries);
        const double ownAfter = static_cast<double>(bytesAfter) - systemShare;

        std::printf("%d compositions and %d menu showings in %.0f s\n", compositions, menus, seconds);
        std::printf("GDI objects   %6ld -> %6ld   ratio %.3f\n", objectsBefore.gdi, objectsAfter.gdi,
                    Ratio(objectsAfter.gdi, objectsBefore.gdi));
        std::printf("USER objects  %6ld -> %6ld   ratio %.3f\n", objectsBefore.user, objectsAfter.user,
                    Ratio(objectsAfter.user, objectsBefore.user));
        std::printf("private bytes %.2f MB -> %.2f MB   ratio %.3f\n", bytesBefore / 1048576.0, bytesAfter / 1048576.0,
                    Ratio(static_cast<double>(bytesAfter), static_cast<double>(bytesBefore)));
        std::printf("  of which the system's recycle-bin queries: %lld queries (%.1f a showing) x %.0f bytes = %.2f MB\n",
                    queries, menus ? static_cast<double>(queries) / menus : 0.0, perQuery, systemShare / 1048576.0);
        std::printf("  the program's own: %.2f MB -> %.2f MB   ratio %.3f\n", bytesBefore / 1048576.0, ownAfter / 1048576.0,
                    Ratio(ownAfter, static_cast<double>(bytesBefore)));
        std::fflush(stdout);

        EXPECT_EQ(compositions, rounds * kCompositionsPerRound);
        EXPECT_EQ(menus, rounds * kMenusPerRound) << "every requested menu showed";
        EXPECT_LE(objectsAfter.gdi, objectsBefore.gdi * (1 + kGrowthAllowed));
        EXPECT_LE(objectsAfter.user, objectsBefore.user * (1 + kGrowthAllowed));
        EXPECT_LE(ownAfter, static_cast<double>(bytesBefore) * (1 + kGrowthAllowed));
    }
    Pump();
    for (const wchar_t* key : {L"Wallpaper", L"TileWallpaper", L"WallPaperStyle"}) {
        ::WritePrivateProfileStringW(L"Desktop", key, nullptr, L"WIN.INI");
    }
}

}  // namespace
}  // namespace lumbra::soak
