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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// ---- file stamps ----------------------------------------------------------------------------

TEST(FileStamps, LengthAndWriteTimeOfAFile) {
    ScratchFolder folder(L"lumbra-stamps");
    const auto path = folder / L"a.bin";
    WriteText(path, "12345");
    Win32FileFacts facts;
    auto first = facts.Stamp(Narrow(path.wstring()));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->size, 5u);
    EXPECT_NE(first->writeTime, 0u);
    EXPECT_EQ(facts.Stamp(Narrow(path.wstring())), first);

    // Rewritten in place with the same length a moment later: only the time tells.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    WriteText(path, "54321");
    auto second = facts.Stamp(Narrow(path.wstring()));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->size, 5u);
    EXPECT_NE(second->writeTime, first->writeTime);
}

TEST(FileStamps, FoldersAndMissingFilesHaveNone) {
    ScratchFolder folder(L"lumbra-stamps2");
    Win32FileFacts facts;
    EXPECT_FALSE(facts.Stamp(Narrow(folder.path().wstring())).has_value());
    EXPECT_FALSE(facts.Stamp(Narrow((folder / L"missing.jpg").wstring())).has_value());
    EXPECT_FALSE(facts.Stamp("").has_value());
}

// ---- environment ----------------------------------------------------------------------------

TEST(EnvironmentExpansion, DefinedVariablesAreExpandedUndefinedOnesLeft) {
    ::SetEnvironmentVariableW(L"LUMBRA_TEST_PICS", L"C:\\写真");
    ::SetEnvironmentVariableW(L"LUMBRA_TEST_UNSET", nullptr);
    Win32Environment env;
    EXPECT_EQ(env.ExpandVariables("%LUMBRA_TEST_PICS%"), "C:\\写真");
    EXPECT_EQ(env.ExpandVariables("%lumbra_test_pics%\\a.bmp"), "C:\\写真\\a.bmp");
    EXPECT_EQ(env.ExpandVariables("%LUMBRA_TEST_UNSET%"), "%LUMBRA_TEST_UNSET%");
    EXPECT_EQ(env.ExpandVariables("no references"), "no references");
}

TEST(EnvironmentExpansion, LongValuesAreExpandedWhole) {
    const std::wstring value(5000, L'x');
    ::SetEnvironmentVariableW(L"LUMBRA_TEST_LONG", value.c_str());
    Win32Environment env;
    EXPECT_EQ(env.ExpandVariables("%LUMBRA_TEST_LONG%"), std::string(5000, 'x'));
}

// ---- folder watch ---------------------------------------------------------------------------

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
            ::PostQuitMessage(1);
        };
    }

    ScratchFolder a{L"lumbra-watch-a"};
    ScratchFolder b{L"lumbra-watch-b"};
    MessageLoop loop;
    Win32FolderWatch watch{loop};
    int reports = 0;
};

TEST_F(FolderWatching, RewritingTheFileIsReportedOnThisThread) {
    WriteText(a / L"wall.jpg", "one");
    const DWORD thread = ::GetCurrentThreadId();
    DWORD reportedOn = 0;
    ASSERT_TRUE(watch.Watch(Narrow((a / L"wall.jpg").wstring()), [&] {
        reportedOn = ::GetCurrentThreadId();
        ::PostQuitMessage(1);
    }));
    WriteText(a / L"wall.jpg", "two");
    EXPECT_EQ(RunFor(5000), 1);
    EXPECT_EQ(reportedOn, thread);
}

TEST_F(FolderWatching, KeepsReportingAfterEachChange) {
    ASSERT_TRUE(watch.Watch(Narrow((a / L"wall.jpg").wstring()), QuitOnChange()));
    for (int i = 0; i < 3; ++i) {
        WriteText(a / L"wall.jpg", std::string(10 + i, 'x'));
        EXPECT_EQ(RunFor(5000), 1) << "change " << i;
    }
    EXPECT_EQ(reports, 3);
}

TEST_F(FolderWatching, CreatingTheFileIsReported) {
    ASSERT_TRUE(watch.Watch(Narrow((a / L"later.png").wstring()), QuitOnChange()));
    WriteText(a / L"later.png", "new");
    EXPECT_EQ(RunFor(5000), 1);
}

TEST_F(FolderWatching, AnotherTargetMovesTheWatch) {
    ASSERT_TRUE(watch.Watch(Narrow((a / L"wall.jpg").wstring()), QuitOnChange()));
    ASSERT_TRUE(watch.Watch(Narrow((b / L"wall.jpg").wstring()), QuitOnChange()));
    WriteText(a / L"wall.jpg", "old folder");
    EXPECT_EQ(RunFor(600), 0);
    WriteText(b / L"wall.jpg", "new folder");
    EXPECT_EQ(RunFor(5000), 1);
    EXPECT_EQ(reports, 1);
}

TEST_F(FolderWatching, StoppedWatchReportsNothing) {
    ASSERT_TRUE(watch.Watch(Narrow((a / L"wall.jpg").wstring()), QuitOnChange()));
    watch.Stop();
    WriteText(a / L"wall.jpg", "unseen");
    EXPECT_EQ(RunFor(600), 0);
    EXPECT_EQ(reports, 0);
}

