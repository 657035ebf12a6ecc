// The resize pass: the picture keeps its proportions, the window keeps at least half its default
// size, nested passes raised by the pass's own size changes, and the cases that skip it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FormHarness.h"

namespace lumbra::app {
namespace {

using fakes::FormHarness;
using fakes::Geometry;

// A settled window at 15 twips per pixel: frame 315 x 660, picDT 3000 x 2250 (200 x 150 px,
// proportion 4:3), window 3315 x 2910, default 3390 x 2970 (half: 1695 x 1485).
class FormResize : public ::testing::Test {
protected:
    void SetUp() override {
        h.form.frameWidth = 315.0f;
        h.form.frameHeight = 660.0f;
        h.form.defaultWidth = 3390.0f;
        h.form.defaultHeight = 2970.0f;
        h.window.Place(0.0f, 0.0f, 3315.0f, 2910.0f);
        h.window.PlacePanel(3000.0f, 2250.0f);
        h.window.MarkShown();
    }

    // The kind of each logged call, without its value ("SetWidth 3315" -> "SetWidth").
    std::vector<std::string> Calls() const {
        std::vector<std::string> kinds;
        for (const std::string& e : h.log.Entries()) kinds.push_back(e.substr(0, e.find(' ')));
        return kinds;
    }

    void ExpectWindow(float width, float height, float panelWidth, float panelHeight) {
        EXPECT_FLOAT_EQ(h.window.Width(), width);
        EXPECT_FLOAT_EQ(h.window.Height(), height);
        EXPECT_FLOAT_EQ(h.window.PanelWidth(), panelWidth);
        EXPECT_FLOAT_EQ(h.window.PanelHeight(), panelHeight);
    }

    FormHarness h;
};

TEST_F(FormResize, RightEdgeDraggedNarrowerRestoresTheWidthFromTheHeight) {
    // 3015 wide: available 2700 x 2250. 2250 * 4/3 = 3000 is not below 2700, but 2700 * 3/4 = 2025
    // is below 2250: the picture takes the height, 2250 x 3000, and the window 3000 + 315 = 3315.
    h.window.UserResize(3015.0f, 2910.0f);
    ExpectWindow(3315.0f, 2910.0f, 3000.0f, 2250.0f);
    // The pass's width change runs a nested pass that finds the proportions right and recomposes;
    // then the outer pass recomposes once more.
    EXPECT_EQ(Calls(), (std::vector<std::string>{"event", "SetPanelHeight", "SetPanelWidth", "SetWidth", "event",
                                                 "RefreshPanel", "RefreshPanel"}));
    EXPECT_EQ(h.window.MaxResizeDepth(), 2);
}

TEST_F(FormResize, RightEdgeDraggedWiderMakesTheWindowTaller) {
    // 3615 wide: available 3300 x 2250; 2250 * 4/3 = 3000 < 3300, so the picture takes the width:
    // 3300 x 3300 * 3/4 = 2475, window height 2475 + 660 = 3135.
    h.window.UserResize(3615.0f, 2910.0f);
    ExpectWindow(3615.0f, 3135.0f, 3300.0f, 2475.0f);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"event", "SetPanelWidth", "SetPanelHeight", "SetHeight", "event",
                                                 "RefreshPanel", "RefreshPanel"}));
}

TEST_F(FormResize, BottomEdgeDraggedDownMakesTheWindowWider) {
    // 3210 high: available 3000 x 2550. In single precision 4/3 is 1.3333334: 2550 * 1.3333334 =
    // 3400.0001, which rounds to 3400, is not below 3000; 3000 / 1.3333334 = 2250 is below 2550, so
    // the picture takes the height: 2550 high (170 px), 3400 wide (226.67 -> 227 px), and the window
    // 3400 + 315 = 3715 (247.67 -> 248 px = 3720). That width change runs a nested pass: picDT reads
    // back 3400 x 2550, 4:3 still, in 3405 x 2550 available; 2550 * 1.3333334 = 3400 < 3405, so the
    // picture takes the width: 3405 wide (227 px), 3405 / 1.3333334 = 2553.75 high (170.25 -> 170
    // px), and the window 2553.75 + 660 = 3213.75 high (214.25 -> 214 px = 3210, as dragged).
    h.window.UserResize(3315.0f, 3210.0f);
    ExpectWindow(3720.0f, 3210.0f, 3405.0f, 2553.75f);
    EXPECT_EQ(h.window.PanelPixelWidth(), 227);
    EXPECT_EQ(h.window.PanelPixelHeight(), 170);
}

TEST_F(FormResize, CornerDraggedInTheLargerPictureWinsByHeight) {
    // 2415 x 2460: available 2100 x 1800. From the width the picture could be 2100 x 1575, from
    // the height 2400 x 1800: the larger wins and the window widens to 2400 + 315 = 2715.
    h.window.UserResize(2415.0f, 2460.0f);
    ExpectWindow(2715.0f, 2460.0f, 2400.0f, 1800.0f);
}

