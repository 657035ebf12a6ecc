// The soak: LumbraPanel's own objects, wired as WinMain wires them, hosted in this process under
// ten thousand compositions and a thousand popup-menu showings; the process's window system
// objects and private memory before and after, against a growth of at most 5 %.
//
// The load comes in rounds of 100 compositions under one of nine wallpaper settings in turn (a
// 32x32 bitmap tiled, a 3840x2160 JPEG centred, stretched, fitted, filled and tiled, the bitmap
// centred, none): 40 WM_SETTINGCHANGE, 10 resizes, 10 wheel notches, 40 WM_SETTINGCHANGE; then
// 10 menu showings (a right-button release on the panel, every tenth the context-menu key), each
// closed as soon as it is open. One round of every setting comes first, so that what the program
// keeps for good is in place before the first count; both counts are taken in the same state.
//
// Under Wine, GetGuiResources counts nothing, so the objects are counted by walking the handle
// values; and every recycle-bin query (three sets of them a showing) keeps about 160 bytes of the
// caller's memory for good. That share is measured on its own and printed apart.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <filesystem>
#include <fstream>

#include "Bench.h"
#include "GuiObjects.h"
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

namespace lumbra::bench {
namespace {

using namespace lumbra::win32;

struct Counts {
    double gdi = 0, user = 0, privateBytes = 0;
};

// GDI and USER objects, and private bytes (under Wine, which leaves that counter 0, the resident anonymous memory it
// reports as the page file's).
Counts Count() {
    const GuiObjects objects = CountGuiObjects();
    Counts c{static_cast<double>(objects.gdi), static_cast<double>(objects.user)};
    PROCESS_MEMORY_COUNTERS_EX memory{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    c.privateBytes = static_cast<double>(memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage);
    return c;
}

void Pump() {
    for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::TranslateMessage(&msg), ::DispatchMessageW(&msg);
}

// The system's shell, its recycle-bin queries counted.
struct CountingShell final : platform::Shell {
    Win32Shell inner;
    long long queries = 0;
    bool StartProcess(std::string_view line, std::int32_t show) override { return inner.StartProcess(line, show); }
    std::unique_ptr<platform::ShellDispatch> CreateShellDispatch() override { return inner.CreateShellDispatch(); }
    bool QueryRecycleBin(std::string_view root, platform::RecycleBinInfo& info) override { return ++queries, inner.QueryRecycleBin(root, info); }
    void EmptyRecycleBin(std::uintptr_t owner, std::string_view root, std::uint32_t flags) override { inner.EmptyRecycleBin(owner, root, flags); }
    platform::DriveType GetDriveType(std::string_view root) override { return inner.GetDriveType(root); }
    std::string SystemFolder() override { return inner.SystemFolder(); }
    bool FileExists(std::string_view path) override { return inner.FileExists(path); }
    void ShowItemMenu(std::uintptr_t owner, std::string_view path, std::int32_t x, std::int32_t y) override {
        inner.ShowItemMenu(owner, path, x, y);
    }
    platform::WindowsVersion Version() override { return inner.Version(); }
};

// The program's menus, each closed as soon as it is open, as a user would with Escape.
struct ClosingMenus final : platform::PopupMenuFactory {
    explicit ClosingMenus(platform::CodePageCounter& codePage) : inner(codePage) {}
    std::unique_ptr<platform::PopupMenu> CreatePopupMenu(platform::PopupMenuEvents& events) override {
        auto menu = inner.CreatePopupMenu(events);
        static_cast<Win32PopupMenu&>(*menu).onOpen = [this](HWND) { ++shown, ::EndMenu(); };
        return menu;
    }
    Win32PopupMenuFactory inner;
    int shown = 0;
};

// LumbraPanel.exe's objects, as WinMain makes them.
struct Program {
    explicit Program(HINSTANCE instance)
        : window(instance, system.Screen()), notifyIcon(instance), shellFolder(window.Hwnd()), messageBoxes(window.Hwnd()),
          progressWindows(window.Hwnd()), watch(loop), menus(codePage), icons(instance),
          form(app::FormServices{settings, profile, registry, system, window, notifyIcon, &fileDrop, &wallpaper, &menuServices}) {
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
    drop::DropServices fileDrop{shellFolder, fileSystem, messageBoxes, shellLinks, progressWindows};
    MessageLoop loop;
    Win32Environment environment;
    Win32PictureLoader pictures;
    Win32FileFacts files;
    Win32FolderWatch watch;
    Win32ShellLauncher launcher;
    desktop::WallpaperServices wallpaper{environment, pictures, files, watch, launcher};
    Win32CodePage932 codePage;
    ClosingMenus menus;
    Win32IconSource icons;
    Win32ImageList ilsIcons;
    Win32IconCanvas picIcon;
    Win32FileLister glnFile;
    CountingShell shell;
    menu::MenuServices menuServices{menus, ilsIcons, picIcon, icons, glnFile, shell, launcher, shellFolder, codePage};
    app::frmMain form;
};

// A picture through the system's encoder: a 24-bit bitmap or a JPEG of a smooth gradient with grain.
bool WritePicture(const std::filesystem::path& path, const GUID& container, UINT w, UINT h) {
    using Microsoft::WRL::ComPtr;
    std::vector<BYTE> bgr(std::size_t{w} * h * 3);
    for (std::size_t i = 0; i < bgr.size(); ++i) bgr[i] = static_cast<BYTE>((i % (w * 3)) * 255 / (w * 3) + (i * 2654435761u >> 28));
    ComPtr<IWICImagingFactory> wic;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    return SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&wic))) &&
           SUCCEEDED(wic->CreateStream(&stream)) && SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(wic->CreateEncoder(container, nullptr, &encoder)) && SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(w, h)) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) && SUCCEEDED(frame->WritePixels(h, w * 3, static_cast<UINT>(bgr.size()), bgr.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace

LUMBRA_BENCHMARK(SoakBenchmark, "soak", "ten thousand compositions and a thousand menu showings: objects and memory kept") {
    com_apartment com;
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / L"lumbra-soak", tile = folder / L"tile.bmp", photo = folder / L"photo.jpg";
    std::filesystem::create_directories(folder);
    if (!WritePicture(tile, GUID_ContainerFormatBmp, 32, 32) || !WritePicture(photo, GUID_ContainerFormatJpeg, 3840, 2160)) return 1;
    const struct { const std::filesystem::path* file; int tile, style; } settings[] = {
        {&tile, 1, 0}, {&photo, 0, 0}, {&photo, 0, 2}, {&photo, 0, 6}, {&photo, 0, 10}, {&photo, 1, 0}, {&tile, 0, 0}, {nullptr, 0, 0}, {&tile, 1, 2}};
    ::WritePrivateProfileStringW(L"colors", L"BackGround", L"0 128 128", L"WIN.INI");
    wchar_t desktop[MAX_PATH] = {};  // entries for the menu to list with their icons
    ::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, desktop);
    std::vector<std::filesystem::path> entries;
    for (int i = 0; i < 6; ++i) std::ofstream(entries.emplace_back(std::filesystem::path(desktop) / (L"lumbra soak " + std::to_wstring(i) + L".txt"))) << "soak";

    Program program(::GetModuleHandleW(nullptr));
    program.form.Form_Load();
    Pump();
    const HWND window = program.window.Hwnd(), panel = program.window.PanelHwnd();
    RECT first{};
    ::GetWindowRect(window, &first);
    int compositions = 0;
    auto round = [&](int index) {
        const auto& s = settings[index % std::size(settings)];
        ::WritePrivateProfileStringW(L"Desktop", L"Wallpaper", s.file ? s.file->c_str() : L"", L"WIN.INI");
        ::WritePrivateProfileStringW(L"Desktop", L"TileWallpaper", std::to_wstring(s.tile).c_str(), L"WIN.INI");
        ::WritePrivateProfileStringW(L"Desktop", L"WallPaperStyle", std::to_wstring(s.style).c_str(), L"WIN.INI");
        for (int i = 0; i < 100; ++i, ++compositions, Pump()) {  // each composition painted before the next
            if (i < 40 || i >= 60) {
                ::SendMessageW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L""));
            } else if (i < 50) {
                const double scale = i % 2 ? 1.0 : 1.4;
                ::SetWindowPos(window, nullptr, 0, 0, static_cast<int>((first.right - first.left) * scale),
                               static_cast<int>((first.bottom - first.top) * scale), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            } else {
                ::SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, i % 2 ? 120 : -120), MAKELPARAM(first.left + 20, first.top + 20));
            }
        }
        for (int i = 0; i < 10; ++i, Pump()) {  // the menu is shown and closed inside the posted messages' dispatch
            if (i == 9) ::PostMessageW(window, WM_KEYDOWN, VK_APPS, 1), ::PostMessageW(window, WM_KEYUP, VK_APPS, 0xC0000001);
            else ::PostMessageW(panel, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20)), ::PostMessageW(panel, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
        }
        ::SetWindowPos(window, nullptr, 0, 0, first.right - first.left, first.bottom - first.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
    };
    for (int i = 0; i < static_cast<int>(std::size(settings)); ++i) round(i);

    // What one recycle-bin query of the system keeps of this process's memory, on its own.
    platform::RecycleBinInfo bin;
    const double beforeQueries = Count().privateBytes;
    for (int i = 0; i < 2000; ++i) program.shell.inner.QueryRecycleBin("", bin);
    const double perQuery = std::max(0.0, Count().privateBytes - beforeQueries) / 2000;

    round(0);
    const Counts before = Count();
    const long long queries = program.shell.queries;
    const int shown = program.menus.shown, composed = compositions;
    const double seconds = Seconds([&] { for (int r = 1; r <= 100; ++r) round(r); });
    round(0);
    const Counts after = Count();
    const double systemShare = perQuery * static_cast<double>(program.shell.queries - queries);

    report.Count("compositions", compositions - composed - 100);
    report.Count("menu showings", program.menus.shown - shown - 10);
    report.Count("the whole load", seconds, "s");
    report.Count("GDI objects before", before.gdi);
    report.Count("GDI objects after", after.gdi);
    report.Ratio("GDI objects after / before", after.gdi, before.gdi, 1.05);
    report.Count("USER objects before", before.user);
    report.Count("USER objects after", after.user);
    report.Ratio("USER objects after / before", after.user, before.user, 1.05);
    report.Bytes("private memory before", before.privateBytes);
    report.Bytes("private memory after", after.privateBytes);
    report.Bytes("  of which the system's recycle-bin queries kept", systemShare, std::to_string(program.shell.queries - queries) + " queries");
    report.Ratio("private memory after / before", after.privateBytes, before.privateBytes, 1.05);
    report.Ratio("private memory after, less those queries' share, / before", after.privateBytes - systemShare, before.privateBytes, 1.05);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    for (const auto& entry : entries) std::filesystem::remove(entry, ignored);
    return 0;
}

}  // namespace lumbra::bench
