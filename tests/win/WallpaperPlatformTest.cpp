// The small platform services of the miniature against the real system: file stamps, the
// environment, the folder watch waiting in the message loop, and the painting of the elements.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "PictureFiles.h"
#include "platform/Scene.h"
#include "platform/win32/Environment.h"
#include "platform/win32/FileFacts.h"
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

TEST(FileStamps, LengthAndWriteTimeOfAFileAndNoneForFoldersOrNothing) {
    ScratchFolder folder(L"lumbra-stamps");
    const std::string path = Narrow((folder / L"a.bin").wstring());
    WriteText(folder / L"a.bin", "12345");
    Win32FileFacts facts;
    const auto first = facts.Stamp(path);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->size, 5u);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    WriteText(folder / L"a.bin", "54321");  // the same length: only the time tells
    EXPECT_NE(facts.Stamp(path), first);
    EXPECT_FALSE(facts.Stamp(Narrow(folder.path().wstring())));
    EXPECT_FALSE(facts.Stamp(Narrow((folder / L"missing.jpg").wstring())));
    EXPECT_FALSE(facts.Stamp(""));
}

TEST(EnvironmentExpansion, DefinedVariablesAreExpandedWholeAndUndefinedOnesLeft) {
    ::SetEnvironmentVariableW(L"LUMBRA_TEST_PICS", L"C:\\写真");
    ::SetEnvironmentVariableW(L"LUMBRA_TEST_LONG", std::wstring(5000, L'x').c_str());
    ::SetEnvironmentVariableW(L"LUMBRA_TEST_UNSET", nullptr);
    Win32Environment env;
    EXPECT_EQ(env.ExpandVariables("%lumbra_test_pics%\\a.bmp"), "C:\\写真\\a.bmp");
    EXPECT_EQ(env.ExpandVariables("%LUMBRA_TEST_LONG%"), std::string(5000, 'x'));
    EXPECT_EQ(env.ExpandVariables("%LUMBRA_TEST_UNSET%"), "%LUMBRA_TEST_UNSET%");
}

// Runs the loop until the watch reports (quitting with 1) or the time is up (0).
class FolderWatching : public ::testing::Test {
protected:
    int RunFor(unsigned milliseconds) {
        const UINT_PTR timer = ::SetTimer(nullptr, 0, milliseconds, [](HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(0); });
        const int code = loop.Run();
        ::KillTimer(nullptr, timer);
        return code;
    }
    std::function<void()> QuitOnChange() {
        return [this] {
            ++reports;
            reportedOn = ::GetCurrentThreadId();
            ::PostQuitMessage(1);
        };
    }
    std::string In(const ScratchFolder& folder, const wchar_t* name) { return Narrow((folder / name).wstring()); }

    ScratchFolder a{L"lumbra-watch-a"};
    ScratchFolder b{L"lumbra-watch-b"};
    MessageLoop loop;
    Win32FolderWatch watch{loop};
    int reports = 0;
    DWORD reportedOn = 0;
};

TEST_F(FolderWatching, EachRewriteOrNewFileIsReportedOnThisThread) {
    ASSERT_TRUE(watch.Watch(In(a, L"wall.jpg"), QuitOnChange()));
    for (int i = 0; i < 2; ++i) {
        WriteText(a / L"wall.jpg", std::string(10 + i, 'x'));
        EXPECT_EQ(RunFor(5000), 1) << "change " << i;
    }
    EXPECT_EQ(reportedOn, ::GetCurrentThreadId());
    WriteText(a / L"later.png", "new");
    EXPECT_EQ(RunFor(5000), 1);
    EXPECT_EQ(reports, 3);
}