TEST_F(FormResize, CornerDraggedInTheLargerPictureWinsByWidth) {
    // 2715 x 2310: available 2400 x 1650. From the width 2400 x 1800, from the height 2200 x 1650:
    // the width wins and the window grows to 1800 + 660 = 2460 high.
    h.window.UserResize(2715.0f, 2310.0f);
    ExpectWindow(2715.0f, 2460.0f, 2400.0f, 1800.0f);
}

// Every pass sets picDT to 4:3 lengths, A x A * 3/4 or B * 4/3 x B, where A and B are available
// lengths of the window, whole pixels of 15 twips; so each length is a multiple of 3.75 twips,
// exact in single precision, and read back as set. The next pass measures 4:3 again
// (3000 / 2250 = 1.3333334, and A / 1.3333334 and B * 1.3333334 round to exactly A * 3/4 and
// B * 4/3 for every length here), so a drag in small steps ends where one long drag would.
// Read back as bare pixels, the first 2 px step would already have measured 3030 x 2280
// (2272.5 -> 152 px), and each further step would have bent the picture a little taller, to
// 260 x 210 px after the 30th move to the right.
TEST_F(FormResize, SlowDragOfTheRightEdgeKeepsThePictureInItsProportions) {
    // 30 moves of 2 px to the right: the user's width 3315 + 30 k (221 + 2 k px), the height as
    // the window has it.
    for (int k = 1; k <= 30; ++k) {
        h.window.UserResize(3315.0f + 30.0f * static_cast<float>(k), h.window.Height());
        const int panelWidth = h.window.PanelPixelWidth();
        const int panelHeight = h.window.PanelPixelHeight();
        EXPECT_NEAR(panelHeight, panelWidth * 0.75, 1.0) << "move " << k << ": " << panelWidth << " x " << panelHeight;
        EXPECT_FLOAT_EQ(h.window.PanelWidth() / h.window.PanelHeight(), 4.0f / 3.0f) << "move " << k;
    }
    // The last move leaves 4215 - 315 = 3900 available: the picture 3900 x 2925 (260 x 195 px), the
    // window 2925 + 660 = 3585 (239 px) high.
    ExpectWindow(4215.0f, 3585.0f, 3900.0f, 2925.0f);
    EXPECT_EQ(h.window.PanelPixelWidth(), 260);
    EXPECT_EQ(h.window.PanelPixelHeight(), 195);
}

TEST_F(FormResize, SlowDragOfTheBottomEdgeKeepsThePictureInItsProportions) {
    // 30 moves of 2 px down: the user's height 2910 + 30 k (194 + 2 k px), the width as the window
    // has it.
    for (int k = 1; k <= 30; ++k) {
        h.window.UserResize(h.window.Width(), 2910.0f + 30.0f * static_cast<float>(k));
        const int panelWidth = h.window.PanelPixelWidth();
        const int panelHeight = h.window.PanelPixelHeight();
        EXPECT_NEAR(panelHeight, panelWidth * 0.75, 1.0) << "move " << k << ": " << panelWidth << " x " << panelHeight;
        EXPECT_FLOAT_EQ(h.window.PanelWidth() / h.window.PanelHeight(), 4.0f / 3.0f) << "move " << k;
    }
    // The last move leaves 3810 - 660 = 3150 available: the picture 4200 x 3150 (280 x 210 px), the
    // window 4200 + 315 = 4515 (301 px) wide.
    ExpectWindow(4515.0f, 3810.0f, 4200.0f, 3150.0f);
    EXPECT_EQ(h.window.PanelPixelWidth(), 280);
    EXPECT_EQ(h.window.PanelPixelHeight(), 210);
}

TEST_F(FormResize, TooSmallIsRaisedToHalfTheDefaultThenProportioned) {
    // 1200 x 1050 is below 1695 x 1485 both ways. Width to 1695 (nested pass), in it height to
    // 1485 (nested again); that pass sees available 1380 x 825: 825 * 4/3 = 1100 < 1380, the
    // picture takes the width, 1380 x 1035 (1034.99996 -> 69 px), window 1035 + 660 = 1695 high
    // (a third nested pass, which finds everything right). Every pass recomposes once.
    h.window.UserResize(1200.0f, 1050.0f);
    ExpectWindow(1695.0f, 1695.0f, 1380.0f, 1035.0f);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"event", "SetWidth", "event", "SetHeight", "event", "SetPanelWidth",
                                                 "SetPanelHeight", "SetHeight", "event", "RefreshPanel",
                                                 "RefreshPanel", "RefreshPanel", "RefreshPanel"}));
    EXPECT_EQ(h.log.Entries()[1], "SetWidth 1695");
    EXPECT_EQ(h.log.Entries()[3], "SetHeight 1485");
    EXPECT_EQ(h.window.MaxResizeDepth(), 4);
}

