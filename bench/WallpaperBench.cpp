// The miniature's costs with a 4K photo and a tiny tiled pattern, measured on the real window:
// a repaint against one full decode of the photo, the first composition, tile mode against
// centre mode, and the memory the photo keeps.
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "Bench.h"
#include "app/frmMain.h"
#include "desktop/Composer.h"
#include "platform/win32/Environment.h"
#include "platform/win32/FileFacts.h"
#include "platform/win32/FolderWatch.h"
#include "platform/win32/Handles.h"
#include "platform/win32/MainWindow.h"
#include "platform/win32/MessageLoop.h"
#include "platform/win32/NotifyIcon.h"
#include "platform/win32/PictureLoader.h"
#include "platform/win32/Profile.h"
#include "platform/win32/Registry.h"
#include "platform/win32/Settings.h"
#include "platform/win32/ShellLauncher.h"
#include "platform/win32/SystemInfo.h"

namespace lumbra::bench {
namespace {

using Microsoft::WRL::ComPtr;

IWICImagingFactory* Wic() {
    static ComPtr<IWICImagingFactory> factory;
    if (!factory) ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    return factory.Get();
}

// Writes BGR pixels through the system's encoder of the container.
bool Encode(const GUID& container, const std::filesystem::path& path, int w, int h,
            const std::function<void(int x, int y, std::uint8_t* bgr)>& colour) {
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) colour(x, y, &bgr[(static_cast<std::size_t>(y) * w + x) * 3]);
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    return Wic() && SUCCEEDED(Wic()->CreateStream(&stream)) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(Wic()->CreateEncoder(container, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, &options)) && SUCCEEDED(frame->Initialize(options.Get())) &&
           SUCCEEDED(frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h))) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat24bppBGR &&
           SUCCEEDED(frame->WritePixels(static_cast<UINT>(h), static_cast<UINT>(w) * 3, static_cast<UINT>(bgr.size()),
                                        bgr.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

// Something like a photograph: smooth light, shapes, and grain, so that the JPEG has a
// realistic size.
void PhotoPixel(int x, int y, std::uint8_t* bgr) {
    std::uint32_t n = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    n = (n ^ (n >> 13)) * 1274126177u;
    const int grain = static_cast<int>((n >> 24) % 24) - 12;
    const double u = x / 3840.0, v = y / 2160.0;
    const double sky = 0.5 + 0.5 * std::sin(u * 9.0 + v * 4.0);
    const double hill = v > 0.6 + 0.1 * std::sin(u * 13.0) ? 1.0 : 0.0;
    auto clamp = [](double c) { return static_cast<std::uint8_t>(c < 0 ? 0 : c > 255 ? 255 : c); };
    bgr[0] = clamp(200 * (1 - hill) + 60 * hill * sky + grain);
    bgr[1] = clamp(120 + 80 * sky * (1 - hill) + 110 * hill + grain);
    bgr[2] = clamp(40 + 150 * v * (1 - hill) + 50 * hill + grain);
}

// One decode of the whole picture into 32-bit premultiplied pixels: the yardstick.
bool FullDecode(const std::filesystem::path& path) {
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> converted;
    UINT w = 0, h = 0;
    if (!Wic() || FAILED(Wic()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                          WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&w, &h)) ||
        FAILED(::WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.Get(), &converted))) {
        return false;
    }
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    return SUCCEEDED(converted->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.size()), pixels.data()));
}

// The desktop settings the program reads, written as the display settings write them.
void SetWallpaper(const std::filesystem::path& path, int tile, int style) {
    const std::wstring value = path.empty() ? std::wstring() : path.wstring();
    ::WritePrivateProfileStringW(L"Desktop", L"Wallpaper", path.empty() ? nullptr : value.c_str(), L"WIN.INI");
    ::WritePrivateProfileStringW(L"Desktop", L"TileWallpaper", std::to_wstring(tile).c_str(), L"WIN.INI");
    ::WritePrivateProfileStringW(L"Desktop", L"WallPaperStyle", std::to_wstring(style).c_str(), L"WIN.INI");
    ::WritePrivateProfileStringW(L"colors", L"BackGround", L"0 128 128", L"WIN.INI");
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

double WorkingSet() { return static_cast<double>(Memory().WorkingSetSize); }

void Pump(int quietMilliseconds = 150) {
    MSG msg{};
    DWORD quietSince = ::GetTickCount();
    while (::GetTickCount() - quietSince < static_cast<DWORD>(quietMilliseconds)) {
        bool any = false;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (any) quietSince = ::GetTickCount();
        ::Sleep(5);
    }
}

}  // namespace