TEST_F(FolderWatching, AnotherTargetMovesTheWatchAndAStoppedOrMissingOneReportsNothing) {
    ASSERT_TRUE(watch.Watch(In(a, L"wall.jpg"), QuitOnChange()));
    ASSERT_TRUE(watch.Watch(In(b, L"wall.jpg"), QuitOnChange()));
    WriteText(a / L"wall.jpg", "old folder");
    EXPECT_EQ(RunFor(600), 0);
    watch.Stop();
    WriteText(b / L"wall.jpg", "stopped");
    EXPECT_EQ(RunFor(600), 0);
    EXPECT_EQ(reports, 0);
    EXPECT_FALSE(watch.Watch(In(a, L"no-such-folder\\wall.jpg"), QuitOnChange()));
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

struct Canvas {
    Canvas(int w, int h) : w(w), h(h), dc(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        old = ::SelectObject(dc.get(), bitmap.get());
        std::fill_n(static_cast<std::uint32_t*>(bits), static_cast<std::size_t>(w) * h, 0x00123456u);
    }
    ~Canvas() { ::SelectObject(dc.get(), old); }
    std::vector<std::uint32_t> Pixels() const {
        ::GdiFlush();
        return std::vector<std::uint32_t>(static_cast<const std::uint32_t*>(bits),
                                          static_cast<const std::uint32_t*>(bits) + static_cast<std::size_t>(w) * h);
    }
    int w, h;
    unique_hdc dc;
    unique_hbitmap bitmap;
    void* bits = nullptr;
    HGDIOBJ old = nullptr;
};

void AddTiles(platform::Scene& scene, const platform::PictureRef& picture, int columns, int rows, int left, int top,
              int tileW, int tileH, int count = -1) {
    for (int r = 0, n = 0; r < rows; ++r)
        for (int c = 0; c < columns && (count < 0 || n < count); ++c, ++n) {
            platform::ImageElement& e = scene.Add("imgTile" + std::to_string(scene.Count()));
            e.SetStretch(true);
            e.SetWidth(tileW * 15.0f);
            e.SetHeight(tileH * 15.0f);
            e.SetLeft((left + c * tileW) * 15.0f);
            e.SetTop((top + r * tileH) * 15.0f);
            e.SetPicture(picture);
            e.SetVisible(true);
        }
}

// Runs of tiles painted with pattern brushes give exactly the pixels of one copy per element.
TEST(PanelPainting, TilesWallpaperAndTransparentOrHiddenElementsMatchOneCopyPerElement) {
    platform::Scene scene;
    platform::ImageElement& wall = scene.Add("imgWall");
    wall.SetStretch(true);
    wall.SetWidth(40 * 15.0f);
    wall.SetHeight(30 * 15.0f);
    wall.SetLeft(5 * 15.0f);
    wall.SetTop(5 * 15.0f);
    wall.SetPicture(Gradient(4, 3));  // stretched, not a cell
    wall.SetVisible(true);
    AddTiles(scene, Gradient(3, 3), 30, 20, 0, 0, 3, 3);
    AddTiles(scene, Gradient(4, 4, 128), 10, 6, 0, 0, 4, 4);  // half transparent
    AddTiles(scene, Gradient(7, 5), 9, 6, -3, -2, 7, 5, 9 * 5 + 4);  // offset, with a short last row
    scene.Find("imgTile700")->SetVisible(false);                     // a hole in the grid
    AddTiles(scene, Gradient(2, 2), 3, 1, 0, 35, 2, 2);
    AddTiles(scene, Gradient(3, 2), 3, 1, 6, 35, 3, 2);  // another picture right after

    Canvas fast(90, 60), reference(90, 60);
    PaintElements(fast.dc.get(), scene);
    scene.ForEach([&](const platform::ImageElement& e) {
        if (!e.Visible() || !e.Picture()) return;
        const auto& p = dynamic_cast<const Win32Picture&>(*e.Picture());
        p.Draw(reference.dc.get(), e.PixelLeft(), e.PixelTop(), e.Stretch() ? e.PixelWidth() : p.PixelWidth(),
               e.Stretch() ? e.PixelHeight() : p.PixelHeight());
    });
    const auto a = fast.Pixels(), b = reference.Pixels();
    std::size_t differing = 0, first = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) ++differing, first = i;
    }
    EXPECT_EQ(differing, 0u) << "first at x " << first % 90 << ", y " << first / 90;
}

}  // namespace
}  // namespace lumbra::win32