TEST_F(FormResize, TooLowOnlyIsRaisedAndThePictureTakesTheWidth) {
    // 1200 high only: raised to 1485, available 3000 x 825; the picture takes the width again,
    // 3000 x 2250, and the window returns to 2910 high.
    h.window.UserResize(3315.0f, 1200.0f);
    ExpectWindow(3315.0f, 2910.0f, 3000.0f, 2250.0f);
    EXPECT_EQ(h.log.Entries()[1], "SetHeight 1485");
}

TEST_F(FormResize, ExactProportionsOnlyRecompose) {
    h.form.Form_Resize();
    EXPECT_TRUE(h.window.Sets().empty());
    EXPECT_EQ(h.window.RefreshCount(), 1);
    EXPECT_EQ(h.window.ResizeEvents(), 0);
}

TEST_F(FormResize, MinimisedWindowIsLeftAlone) {
    h.window.Place(0.0f, 0.0f, 1200.0f, 1050.0f);
    h.window.SetMinimized(true);
    h.form.Form_Resize();
    EXPECT_TRUE(h.window.Sets().empty());
    EXPECT_EQ(h.window.RefreshCount(), 0);
    // Restored, the same size is corrected.
    h.window.SetMinimized(false);
    h.form.Form_Resize();
    EXPECT_FLOAT_EQ(h.window.Width(), 1695.0f);
}

TEST_F(FormResize, LockedPassDoesNothing) {
    h.form.resizeLock = true;
    h.window.UserResize(1200.0f, 1050.0f);
    EXPECT_EQ(h.window.ResizeEvents(), 1);
    EXPECT_TRUE(h.window.Sets().empty());
    EXPECT_EQ(h.window.RefreshCount(), 0);
    EXPECT_FLOAT_EQ(h.window.Width(), 1200.0f);
    EXPECT_FLOAT_EQ(h.window.Height(), 1050.0f);
}

TEST_F(FormResize, WhileLoadingSizesAreCorrectedButNothingIsDrawn) {
    h.form.formLoading = true;
    h.window.UserResize(3615.0f, 2910.0f);
    ExpectWindow(3615.0f, 3135.0f, 3300.0f, 2475.0f);
    EXPECT_EQ(h.window.RefreshCount(), 0);
    EXPECT_TRUE(h.profile.Calls().empty());
}

TEST_F(FormResize, EveryPassRecomposesFromTheCurrentSettings) {
    h.profile.Put("WIN.INI", "colors", "BackGround", "255 255 255");
    h.window.UserResize(3615.0f, 2910.0f);
    EXPECT_EQ(h.window.Panel().BackColor(), 16777215);
    h.profile.Put("WIN.INI", "colors", "BackGround", "0 128 128");
    h.form.Form_Resize();
    EXPECT_EQ(h.window.Panel().BackColor(), 8421376);
}

class FormClose : public ::testing::Test {
protected:
    FormHarness h;
};

TEST_F(FormClose, QueryUnloadNeverCancels) {
    h.form.Form_Load();
    h.log.Clear();
    for (platform::UnloadMode mode : {platform::UnloadMode::FormControlMenu, platform::UnloadMode::FormCode,
                                      platform::UnloadMode::AppWindows, platform::UnloadMode::AppTaskManager}) {
        bool cancel = false;
        h.form.Form_QueryUnload(cancel, mode);
        EXPECT_FALSE(cancel);
    }
    // Asking changes nothing: the geometry is written only when the window unloads.
    EXPECT_TRUE(h.log.Entries().empty());
}

TEST_F(FormClose, UnloadWritesTheFourKeysThenRemovesTheIcon) {
    h.form.Form_Load();
    // Dragged wider from the default: available 4500 x 2310, the picture takes the width,
    // 4500 / (3075 / 2310) = 4500 / 1.3311689 = 3380.4875 high (225.37 -> 225 px), and the window
    // 3380.4875 + 660 = 4040.4875 (269.37 -> 269 px = 4035).
    h.window.UserResize(4815.0f, 2970.0f);
    h.window.SetLeft(1500.0f);
    h.window.SetTop(-750.0f);
    h.log.Clear();

    bool cancel = false;
    h.form.Form_Unload(cancel);
    EXPECT_FALSE(cancel);
    const std::vector<std::string> expected = {
        "SaveSetting Lumbra/Setting/Left=1500",
        "SaveSetting Lumbra/Setting/Top=-750",
        "SaveSetting Lumbra/Setting/Width=4815",
        "SaveSetting Lumbra/Setting/Height=4035",
        "RemoveIcon",
    };
    EXPECT_EQ(h.log.Entries(), expected);
    EXPECT_FALSE(h.prcIcon.Present());
}

