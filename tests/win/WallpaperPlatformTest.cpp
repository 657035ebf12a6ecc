// The miniature's own parts of the system: the folder watch waiting in the message loop, the
// loop's turns, and the painting of the tiles.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "PictureFiles.h"
#include "platform/Scene.h"
#include "platform/win32/FolderWatch.h"
#include "platform/win32/Handles.h"
#include "platform/win32/MessageLoop.h"
#include "platform/win32/Picture.h"
#include "platform/win32/ScenePainter.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using testing::ScratchFolder;

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

using platform::FolderEvent;

// The watch's reports, each quitting the loop with 1; the loop quits with 0 when the time is up.
class FolderWatching : public ::testing::Test {
protected:
    FolderWatching() {
        watch.Listen([this](FolderEvent event) {
            events.push_back(event);
            reportedOn = ::GetCurrentThreadId();
            ::PostQuitMessage(1);
        });
    }
    int RunFor(unsigned milliseconds) {
        const UINT_PTR timer = ::SetTimer(nullptr, 0, milliseconds, [](HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(0); });
        const int code = loop.Run();
        ::KillTimer(nullptr, timer);
        return code;
    }
    std::string In(const ScratchFolder& folder, const wchar_t* name) { return Narrow((folder / name).wstring()); }

    ScratchFolder a{L"lumbra-watch-a"};
    ScratchFolder b{L"lumbra-watch-b"};
    MessageLoop loop;
    Win32FolderWatch watch{loop};
    std::vector<FolderEvent> events;
    DWORD reportedOn = 0;
};

TEST_F(FolderWatching, TheFolderIsOpenedAwayFromThisThreadEachChangeIsReportedOnItAndNothingAfterClose) {
    watch.Open(In(a, L"wall.jpg"));
    watch.Open(In(b, L"wall.jpg"));  // in place of the first before that has even opened
    EXPECT_EQ(RunFor(5000), 1);
    WriteText(a / L"wall.jpg", "the other folder");
    EXPECT_EQ(RunFor(600), 0);
    for (const wchar_t* name : {L"wall.jpg", L"wall.jpg", L"later.png"}) {
        WriteText(b / name, std::string(10 + events.size(), 'x'));
        EXPECT_EQ(RunFor(5000), 1) << events.size();
    }
    EXPECT_EQ(reportedOn, ::GetCurrentThreadId());
    watch.Close();
    WriteText(b / L"wall.jpg", "closed");
    EXPECT_EQ(RunFor(600), 0);
    watch.Open(In(a, L"no-such-folder\\wall.jpg"));
    EXPECT_EQ(RunFor(5000), 1);
    using E = FolderEvent;
    EXPECT_EQ(events, (std::vector<E>{E::Opened, E::Changed, E::Changed, E::Changed, E::OpenFailed}));
}

TEST(MessageLoopTurns, AHandleThatStaysSignalledNeverKeepsInputWaiting) {
    MessageLoop loop;
    unique_handle_ptr signalled(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    int calls = 0;
    loop.AddWaitHandle(signalled.get(), [&] {
        if (++calls == 10000) loop.RemoveWaitHandle(signalled.get());
    });
    ::PostQuitMessage(7);
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_LT(calls, 10);
}

// A picture whose every pixel differs, so that any shift of a copy shows.
std::shared_ptr<Win32Picture> Gradient(int w, int h, std::uint8_t alpha = 255) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t r = (x * 40 + 20) * alpha / 255, g = (y * 50 + 10) * alpha / 255, b = 77u * alpha / 255;
            px[static_cast<std::size_t>(y) * w + x] = (std::uint32_t{alpha} << 24) | (r << 16) | (g << 8) | b;
        }
    return Win32Picture::FromPixels(w, h, px.data());
}

// A 32-bit bitmap selected into a memory DC, its pixels readable.
struct Canvas {
    Canvas(int w, int h) : w(w), h(h), dc(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        old = ::SelectObject(dc.get(), bitmap.get());
    }
    ~Canvas() { ::SelectObject(dc.get(), old); }
    std::vector<std::uint32_t> Pixels() const {
        ::GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits);
        return {p, p + static_cast<std::size_t>(w) * h};
    }
    int w, h;
    unique_hdc dc;
    unique_hbitmap bitmap;
    void* bits = nullptr;
    HGDIOBJ old = nullptr;
};

// Painted in four pieces, each offset as the panel paints a part of itself, the tiles with one
// pattern brush give exactly the pixels of one copy per tile, over the colour.
TEST(PanelPainting, TilesMatchOneCopyEachWhereverThePaintedPartLies) {
    constexpr COLORREF kColour = RGB(30, 60, 90);
    const struct {
        std::shared_ptr<Win32Picture> picture;
        int left, top, width, height;
    } grids[] = {{Gradient(3, 3), 0, 0, 3, 3}, {Gradient(7, 5), -3, -2, 7, 5}, {Gradient(4, 4, 128), 0, 0, 4, 4},
                 {Gradient(2, 3), 1, 1, 5, 4}};  // stretched: not a cell of its picture
    for (const auto& g : grids) {
        platform::Scene scene;
        platform::TileGrid& tiles = scene.Tiles();
        tiles.cell.SetWidth(g.width * 15.0f);
        tiles.cell.SetHeight(g.height * 15.0f);
        tiles.cell.SetLeft(g.left * 15.0f);
        tiles.cell.SetTop(g.top * 15.0f);
        tiles.cell.SetPicture(g.picture);
        tiles.cell.SetStretch(true);
        tiles.cell.SetVisible(true);
        tiles.columns = 90 / g.width;  // short of the right edge
        tiles.rows = 60 / g.height + 1;
        // Stretched copies are blended from their neighbours, which a cut through them changes.
        const bool cells = g.picture->PixelWidth() == g.width;
        Canvas fast(90, 60), reference(90, 60);
        for (const RECT& piece : cells ? std::vector<RECT>{{0, 0, 37, 23}, {37, 0, 90, 23}, {0, 23, 37, 60}, {37, 23, 90, 60}}
                                       : std::vector<RECT>{{0, 0, 90, 60}}) {
            Canvas part(piece.right - piece.left, piece.bottom - piece.top);
            ::SetViewportOrgEx(part.dc.get(), -piece.left, -piece.top, nullptr);
            ::IntersectClipRect(part.dc.get(), piece.left, piece.top, piece.right, piece.bottom);
            PaintScene(part.dc.get(), scene, kColour);
            ::SetViewportOrgEx(part.dc.get(), 0, 0, nullptr);
            ::BitBlt(fast.dc.get(), piece.left, piece.top, part.w, part.h, part.dc.get(), 0, 0, SRCCOPY);
        }
        unique_hbrush fill(::CreateSolidBrush(kColour));
        const RECT all{0, 0, 90, 60};
        ::FillRect(reference.dc.get(), &all, fill.get());
        for (std::size_t i = 0; i < tiles.Count(); ++i) {
            const platform::ImageElement tile = *tiles.Tile(i);
            g.picture->Draw(reference.dc.get(), tile.PixelLeft(), tile.PixelTop(), tile.PixelWidth(), tile.PixelHeight());
        }
        const auto x = fast.Pixels(), y = reference.Pixels();
        const std::size_t first = std::mismatch(x.begin(), x.end(), y.begin()).first - x.begin();
        EXPECT_EQ(first, x.size()) << g.width << " x " << g.height << ": first at x " << first % 90 << ", y " << first / 90;
    }
}

}  // namespace
}  // namespace lumbra::win32