TEST_F(FolderWatching, MissingFolderCannotBeWatched) {
    EXPECT_FALSE(watch.Watch(Narrow((a / L"no-such-folder" / L"wall.jpg").wstring()), QuitOnChange()));
}

TEST_F(FolderWatching, BurstOfWritesIsReportedOnceItSettles) {
    ASSERT_TRUE(watch.Watch(Narrow((a / L"slide.jpg").wstring()), [&] { ++reports; }));
    std::thread writer([&] {
        for (int i = 0; i < 6; ++i) {
            WriteText(a / L"slide.jpg", std::string(100 * (i + 1), 'x'));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    RunFor(1500);
    writer.join();
    EXPECT_GE(reports, 1);
    EXPECT_LT(reports, 6);
}

// ---- painting -------------------------------------------------------------------------------

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

class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        old_ = ::SelectObject(dc_.get(), bitmap_.get());
        std::fill_n(static_cast<std::uint32_t*>(bits_), static_cast<std::size_t>(w) * h, 0x00123456u);
    }
    ~Canvas() { ::SelectObject(dc_.get(), old_); }
    HDC dc() const { return dc_.get(); }
    std::vector<std::uint32_t> Pixels() const {
        ::GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits_);
        return std::vector<std::uint32_t>(p, p + static_cast<std::size_t>(w_) * h_);
    }

private:
    int w_, h_;
    unique_hdc dc_;
    unique_hbitmap bitmap_;
    void* bits_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Painting with runs and pattern brushes gives exactly the pixels of one copy per element.
void ExpectSameAsElementByElement(const platform::Scene& scene, int w, int h) {
    Canvas fast(w, h), reference(w, h);
    PaintElements(fast.dc(), scene);
    scene.ForEach([&](const platform::ImageElement& e) {
        if (!e.Visible() || !e.Picture()) return;
        const auto& p = dynamic_cast<const Win32Picture&>(*e.Picture());
        p.Draw(reference.dc(), e.PixelLeft(), e.PixelTop(), e.Stretch() ? e.PixelWidth() : p.PixelWidth(),
               e.Stretch() ? e.PixelHeight() : p.PixelHeight());
    });
    const auto a = fast.Pixels(), b = reference.Pixels();
    int differing = 0, first = -1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            if (first < 0) first = static_cast<int>(i);
            ++differing;
        }
    }
    EXPECT_EQ(differing, 0) << "first at x " << first % w << ", y " << first / w;
}

void AddTiles(platform::Scene& scene, const platform::PictureRef& picture, int columns, int rows, int left, int top,
              int tileW, int tileH, int count = -1) {
    int index = static_cast<int>(scene.Count());
    for (int r = 0, n = 0; r < rows; ++r)
        for (int c = 0; c < columns && (count < 0 || n < count); ++c, ++n) {
            platform::ImageElement& e = scene.Add("imgTile" + std::to_string(index++));
            e.SetStretch(true);
            e.SetWidth(tileW * 15.0f);
            e.SetHeight(tileH * 15.0f);
            e.SetLeft((left + c * tileW) * 15.0f);
            e.SetTop((top + r * tileH) * 15.0f);
            e.SetPicture(picture);
            e.SetVisible(true);
        }
}

TEST(PanelPainting, GridOfTilesMatchesOneCopyPerTile) {
    platform::Scene scene;
    AddTiles(scene, Gradient(3, 3), 70, 52, 0, 0, 3, 3);
    ExpectSameAsElementByElement(scene, 205, 154);
}

TEST(PanelPainting, OddSizesOffsetsAndAShortLastRowMatch) {
    platform::Scene scene;
    AddTiles(scene, Gradient(7, 5), 9, 6, -3, -2, 7, 5, 9 * 5 + 4);
    ExpectSameAsElementByElement(scene, 60, 40);
}

TEST(PanelPainting, WallpaperUnderTilesAndHiddenOrTransparentElementsMatch) {
    platform::Scene scene;
    platform::ImageElement& wall = scene.Add("imgWall");
    wall.SetStretch(true);
    wall.SetWidth(40 * 15.0f);
    wall.SetHeight(30 * 15.0f);
    wall.SetLeft(5 * 15.0f);
    wall.SetTop(5 * 15.0f);
    wall.SetPicture(Gradient(4, 3));  // stretched, not a cell
    wall.SetVisible(true);
    AddTiles(scene, Gradient(4, 4, 128), 10, 6, 0, 0, 4, 4);  // half transparent
    AddTiles(scene, Gradient(5, 5), 4, 4, 20, 10, 5, 5);
    scene.Find("imgTile70")->SetVisible(false);  // a hole in the second grid
    AddTiles(scene, Gradient(2, 2), 3, 1, 0, 35, 2, 2);
    AddTiles(scene, Gradient(3, 2), 3, 1, 6, 35, 3, 2);  // another picture right after
    ExpectSameAsElementByElement(scene, 60, 40);
}

}  // namespace
}  // namespace lumbra::win32