TEST_F(FormClose, HiddenWindowStoresItsGeometryAsUsual) {
    h.form.Form_Load();
    std::int32_t left = platform::kIconLeft;
    std::int32_t down = platform::kIconButtonDown;
    h.form.prcIcon_IconMouse(left, down);
    ASSERT_FALSE(h.window.IsVisible());
    bool cancel = false;
    h.form.Form_Unload(cancel);
    EXPECT_EQ(h.settings.Value("Lumbra", "Setting", "Width"), "3390");
    EXPECT_EQ(h.settings.Value("Lumbra", "Setting", "Height"), "2970");
    EXPECT_EQ(h.settings.Value("Lumbra", "Setting", "Left"), "0");
    EXPECT_EQ(h.settings.Value("Lumbra", "Setting", "Top"), "0");
}

TEST(StoredGeometry, WrittenWithADotAndReadBackExactly) {
    // 168 dots per inch: 1440 / 168 = 8.5714283 twips per pixel, so whole pixels are fractional
    // twips, except every seventh (7 px = 60 twips).
    // Loading: frame 25 x 48 px = 214.28564 x 411.42847; picDT asks for 3072 x 2304, the window
    // 3286.2856 x 2715.4285 (383.4 -> 383 px, 316.8 -> 317 px) = 3282.857 x 2717.1428, the default;
    // picDT then 3068.5713 x 2305.7144 (358 x 269 px), and the showing's pass finds it in proportion.
    // One notch toward the user with the pointer at (37, 21) px = (317.14, 180) twips: anchors
    // 317.14 / 3282.857 = 0.0966 and 180 / 2717.1428 = 0.0662, shifts 20.70 and 14.20; width
    // 3282.857 + 214.28571 = 3497.1426 (408 px = 3497.1428), left -20.70 (-2.42 -> -2 px =
    // -17.142857), top -14.20 (-1.66 -> -2 px = -17.142857); height
    // (3497.1428 - 214.28564) * (2305.7144 / 3068.5713) + 411.42847 = 2878.16 (335.79 -> 336 px =
    // 2880). The pass: 3282.857 x 2468.5715 available, 2468.5715 * 1.3308549 = 3285.31 is not below
    // 3282.857, so picDT takes the height, 3285.31 wide, and the window 3285.31 + 214.29 = 3499.6
    // (408.29 -> 408 px) keeps its width. Left, top and width have fractions; the height is whole.
    const float tpp = 1440.0f / 168.0f;
    FormHarness first(tpp, tpp);
    first.form.Form_Load();
    std::int32_t delta = fakes::WheelDelta(-120);
    std::int32_t xy = fakes::PointerXY(37, 21);
    first.form.WheelScr(delta, xy);
    ASSERT_EQ(first.window.PixelWidth(), 408);
    ASSERT_EQ(first.window.PixelLeft(), -2);
    bool cancel = false;
    first.form.Form_Unload(cancel);

    for (const char* key : {"Left", "Top", "Width", "Height"}) {
        const std::string text = first.settings.Value("Lumbra", "Setting", key).value_or("");
        EXPECT_EQ(text.find(','), std::string::npos) << key << " " << text;
    }
    EXPECT_NE(first.settings.Value("Lumbra", "Setting", "Width").value_or("").find('.'), std::string::npos);

    FormHarness second(tpp, tpp);
    for (const char* key : {"Left", "Top", "Width", "Height"}) {
        second.settings.Put("Lumbra", "Setting", key, first.settings.Value("Lumbra", "Setting", key).value_or(""));
    }
    second.form.Form_Load();
    EXPECT_EQ(second.window.Left(), first.window.Left());
    EXPECT_EQ(second.window.Top(), first.window.Top());
    EXPECT_EQ(second.window.Width(), first.window.Width());
    EXPECT_EQ(second.window.Height(), first.window.Height());
}

TEST(StoredGeometry, TextOfASingleReadsBackAsTheSameSingle) {
    for (float value : {0.0f, 1500.0f, -2906.25f, 857.142883f, 3390.0f, 0.1f, -1.0e-3f, 491505.0f}) {
        const std::string text = FormatSingle(value);
        EXPECT_EQ(text.find(','), std::string::npos) << text;
        EXPECT_EQ(ParseStoredSingle(text, 15.0f), std::optional<float>(value)) << text;
    }
    EXPECT_EQ(FormatSingle(-2906.25f), "-2906.25");
    EXPECT_EQ(FormatSingle(3390.0f), "3390");
}

}  // namespace
}  // namespace lumbra::app
