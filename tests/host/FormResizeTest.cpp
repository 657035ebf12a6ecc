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
    // 3210 high: available 3000 x 2550; 3000 * 3/4 = 2250 < 2550, so the picture takes the height:
    // 2550 x 3400.0001 (226.7 -> 227 px = 3405), window 3405 + 315 = 3720.
    h.window.UserResize(3315.0f, 3210.0f);
    ExpectWindow(3720.0f, 3210.0f, 3405.0f, 2550.0f);
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
    // 4500 / (3075 / 2310) = 3380.5 -> 225 px = 3375 high, and the window 3375 + 660 = 4035.
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
    // 168 dots per inch: 1440 / 168 = 8.5714... twips per pixel, so whole pixels are fractional twips.
    const float tpp = 1440.0f / 168.0f;
    FormHarness first(tpp, tpp);
    first.form.Form_Load();
    std::int32_t delta = fakes::WheelDelta(-120);
    std::int32_t xy = fakes::PointerXY(37, 21);
    first.form.WheelScr(delta, xy);
    first.form.WheelScr(delta, xy);
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
