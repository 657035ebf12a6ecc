// The miniature's costs with a 4K photo and tiny tiled pictures, measured on the real window: the
// first composition of the photo against one plain decode of it, and where its time goes; a
// repaint; tile mode against centre mode in time and in memory; the memory the photo keeps.
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "Bench.h"
#include "app/frmMain.h"
#include "desktop/modMain.h"
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
    ComPtr<IWICFormatConverter> converted;
    UINT w = 0, h = 0;
    if (!Wic() || FAILED(Wic()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                          WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&w, &h)) ||
        FAILED(Wic()->CreateFormatConverter(&converted)) ||
        FAILED(converted->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return false;
    }
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    return SUCCEEDED(converted->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.size()), pixels.data()));
}

// The stages of the picture loader's decode, one more each time: the decode alone (in the file's
// own pixel format, row by row), then scaled to `size`, then converted to 32-bit premultiplied.
bool Stages(const std::filesystem::path& path, int stages, UINT width, UINT height) {
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT w = 0, h = 0;
    if (!Wic() || FAILED(Wic()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                          WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&w, &h))) {
        return false;
    }
    ComPtr<IWICBitmapSource> source = frame;
    ComPtr<IWICBitmapScaler> scaler;
    ComPtr<IWICFormatConverter> converter;
    if (stages > 1) {
        if (FAILED(Wic()->CreateBitmapScaler(&scaler)) ||
            FAILED(scaler->Initialize(frame.Get(), width, height, WICBitmapInterpolationModeFant))) {
            return false;
        }
        source = scaler;
        w = width;
        h = height;
    }
    if (stages > 2) {
        if (FAILED(Wic()->CreateFormatConverter(&converter)) ||
            FAILED(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                         0.0, WICBitmapPaletteTypeCustom))) {
            return false;
        }
        source = converter;
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 4);
    for (UINT y = 0; y < h; ++y) {
        const WICRect one{0, static_cast<INT>(y), static_cast<INT>(w), 1};
        if (FAILED(source->CopyPixels(&one, w * 4, static_cast<UINT>(row.size()), row.data()))) return false;
    }
    return true;
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
                 "the miniature: a 3840x2160 JPEG; a 16x16 PNG and a 1x1 BMP tiled over 887x668 pixels") {
    win32::com_apartment com;
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / L"lumbra-bench";
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder);
    const auto photo = folder / L"photo.jpg";
    const auto pattern = folder / L"pattern.png";
    const auto dot = folder / L"dot.bmp";
    if (!Encode(GUID_ContainerFormatJpeg, photo, 3840, 2160, PhotoPixel) ||
        !Encode(GUID_ContainerFormatPng, pattern, 16, 16, [](int x, int y, std::uint8_t* bgr) {
            bgr[0] = static_cast<std::uint8_t>(x * 16);
            bgr[1] = static_cast<std::uint8_t>(y * 16);
            bgr[2] = static_cast<std::uint8_t>(((x ^ y) & 1) * 255);
        }) ||
        !Encode(GUID_ContainerFormatBmp, dot, 1, 1, [](int, int, std::uint8_t* bgr) { bgr[0] = bgr[1] = bgr[2] = 200; })) {
        report.Note("could not write the test pictures");
        return 2;
    }
    // Fresh copies for first compositions: files the cache has not seen.
    std::vector<std::filesystem::path> copies;
    for (int i = 0; i < 5; ++i) {
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
    Win32FolderWatch watch(loop, window.Hwnd());
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
    // The two halves of a repaint: the composition (the hook's DrawScreen) and the panel's paint.
    auto compose = [&] { form.DrawScreen(); };
    auto paint = [&] {
        ::RedrawWindow(window.PanelHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::GdiFlush();
    };
    RECT panel{};
    ::GetClientRect(window.PanelHwnd(), &panel);
    report.Count("panel width, as the program starts", panel.right, "px");
    report.Count("panel height", panel.bottom, "px");

    // (b) first, in a process that has not yet decoded anything: five files never seen before,
    // each followed by the yardstick and the stages of the decode, so that all of them see the
    // same load of the machine.
    const double k = std::max(panel.right / 3840.0, panel.bottom / 2160.0);  // filled
    const platform::PixelSize shown{static_cast<int>(std::lround(3840 * k)), static_cast<int>(std::lround(2160 * k))};
    const UINT masterW = static_cast<UINT>(std::min(3840L, std::lround(shown.width * desktop::PictureCache::kHeadroom)));
    const UINT masterH = static_cast<UINT>(std::min(2160L, std::lround(shown.height * desktop::PictureCache::kHeadroom)));
    repaint();
    Pump();
    const double wsNone = WorkingSet();
    std::vector<double> firsts, decodes, decodeOnly, scaled, converted;
    for (const auto& copy : copies) {
        SetWallpaper(copy, 0, 10);
        firsts.push_back(Seconds(repaint));
        decodes.push_back(Seconds([&] { FullDecode(photo); }));
        decodeOnly.push_back(Seconds([&] { Stages(photo, 1, masterW, masterH); }));
        scaled.push_back(Seconds([&] { Stages(photo, 2, masterW, masterH); }));
        converted.push_back(Seconds([&] { Stages(photo, 3, masterW, masterH); }));
    }
    Pump();
    const double wsPhoto = WorkingSet();
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double first = median(firsts);
    const double decode = median(decodes);
    report.Time("one plain decode of the JPEG to 32-bit pixels", decode, "median of 5");
    report.Time("(b) first composition, JPEG filled", first, "median of 5 new files");
    report.Ratio("(b) first composition / plain decode", first, decode, 1.1);

    // Where the first composition's time goes.
    platform::PictureRef master = pictures.Load(photo.string(), [&](platform::PixelSize) {
        return platform::PixelSize{static_cast<int>(masterW), static_cast<int>(masterH)};
    }).picture;
    const double inMemory = Median(21, [&] { pictures.Scale(master, shown); });
    const double settingsRead = Median(21, [&] { desktop::GetWallpaperInfo(profile, registry); });
    const double painted = Median(21, paint);
    const auto share = [&](const std::string& what, double seconds) {
        report.Time(what, seconds, std::to_string(static_cast<int>(std::lround(seconds / first * 100))) + " % of it");
    };
    share("    the decode, in the file's own pixels", median(decodeOnly));
    share("    the scaling while decoding", std::max(0.0, median(scaled) - median(decodeOnly)));
    share("    the conversion to 32-bit pixels", std::max(0.0, median(converted) - median(scaled)));
    share("    the copy scaled in memory to the shown size", inMemory);
    share("    the settings read", settingsRead);
    share("    the panel painted", painted);
    share("    the rest (file stamps, layout, window)",
          std::max(0.0, first - median(converted) - inMemory - settingsRead - painted));

    // (a)
    const double repaintPhoto = Median(51, repaint);
    report.Time("(a) repaint, JPEG filled", repaintPhoto, "median of 51");
    report.Ratio("(a) repaint / plain decode", repaintPhoto, decode, 0.02, true);

    // (c) and (e): tiles against the same picture centred, in time and in memory.
    const auto tilesAgainstCentre = [&](const std::filesystem::path& picture, const std::string& name) {
        SetWallpaper({}, 0, 0);
        repaint();
        Pump();
        const double none = WorkingSet();
        SetWallpaper(picture, 0, 0);
        repaint();
        const double centred = Median(51, repaint);
        const double centredCompose = Median(51, compose);
        Pump();
        const double wsCentred = WorkingSet();
        SetWallpaper(picture, 1, 0);
        repaint();
        const double tiled = Median(51, repaint);
        const double tiledCompose = Median(51, compose);
        const double tiledPaint = Median(51, paint);
        Pump();
        const double wsTiled = WorkingSet();
        report.Count("tiles of the " + name, static_cast<double>(window.Panel().Tiles().Count()), "");
        report.Time("repaint, " + name + " tiled", tiled, "median of 51");
        report.Time("    of which composition", tiledCompose, "median of 51");
        report.Time("    of which painting the panel", tiledPaint, "median of 51");
        report.Time("repaint, " + name + " centred", centred, "median of 51");
        report.Time("    of which composition", centredCompose, "median of 51");
        report.Ratio(name + ": tiled / centred", tiled, centred, 3.0);
        report.Bytes(name + ": working set tiled - centred", wsTiled - wsCentred,
                     std::string("at most 2 MB: ") + (wsTiled - wsCentred <= 2.0 * 1024 * 1024 ? "met" : "NOT MET"));
        report.Bytes(name + ": working set tiled - no wallpaper", wsTiled - none,
                     std::string("at most 10 MB: ") + (wsTiled - none <= 10.0 * 1024 * 1024 ? "met" : "NOT MET"));
    };
    report.Bytes("(d) working set, no wallpaper", wsNone);
    report.Bytes("(d) working set, JPEG composed", wsPhoto);
    report.Bytes("(d) difference", wsPhoto - wsNone,
                 std::string("at most 10 MB: ") + (wsPhoto - wsNone <= 10.0 * 1024 * 1024 ? "met" : "NOT MET"));

    // (c) and (e) on a panel of 887 x 668 pixels, the window around it.
    const platform::ScreenMetrics screen = system.Screen();
    form.resizeLock = true;
    window.SetPanelWidth(887 * screen.twipsPerPixelX);
    window.SetPanelHeight(668 * screen.twipsPerPixelY);
    window.SetWidth(window.PanelWidth() + form.frameWidth);
    window.SetHeight(window.PanelHeight() + form.frameHeight);
    form.resizeLock = false;
    Pump();

    ::GetClientRect(window.PanelHwnd(), &panel);
    report.Count("panel width", panel.right, "px");
    report.Count("panel height", panel.bottom, "px");
    tilesAgainstCentre(pattern, "16x16 PNG");
    tilesAgainstCentre(dot, "1x1 BMP");

    SetWallpaper({}, 0, 0);
    repaint();
    std::filesystem::remove_all(folder, ec);
    return 0;
}

}  // namespace lumbra::bench
