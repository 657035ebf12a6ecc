// Loading the main window: the version record, the geometry from the screen and the stored
// settings, the hook, the topmost request, the folder tables and the notification-area icon.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FormHarness.h"

namespace lumbra::app {
namespace {

using fakes::FakeMainWindow;
using fakes::FakeNotifyIcon;
using fakes::FormHarness;
using fakes::Geometry;

// The fake window is created with the designed layout: a client area of 3915 x 2955 twips
// (261 x 197 px at 15 twips per pixel) inside 16 px of borders and 39 px of caption and borders,
// so 277 x 236 px; picDT 3840 x 2880 twips (256 x 192 px). The frame around picDT is therefore
// 277 - 256 = 21 px = 315 twips wide (borders 16 + margins 2 + 3) and 236 - 192 = 44 px = 660 twips
// high (caption and borders 39 + margins 2 + 3).
constexpr float kFrameWidth = 315.0f;
constexpr float kFrameHeight = 660.0f;
// A 1024 x 768 screen: picDT asks for 1024 * 3 = 3072 x 768 * 3 = 2304 twips, which the panel takes
// as 204.8 -> 205 px and 153.6 -> 154 px and reads back as the 3072 x 2304 asked for. The window
// follows the panel: 3072 + 315 = 3387 (225.8 -> 226 px = 3390) by 2304 + 660 = 2964 (197.6 -> 198
// px = 2970), the default size. The stored size, by default that one, then gives picDT
// 3390 - 315 = 3075 by 2970 - 660 = 2310 (205 x 154 px, the pixels it already has).
constexpr float kDefaultWidthAsked = 3387.0f;
constexpr float kDefaultHeightAsked = 2964.0f;
constexpr float kPanelWidth = 3075.0f;
constexpr float kPanelHeight = 2310.0f;
constexpr float kDefaultWidth = 3390.0f;
constexpr float kDefaultHeight = 2970.0f;

void StoreGeometry(FormHarness& h, std::string_view key, std::string_view value) {
    h.settings.Put("Lumbra", "Setting", key, value);
}

TEST(FormatVersion, MinorTakesTwoDigitsAndRevisionFour) {
    EXPECT_EQ(FormatVersion(1, 12, 0), "1.12.0000");
    EXPECT_EQ(FormatVersion(1, 5, 0), "1.05.0000");
    EXPECT_EQ(FormatVersion(2, 3, 45), "2.03.0045");
    EXPECT_EQ(FormatVersion(10, 123, 12345), "10.123.12345");
}

TEST(FormLoad, WritesTheUpdateRecordFirst) {
    FormHarness h;
    h.system.programFolder = "C:\\Program Files\\ルンブラ";
    h.form.Form_Load();
    EXPECT_EQ(h.settings.Writes().size(), 2u) << "the geometry is only written at close";
    EXPECT_EQ(h.log.Entries().at(0), "SaveSetting Lumbra/UpdateInfo/ApplicationPath=C:\\Program Files\\ルンブラ");
    EXPECT_EQ(h.log.Entries().at(1), "SaveSetting Lumbra/UpdateInfo/CurrentVersion=1.12.0000");
}

TEST(FormLoad, RewritesTheUpdateRecordAtEveryStart) {
    FormHarness h;
    h.settings.Put("Lumbra", "UpdateInfo", "CurrentVersion", "1.11.0000");
    h.settings.Put("Lumbra", "UpdateInfo", "ApplicationPath", "D:\\old");
    h.form.Form_Load();
    EXPECT_EQ(h.settings.Value("Lumbra", "UpdateInfo", "CurrentVersion"), "1.12.0000");
    EXPECT_EQ(h.settings.Value("Lumbra", "UpdateInfo", "ApplicationPath"), "C:\\Program Files\\Lumbra");
}

TEST(FormLoad, FirstStartOpensAtTopLeftWithTheDefaultSize) {
    FormHarness h;
    h.form.Form_Load();
    EXPECT_FLOAT_EQ(h.form.frameWidth, kFrameWidth);
    EXPECT_FLOAT_EQ(h.form.frameHeight, kFrameHeight);
    EXPECT_FLOAT_EQ(h.form.defaultWidth, kDefaultWidth);
    EXPECT_FLOAT_EQ(h.form.defaultHeight, kDefaultHeight);
    EXPECT_FLOAT_EQ(h.window.Left(), 0.0f);
    EXPECT_FLOAT_EQ(h.window.Top(), 0.0f);
    EXPECT_FLOAT_EQ(h.window.Width(), kDefaultWidth);
    EXPECT_FLOAT_EQ(h.window.Height(), kDefaultHeight);
    EXPECT_EQ(h.window.PanelPixelWidth(), 205);
    EXPECT_EQ(h.window.PanelPixelHeight(), 154);
    EXPECT_FLOAT_EQ(h.window.PanelWidth(), kPanelWidth);
    EXPECT_FLOAT_EQ(h.window.PanelHeight(), kPanelHeight);
    EXPECT_TRUE(h.window.IsVisible());
}

TEST(FormLoad, EachAxisUsesItsOwnTwipsPerPixel) {
    // 15 twips per pixel across, 12 down. Screen 1024 x 768 px = 15360 x 9216 twips.
    // picDT: 15360 / 15 * 3 = 3072 (204.8 -> 205 px) by 9216 / 12 * 3 = 2304 (192 px exactly).
    // Designed frame height at 12 twips per pixel: client 2955 / 12 = 246.25 -> 246 px, window
    // 246 + 39 = 285 px = 3420, panel 2880 / 12 = 240 px, frame 45 px = 540 twips.
    // Default width 3072 + 315 = 3387 (225.8 -> 226 px = 3390), height 2304 + 540 = 2844 (237 px
    // exactly); the stored size, the default, gives picDT 3390 - 315 = 3075 by 2844 - 540 = 2304.
    FormHarness h(15.0f, 12.0f);
    h.form.Form_Load();
    EXPECT_FLOAT_EQ(h.form.frameWidth, 315.0f);
    EXPECT_FLOAT_EQ(h.form.frameHeight, 540.0f);
    EXPECT_FLOAT_EQ(h.window.PanelWidth(), 3075.0f);
    EXPECT_FLOAT_EQ(h.window.PanelHeight(), 2304.0f);
    EXPECT_FLOAT_EQ(h.form.defaultWidth, 3075.0f + 315.0f);
    EXPECT_FLOAT_EQ(h.form.defaultHeight, 2304.0f + 540.0f);
}

TEST(FormLoad, CallsInOrderOnAFirstStart) {
    FormHarness h;
    h.form.Form_Load();
    const std::vector<std::string> expected = {
        "SaveSetting Lumbra/UpdateInfo/ApplicationPath=C:\\Program Files\\Lumbra",
        "SaveSetting Lumbra/UpdateInfo/CurrentVersion=1.12.0000",
        "SetLeft 0",
        "SetTop 0",
        "SetPanelWidth 3072",
        "SetPanelHeight 2304",
        "SetWidth 3387",  // the panel as asked for, 3072, plus the frame; the window takes 226 px = 3390
        "SetHeight 2964",  // 2304 + 660; 198 px = 2970
        "InstallMessageHook",
        "MakeTopmost",
        "AddIcon " + std::to_string(FakeMainWindow::kCreationIconHandle) + " LumbraPanel",
        "SetWidth 3390",  // the stored size, here the default
        "SetHeight 2970",
        "SetPanelWidth 3075",
        "SetPanelHeight 2310",
        "Show",
        // The first showing's pass finds 3075 x 2310 in a 3075 x 2310 area (in single precision
        // 3075 / 2310 = 1.3311689; 2310 * 1.3311689 = 3075.0002 is not below 3075 and
        // 3075 / 1.3311689 = 2310 not below 2310): nothing to change, and its recomposition does
        // nothing while loading.
        "event Form_Resize",
    };
    EXPECT_EQ(h.log.Entries(), expected);
}

TEST(FormLoad, DrawsNothingWhileLoading) {
    FormHarness h;
    h.profile.Put("WIN.INI", "colors", "BackGround", "0 128 128");
    h.form.Form_Load();
    EXPECT_EQ(h.window.RefreshCount(), 0);
    EXPECT_TRUE(h.profile.Calls().empty());
    EXPECT_FALSE(h.form.formLoading);

    // Loading is over: the first repaint composes.
    h.form.WindowProc(platform::kMsgPaint, 0, 0);
    EXPECT_EQ(h.window.RefreshCount(), 1);
    EXPECT_EQ(h.window.Panel().BackColor(), 8421376);
}

TEST(FormLoad, FlagsAtTheEndOfLoading) {
    FormHarness h;
    h.form.Form_Load();
    EXPECT_FALSE(h.form.formLoading);
    EXPECT_FALSE(h.form.resizeLock);
    EXPECT_TRUE(h.form.panelEnabled);
}

struct HookCase {
    const char* commandLine;
    int hooks;
};

class FormLoadHook : public ::testing::TestWithParam<HookCase> {};

TEST_P(FormLoadHook, InstalledUnlessTheCommandLineIsExactlyDbg) {
    FormHarness h;
    h.system.commandLine = GetParam().commandLine;
    h.form.Form_Load();
    EXPECT_EQ(h.window.HookInstalls(), GetParam().hooks);
    // Everything else loads the same way.
    EXPECT_EQ(h.window.TopmostRequests(), 1);
    EXPECT_EQ(h.prcIcon.Calls().size(), 1u);
    EXPECT_TRUE(h.window.IsVisible());
}

INSTANTIATE_TEST_SUITE_P(CommandLines, FormLoadHook,
                         ::testing::Values(HookCase{"", 1}, HookCase{"/dbg", 0}, HookCase{"/DBG", 1},
                                           HookCase{"/Dbg", 1}, HookCase{"/dbg ", 1}, HookCase{"/dbg x", 1},
                                           HookCase{"x /dbg", 1}, HookCase{"dbg", 1}, HookCase{"-dbg", 1}));

TEST(FormLoad, FillsBothFolderTablesExactly) {
    FormHarness h;
    h.form.Form_Load();
    const std::array<std::string, 5> clsids = {
        "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "{208D2C60-3AEA-1069-A2D7-08002B30309D}",
        "{450D8FBA-AD25-11D0-98A8-0800361B1103}", "{871C5380-42A0-1069-A2EA-08002B30309D}",
        "{645FF040-5081-101B-9F08-00AA002F954E}"};
    const std::array<std::string, 5> applets = {"Sysdm.cpl", "Netcpl.cpl", "", "Inetcpl.cpl", ""};
    EXPECT_EQ(h.form.folderClsids, clsids);
    EXPECT_EQ(h.form.folderApplets, applets);
}

TEST(FormLoad, StoredSizeGoesInUnderTheResizeLock) {
    FormHarness h;
    StoreGeometry(h, "Width", "1500");
    StoreGeometry(h, "Height", "1200");
    struct Seen {
        Geometry what;
        float requested;
        bool lock;
        bool loading;
    };
    std::vector<Seen> seen;
    h.window.onSet = [&](Geometry what, float requested) {
        seen.push_back({what, requested, h.form.resizeLock, h.form.formLoading});
    };
    h.form.Form_Load();

    auto find = [&](Geometry what, float requested) -> const Seen* {
        for (const Seen& s : seen) {
            if (s.what == what && s.requested == requested) return &s;
        }
        return nullptr;
    };
    // The default size is set before the lock ...
    const Seen* defaultWidth = find(Geometry::Width, kDefaultWidthAsked);
    const Seen* defaultHeight = find(Geometry::Height, kDefaultHeightAsked);
    ASSERT_NE(defaultWidth, nullptr);
    ASSERT_NE(defaultHeight, nullptr);
    EXPECT_FALSE(defaultWidth->lock);
    EXPECT_FALSE(defaultHeight->lock);
    // ... the stored size and the panel that follows it (1500 - 315, 1200 - 660) under it.
    for (const Seen* s : {find(Geometry::Width, 1500.0f), find(Geometry::Height, 1200.0f),
                          find(Geometry::PanelWidth, 1185.0f), find(Geometry::PanelHeight, 540.0f)}) {
        ASSERT_NE(s, nullptr);
        EXPECT_TRUE(s->lock);
        EXPECT_TRUE(s->loading);
    }
    EXPECT_FALSE(h.form.resizeLock);
}

// The window, picDT and picDT's pixels after loading with a stored size, and the resize passes
// of loading (0 where they do not matter).
TEST(FormLoad, StoredSizeComesUpInThePicturesProportionsAndAtLeastHalfTheDefault) {
    const struct {
        const char *width, *height;
        float windowWidth, windowHeight, panelWidth, panelHeight;
        int panelPixelWidth, panelPixelHeight, passes;
        const char* why;
    } cases[] = {
        // Half the default: 1695 x 1485. Stored 1500 x 1200 (100 x 80 px) goes in as stored, picDT
        // 1185 x 540 (79 x 36 px), proportion 1185 / 540 = 2.1944444. The first showing's pass raises
        // the width to 1695 and, nested, the height to 1485; that innermost pass has 1380 x 825:
        // 825 * 2.1944444 = 1810.4166 is not below 1380, 1380 / 2.1944444 = 628.86 is below 825, so the
        // picture takes the height: 825 high, 1810.4166 wide (120.69 -> 121 px), and the window
        // 1810.4166 + 315 = 2125.4165 (141.69 -> 142 px = 2130). That width change runs a fourth pass:
        // picDT reads back 1810.4166 x 825, still 2.1944444, in an available 1815 x 825;
        // 825 * 2.1944444 = 1810.4166 < 1815, so the picture takes the width: 1815 wide,
        // 1815 / 2.1944444 = 827.0886 high (55.14 -> 55 px), window 827.0886 + 660 = 1487.0886
        // (99.14 -> 99 px = 1485, as it was). The two outer passes find the same and set the same.
        // Four passes: the showing, and the nested ones for width, height and the width again.
        {"1500", "1200", 2130.0f, 1485.0f, 1815.0f, 827.0886f, 121, 55, 4,
         "wide, below half the default: comes up at half the height"},
        // Stored 1200 x 1560: picDT 885 x 900 (59 x 60 px), 885 / 900 = 0.98333335. Raised to 1695
        // wide, the nested pass has 1380 x 900, wider than the picture (900 * 0.98333335 = 885 < 1380),
        // so the picture takes the width: 1380 wide, 1380 / 0.98333335 = 1403.3898 high (93.56 -> 94
        // px), and the window 1403.3898 + 660 = 2063.3896 (137.56 -> 138 px = 2070). Nested again:
        // 1380 x 1410 available, picDT reads back 1380 x 1403.3898 (0.98333335 still);
        // 1410 * 0.98333335 = 1386.5 is not below 1380, 1380 / 0.98333335 = 1403.3898 is below 1410,
        // so the picture takes the height: 1410 high, 1386.5 wide (92.43 -> 92 px), window
        // 1386.5 + 315 = 1701.5 (113.43 -> 113 px = 1695, as it was). The showing's pass finds the same.
        {"1200", "1560", 1695.0f, 2070.0f, 1386.5f, 1410.0f, 92, 94, 0,
         "tall, below half the default: comes up at half the width"},
        // Stored 150 x 300 asks picDT for 150 - 315 = -165 by 300 - 660 = -360: no pixels, and a panel
        // without pixels reads back 0 x 0. The showing's pass raises the window to 1695 x 1485 and,
        // with no picture to measure, takes the default picture's 3075:2310 (1.3311689): available
        // 1380 x 825, 825 * 1.3311689 = 1098.2 < 1380, so the picture takes the width, 1380 x
        // 1380 / 1.3311689 = 1036.6829 (69.11 -> 69 px), and the window 1036.6829 + 660 = 1696.6829
        // (113.11 -> 113 px = 1695) high. That height change runs a fourth pass, which finds picDT
        // reading back 1380 x 1036.6829 (1.3311689 again) in 1380 x 1035: 1035 * 1.3311689 = 1377.76
        // < 1380, the same width and height once more, and the window keeps 1695; so do the two outer
        // passes.
        {"150", "300", 1695.0f, 1695.0f, 1380.0f, 1036.6829f, 92, 69, 0,
         "smaller than the frame: the picture comes back in the default proportions"},
        // Saved under a wider screen: 4815 x 2970 gives picDT 4500 x 2310, which the showing's pass
        // finds already in proportion.
        {"4815", "2970", 4815.0f, 2970.0f, 4500.0f, 2310.0f, 300, 154, 0, "other proportions are kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FormHarness h;
        StoreGeometry(h, "Width", c.width);
        StoreGeometry(h, "Height", c.height);
        h.form.Form_Load();
        EXPECT_FLOAT_EQ(h.window.Width(), c.windowWidth);
        EXPECT_FLOAT_EQ(h.window.Height(), c.windowHeight);
        EXPECT_FLOAT_EQ(h.window.PanelWidth(), c.panelWidth);
        EXPECT_FLOAT_EQ(h.window.PanelHeight(), c.panelHeight);
        EXPECT_EQ(h.window.PanelPixelWidth(), c.panelPixelWidth);
        EXPECT_EQ(h.window.PanelPixelHeight(), c.panelPixelHeight);
        if (c.passes > 0) {
            EXPECT_EQ(h.window.ResizeEvents(), c.passes);
        }
        EXPECT_EQ(h.window.RefreshCount(), 0);
    }
}

TEST(FormLoad, StoredProportionsAreKeptFromThenOn) {
    // Loaded as 4815 x 2970 with picDT 4500 x 2310 (above): dragging the right edge in by 600
    // restores the width from the unchanged height.
    FormHarness h;
    StoreGeometry(h, "Width", "4815");
    StoreGeometry(h, "Height", "2970");
    h.form.Form_Load();
    h.window.UserResize(4215.0f, 2970.0f);
    EXPECT_FLOAT_EQ(h.window.Width(), 4815.0f);
    EXPECT_FLOAT_EQ(h.window.PanelWidth(), 4500.0f);
}

TEST(FormLoad, StoredPositionIsRestored) {
    FormHarness h;
    StoreGeometry(h, "Left", "1500");
    StoreGeometry(h, "Top", "-0");
    h.form.Form_Load();
    EXPECT_FLOAT_EQ(h.window.Left(), 1500.0f);
    EXPECT_FLOAT_EQ(h.window.Top(), 0.0f);
    EXPECT_EQ(h.log.Entries().at(2), "SetLeft 1500");
}

class FormLoadGarbage : public ::testing::TestWithParam<const char*> {};

TEST_P(FormLoadGarbage, StoredGeometryThatIsNoFiniteNumberIsTheKeysDefault) {
    FormHarness h;
    for (const char* key : {"Left", "Top", "Width", "Height"}) StoreGeometry(h, key, GetParam());
    h.form.Form_Load();
    EXPECT_FLOAT_EQ(h.window.Left(), 0.0f);
    EXPECT_FLOAT_EQ(h.window.Top(), 0.0f);
    EXPECT_FLOAT_EQ(h.window.Width(), kDefaultWidth);
    EXPECT_FLOAT_EQ(h.window.Height(), kDefaultHeight);
    EXPECT_FLOAT_EQ(h.window.PanelWidth(), kPanelWidth);
    EXPECT_FLOAT_EQ(h.window.PanelHeight(), kPanelHeight);
}

INSTANTIATE_TEST_SUITE_P(Texts, FormLoadGarbage,
                         // Nothing, no number, a number and more, no finite single, beyond a single, beyond a screen.
                         ::testing::Values("", "abc", "12abc", "1,5", "nan", "inf", "1e39", "1e30"));

TEST(FormLoad, GarbageInOneKeyLeavesTheOthersAlone) {
    FormHarness h;
    StoreGeometry(h, "Left", "1500");
    StoreGeometry(h, "Top", "nan");
    StoreGeometry(h, "Width", "4815");
    StoreGeometry(h, "Height", "x");
    h.form.Form_Load();
    EXPECT_FLOAT_EQ(h.window.Left(), 1500.0f);
    EXPECT_FLOAT_EQ(h.window.Top(), 0.0f);
    EXPECT_FLOAT_EQ(h.window.Width(), 4815.0f);
    EXPECT_FLOAT_EQ(h.window.Height(), kDefaultHeight);
}

// Work areas in twips at 15 twips per pixel.
platform::TwipsRect Area(int leftPx, int topPx, int widthPx, int heightPx) {
    return {leftPx * 15.0f, topPx * 15.0f, widthPx * 15.0f, heightPx * 15.0f};
}

void ExpectInside(const FakeMainWindow& w, const platform::TwipsRect& area) {
    EXPECT_GE(w.Left(), area.left);
    EXPECT_GE(w.Top(), area.top);
    EXPECT_LE(w.Left() + w.Width(), area.left + area.width);
    EXPECT_LE(w.Top() + w.Height(), area.top + area.height);
}

TEST(FormLoad, APositionOnNoMonitorMovesOntoThePrimaryWorkAreaKeepingItsSizeOthersAreKept) {
    const platform::TwipsRect primary = Area(0, 0, 1024, 728);
    const platform::TwipsRect right = Area(1024, 0, 1280, 1024);
    const platform::TwipsRect left = Area(-1280, 0, 1280, 1024);
    const struct {
        std::vector<platform::TwipsRect> monitors;
        const char* left;
        const char* top;
        const char* width;  // "" for none stored
        const char* height;
        bool kept;
        const char* why;
    } cases[] = {
        {{primary, right}, "60000", "30000", "4815", "2970", false, "4000 px: right of both monitors"},
        {{primary}, "-19200", "3000", "", "", false, "left of the only monitor (one since removed)"},
        {{primary}, "3000", "-6000", "", "", false, "above the screen"},
        {{primary, right, left}, "19995", "3000", "", "", true, "1333 px, on the monitor to the right"},
        {{primary, left}, "-15000", "1500", "", "", true, "-1000 px, on the monitor to the left"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FormHarness h;
        h.window.SetMonitorWorkAreas(c.monitors);
        StoreGeometry(h, "Left", c.left);
        StoreGeometry(h, "Top", c.top);
        if (*c.width) StoreGeometry(h, "Width", c.width);
        if (*c.height) StoreGeometry(h, "Height", c.height);
        h.form.Form_Load();
        EXPECT_FLOAT_EQ(h.window.Width(), *c.width ? std::stof(c.width) : kDefaultWidth);
        EXPECT_FLOAT_EQ(h.window.Height(), *c.height ? std::stof(c.height) : kDefaultHeight);
        if (c.kept) {
            EXPECT_FLOAT_EQ(h.window.Left(), std::stof(c.left));
            EXPECT_FLOAT_EQ(h.window.Top(), std::stof(c.top));
        } else {
            ExpectInside(h.window, primary);
        }
    }
}

}  // namespace
}  // namespace lumbra::app