LUMBRA_BENCHMARK(WallpaperBenchmark, "wallpaper",
                 "the miniature: 3840x2160 JPEG and 16x16 PNG wallpapers on the real window") {
    win32::com_apartment com;
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / L"lumbra-bench";
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder);
    const auto photo = folder / L"photo.jpg";
    const auto pattern = folder / L"pattern.png";
    if (!Encode(GUID_ContainerFormatJpeg, photo, 3840, 2160, PhotoPixel) ||
        !Encode(GUID_ContainerFormatPng, pattern, 16, 16, [](int x, int y, std::uint8_t* bgr) {
            bgr[0] = static_cast<std::uint8_t>(x * 16);
            bgr[1] = static_cast<std::uint8_t>(y * 16);
            bgr[2] = static_cast<std::uint8_t>(((x ^ y) & 1) * 255);
        })) {
        report.Note("could not write the test pictures");
        return 2;
    }
    // Fresh copies for first compositions: a file the cache has not seen.
    std::vector<std::filesystem::path> copies;
    for (int i = 0; i < 3; ++i) {
        copies.push_back(folder / (L"photo-" + std::to_wstring(i) + L".jpg"));
        std::filesystem::copy_file(photo, copies.back(), std::filesystem::copy_options::overwrite_existing);
    }
    report.Count("JPEG file", static_cast<double>(std::filesystem::file_size(photo)), "bytes");

    // The program, wired as WinMain wires it.
    using namespace lumbra::win32;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    Win32SystemInfo system;
    Win32Settings settings;
    Win32Profile profile;
    Win32Registry registry;
    Win32MainWindow window(instance, system.Screen());
    Win32NotifyIcon notifyIcon(instance);
    MessageLoop loop;
    Win32Environment environment;
    Win32PictureLoader pictures;
    Win32FileFacts files;
    Win32FolderWatch watch(loop);
    Win32ShellLauncher shell;
    const desktop::WallpaperServices wallpaper{environment, pictures, files, watch, shell};
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Desktop\\General", L"Wallpaper");
    SetWallpaper({}, 0, 0);
    app::frmMain form(app::FormServices{.settings = settings,
                                        .profile = profile,
                                        .registry = registry,
                                        .system = system,
                                        .window = window,
                                        .prcIcon = notifyIcon,
                                        .wallpaper = &wallpaper});
    window.SetEvents(&form);
    notifyIcon.SetEvents(&form);
    form.Form_Load();
    Pump();

    // What the window does on WM_PAINT: the hook composes, the panel paints, all synchronously.
    const HWND hwnd = window.Hwnd();
    auto repaint = [&] {
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::UpdateWindow(window.PanelHwnd());
        ::GdiFlush();
    };
    RECT panel{};
    ::GetClientRect(window.PanelHwnd(), &panel);
    report.Count("panel width", panel.right, "px");
    report.Count("panel height", panel.bottom, "px");

    // (d) first, in a process that has not yet decoded anything.
    repaint();
    Pump();
    const double wsNone = WorkingSet();
    SetWallpaper(photo, 0, 10);
    const double firstFill = Seconds(repaint);
    Pump();
    const double wsPhoto = WorkingSet();

    // The yardstick.
    const double decode = Median(3, [&] { FullDecode(photo); });
    report.Time("one full decode of the JPEG", decode, "median of 3");
    const double scaledLoad = Median(3, [&] {
        pictures.Load(photo.string(), [](platform::PixelSize) { return platform::PixelSize{411, 231}; });
    });
    report.Time("one decode through the scaler to 411x231", scaledLoad, "median of 3");

    // (a)
    const double repaintPhoto = Median(51, repaint);
    report.Time("(a) repaint, JPEG filled", repaintPhoto, "median of 51");
    report.Ratio("(a) repaint / full decode", repaintPhoto, decode, 0.02, true);

    // (b) a file not seen before, for each of three copies.
    std::vector<double> firsts{firstFill};
    for (const auto& copy : copies) {
        SetWallpaper(copy, 0, 10);
        firsts.push_back(Seconds(repaint));
    }
    std::sort(firsts.begin(), firsts.end());
    const double first = firsts[firsts.size() / 2];
    report.Time("(b) first composition, JPEG filled", first, "median of 4 new files");
    report.Ratio("(b) first composition / full decode", first, decode, 1.2);

    // (c)
    // The two halves of a repaint: the composition (the hook's DrawScreen) and the panel's paint.
    auto compose = [&] { form.DrawScreen(); };
    auto paint = [&] {
        ::RedrawWindow(window.PanelHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::GdiFlush();
    };
    SetWallpaper(pattern, 1, 0);
    repaint();
    const std::size_t tiles = window.Panel().Count() - 2;
    const double tiled = Median(51, repaint);
    const double tiledCompose = Median(51, compose);
    const double tiledPaint = Median(51, paint);
    SetWallpaper(pattern, 0, 0);
    repaint();
    const double centred = Median(51, repaint);
    const double centredCompose = Median(51, compose);
    const double centredPaint = Median(51, paint);
    report.Count("tiles of the 16x16 PNG", static_cast<double>(tiles), "elements");
    report.Time("(c) repaint, PNG tiled", tiled, "median of 51");
    report.Time("    of which composition", tiledCompose, "median of 51");
    report.Time("    of which painting the panel", tiledPaint, "median of 51");
    report.Time("(c) repaint, PNG centred", centred, "median of 51");
    report.Time("    of which composition", centredCompose, "median of 51");
    report.Time("    of which painting the panel", centredPaint, "median of 51");
    report.Ratio("(c) tiled / centred", tiled, centred, 3.0);

    report.Bytes("(d) working set, no wallpaper", wsNone);
    report.Bytes("(d) working set, JPEG composed", wsPhoto);
    report.Bytes("(d) difference", wsPhoto - wsNone, "at most 10 MB: " + std::string(wsPhoto - wsNone <= 10.0 * 1024 * 1024 ? "met" : "NOT MET"));
    SetWallpaper({}, 0, 0);
    repaint();
    Pump();
    report.Bytes("(d) working set, back to no wallpaper", WorkingSet());

    SetWallpaper({}, 0, 0);
    std::filesystem::remove_all(folder, ec);
    return 0;
}

}  // namespace lumbra::bench
