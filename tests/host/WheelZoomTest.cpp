// The mouse-wheel zoom: one 25-pixel step per message, anchored at the pointer, the height from
// the picture's proportions, and the resize pass that follows.
#include <gtest/gtest.h>

#include <vector>

#include "fakes/FormHarness.h"

namespace lumbra::app {
namespace {

using fakes::FormHarness;
using fakes::Geometry;
using fakes::PointerXY;
using fakes::WheelDelta;

constexpr int kAway = 120;     // one notch away from the user: shrink
constexpr int kToward = -120;  // one notch toward the user: enlarge

// At 15 twips per pixel: frame 300 x 600 (20 x 40 px), picDT 3000 x 2250 (200 x 150 px, 4:3), the
// window 3300 x 2850 (220 x 190 px) at 1500, 1200 (100, 80 px), default 3390 x 2970. The window's
// edges in pixels: left 100, right 320, top 80, bottom 270. One step is 25 px = 375 twips.
class WheelZoom : public ::testing::Test {
protected:
    void SetUp() override { Settle(1500.0f, 1200.0f, 3300.0f, 2850.0f, 3000.0f, 2250.0f); }

    void Settle(float left, float top, float width, float height, float panelWidth, float panelHeight) {
        h.form.frameWidth = 300.0f;
        h.form.frameHeight = 600.0f;
        h.form.defaultWidth = 3390.0f;
        h.form.defaultHeight = 2970.0f;
        h.window.Place(left, top, width, height);
        h.window.PlacePanel(panelWidth, panelHeight);
        h.window.MarkShown();
    }

    void Wheel(int rotation, int xPixels, int yPixels) {
        std::int32_t delta = WheelDelta(rotation);
        std::int32_t xy = PointerXY(xPixels, yPixels);
        h.form.WheelScr(delta, xy);
    }

    float Requested(Geometry what) const {
        float value = -1.0e9f;
        for (const auto& s : h.window.Sets()) {
            if (s.what == what) {
                value = s.requested;
                break;
            }
        }
        return value;
    }

    void ExpectWindow(float left, float top, float width, float height) {
        EXPECT_FLOAT_EQ(h.window.Left(), left);
        EXPECT_FLOAT_EQ(h.window.Top(), top);
        EXPECT_FLOAT_EQ(h.window.Width(), width);
        EXPECT_FLOAT_EQ(h.window.Height(), height);
    }

    FormHarness h;
};

// The sizes one step leaves, whatever the pointer's position.
struct StepSize {
    float width, height, panelWidth, panelHeight;
    int panelPixelWidth, panelPixelHeight;
};
// Shrinking by one step: width 3300 - 375 = 2925; height (2925 - 300) * 0.75 + 600 = 2568.75
// (171.25 -> 171 px = 2565). The resize pass then finds 2625 x 1965 available: 1965 * 1.3333334
// = 2620.0001, in single precision 2620, < 2625, so picDT becomes 2625 (175 px) x
// 2625 / 1.3333334 = 1968.75 (131.25 -> 131 px) and the window 1968.75 + 600 = 2568.75 keeps 171 px.
constexpr StepSize kShrunk{2925.0f, 2565.0f, 2625.0f, 1968.75f, 175, 131};
// Enlarging by one step: width 3675; height (3675 - 300) * 0.75 + 600 = 3131.25 (208.75 -> 209 px
// = 3135). The pass finds 3375 x 2535: 2535 * 4/3 = 3380 is not below 3375, 3375 * 3/4 = 2531.25
// is below 2535, so picDT takes the height, 2535 (169 px) x 3380 (225.33 -> 225 px), and the
// window 3380 + 300 = 3680 (245.33 -> 245 px) keeps its width.
constexpr StepSize kGrown{3675.0f, 3135.0f, 3380.0f, 2535.0f, 225, 169};

TEST_F(WheelZoom, OneStepPerMessageAnchoredAtThePointer) {
    const struct {
        int rotation;
        std::uint16_t keys;
        int x, y;  // the pointer, in pixels
        float startLeft, startTop;
        float askedLeft, askedTop, left, top;
        const StepSize& size;
        const char* why;
    } cases[] = {
        {kAway, 0, 100, 80, 1500.0f, 1200.0f, 1500.0f, 1200.0f, 1500.0f, 1200.0f, kShrunk,
         "pointer on the left edge: shrinks from the right, the right edge in by exactly one step"},
        {kAway, 0, 320, 270, 1500.0f, 1200.0f, 1875.0f, 1575.0f, 1875.0f, 1575.0f, kShrunk,
         "on the right edge: anchors (4800 - 1500) / 3300 = 1 and (4050 - 1200) / 2850 = 1, the left edge moves "
         "right by the whole step, the top down by 25 px, the right edge stays"},
        {kAway, 0, 210, 175, 1500.0f, 1200.0f, 1687.5f, 1387.5f, 1695.0f, 1395.0f, kShrunk,
         "in the middle: anchors 1650 / 3300 and 1425 / 2850 = 0.5, each edge moves 12.5 px (187.5 twips), "
         "the window takes 112.5 -> 113 px and 92.5 -> 93 px"},
        {kToward, 0, 100, 80, 1500.0f, 1200.0f, 1500.0f, 1200.0f, 1500.0f, 1200.0f, kGrown,
         "pointer on the left edge: grows to the right"},
        {kToward, 0, 210, 175, 1500.0f, 1200.0f, 1312.5f, 1012.5f, 1320.0f, 1020.0f, kGrown,
         "in the middle: both sides move out"},
        {0, 0, 100, 80, 1500.0f, 1200.0f, 1500.0f, 1200.0f, 1500.0f, 1200.0f, kGrown, "zero rotation enlarges"},
        {240, 0, 100, 80, 1500.0f, 1200.0f, 1500.0f, 1200.0f, 1500.0f, 1200.0f, kShrunk,
         "two notches in one message make one step"},
        {-240, 0, 100, 80, 1500.0f, 1200.0f, 1500.0f, 1200.0f, 1500.0f, 1200.0f, kGrown,
         "two notches toward the user in one message make one step"},
        {kAway, 0x0008, 100, 80, 1500.0f, 1200.0f, 1500.0f, 1200.0f, 1500.0f, 1200.0f, kShrunk,
         "key flags in the low word (MK_CONTROL) do not count"},
        // The window on a monitor left of and above the primary: -3000, -1500 (-200, -100 px).
        {kAway, 0, -112, -62, -3000.0f, -1500.0f, -2850.0f, -1425.0f, -2850.0f, -1425.0f, kShrunk,
         "pointer at (-1680, -930) twips: anchors (3000 - 1680) / 3300 = 0.4 and (1500 - 930) / 2850 = 0.2, "
         "shifts 150 and 75"},
        {kToward, 0, -112, -62, -3000.0f, -1500.0f, -3150.0f, -1575.0f, -3150.0f, -1575.0f, kGrown,
         "negative pointer coordinates when enlarging"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Settle(c.startLeft, c.startTop, 3300.0f, 2850.0f, 3000.0f, 2250.0f);
        const std::size_t sets = h.window.Sets().size();
        std::int32_t delta = WheelDelta(c.rotation, c.keys);
        std::int32_t xy = PointerXY(c.x, c.y);
        h.form.WheelScr(delta, xy);
        ASSERT_GE(h.window.Sets().size(), sets + 3);
        EXPECT_EQ(h.window.Sets()[sets + 1].what, Geometry::Left);
        EXPECT_FLOAT_EQ(h.window.Sets()[sets + 1].requested, c.askedLeft);
        EXPECT_EQ(h.window.Sets()[sets + 2].what, Geometry::Top);
        EXPECT_FLOAT_EQ(h.window.Sets()[sets + 2].requested, c.askedTop);
        ExpectWindow(c.left, c.top, c.size.width, c.size.height);
        EXPECT_FLOAT_EQ(h.window.PanelWidth(), c.size.panelWidth);
        EXPECT_FLOAT_EQ(h.window.PanelHeight(), c.size.panelHeight);
        EXPECT_EQ(h.window.PanelPixelWidth(), c.size.panelPixelWidth);
        EXPECT_EQ(h.window.PanelPixelHeight(), c.size.panelPixelHeight);
    }
}

TEST_F(WheelZoom, HeightFollowsThePicturesProportionsNotTheScreensAndThePictureFollowsTheStep) {
    // picDT 3000 x 1800 (5:3, height / width 0.6), frame 300 x 600, window 3300 x 2400. One notch
    // toward the user: (3675 - 300) * 0.6 + 600 = 2625, leaving exactly 3375 x 2025 = 5:3 for the
    // picture. The pass finds the proportions right and the picture must take that area, not
    // stay at 3000 x 1800 with a gap around it.
    Settle(1500.0f, 1200.0f, 3300.0f, 2400.0f, 3000.0f, 1800.0f);
    Wheel(kToward, 100, 80);
    EXPECT_FLOAT_EQ(Requested(Geometry::Height), 2625.0f);
    EXPECT_FLOAT_EQ(h.window.Width(), 3675.0f);
    EXPECT_FLOAT_EQ(h.window.Height(), 2625.0f);
    EXPECT_FLOAT_EQ(h.window.PanelWidth(), 3375.0f);
    EXPECT_FLOAT_EQ(h.window.PanelHeight(), 2025.0f);
    // Shrinking: (2925 - 300) * 0.6 + 600 = 2175.
    Settle(1500.0f, 1200.0f, 3300.0f, 2400.0f, 3000.0f, 1800.0f);
    Wheel(kAway, 100, 80);
    EXPECT_FLOAT_EQ(h.window.Height(), 2175.0f);
}

TEST_F(WheelZoom, AtTheMinimumFurtherNotchesOnlyMoveTheWindow) {
    // Default 3300 x 2700, half 1650 x 1350. The window sits at its minimum width: 1650 x 1500 with
    // picDT 1350 x 900 (3:2), at 1500, 1200. Pointer fixed at (122, 100) px = (1830, 1500) twips.
    h.form.defaultWidth = 3300.0f;
    h.form.defaultHeight = 2700.0f;
    h.window.Place(1500.0f, 1200.0f, 1650.0f, 1500.0f);
    h.window.PlacePanel(1350.0f, 900.0f);

    // Notch 1: anchors 330 / 1650 = 0.2 and 300 / 1500 = 0.2, shifts 75 and 75. The width 1275 is
    // raised back to 1650, the height 1245 to 1350 and then to 900 + 600 = 1500 by the proportions.
    Wheel(kAway, 122, 100);
    ExpectWindow(1575.0f, 1275.0f, 1650.0f, 1500.0f);
    EXPECT_FLOAT_EQ(h.window.PanelWidth(), 1350.0f);
    EXPECT_FLOAT_EQ(h.window.PanelHeight(), 900.0f);

    // Notch 2: anchors 255 / 1650 and 225 / 1500 = 0.15, shifts 57.95 and 56.25:
    // left 1632.95 (108.9 -> 109 px = 1635), top 1331.25 (88.75 -> 89 px = 1335).
    Wheel(kAway, 122, 100);
    ExpectWindow(1635.0f, 1335.0f, 1650.0f, 1500.0f);

    // Notch 3: anchors 195 / 1650 and 165 / 1500 = 0.11, shifts 44.3 and 41.25:
    // left 1679.3 (111.95 -> 112 px = 1680), top 1376.25 (91.75 -> 92 px = 1380).
    Wheel(kAway, 122, 100);
    ExpectWindow(1680.0f, 1380.0f, 1650.0f, 1500.0f);
}

TEST_F(WheelZoom, ThereIsNoUpperLimit) {
    // A 5:3 picture, 3000 x 1800, in a 3300 x 2400 window: each notch toward the user adds 375
    // twips (25 px) to the width and 375 * 0.6 = 225 twips (15 px) to the height, whole pixels,
    // so every step lands on the proportions and the pass only lets the picture follow. 40 notches:
    // 3300 + 40 * 375 = 18300 wide (1220 px, past the 15360-twip screen), 2400 + 40 * 225 = 11400
    // high, the picture 18000 x 10800.
    Settle(1500.0f, 1200.0f, 3300.0f, 2400.0f, 3000.0f, 1800.0f);
    for (int i = 0; i < 40; ++i) Wheel(kToward, 100, 80);
    EXPECT_FLOAT_EQ(h.window.Width(), 18300.0f);
    EXPECT_FLOAT_EQ(h.window.Height(), 11400.0f);
    EXPECT_FLOAT_EQ(h.window.PanelWidth(), 18000.0f);
    EXPECT_FLOAT_EQ(h.window.PanelHeight(), 10800.0f);
    EXPECT_GT(h.window.Width(), h.system.screen.widthTwips);
}

TEST_F(WheelZoom, MovesAndSizesUnderTheLockThenRunsOnePass) {
    std::vector<bool> lockAtEachRequest;
    h.window.onSet = [&](Geometry what, float) {
        if (what == Geometry::Width || what == Geometry::Height || what == Geometry::Left || what == Geometry::Top) {
            lockAtEachRequest.push_back(h.form.resizeLock);
        }
    };
    Wheel(kAway, 100, 80);
    // Width, left, top and height under the lock; then the resize pass, unlocked, fits picDT to
    // the width and sets the window height from it (2565 again).
    EXPECT_EQ(lockAtEachRequest, (std::vector<bool>{true, true, true, true, false}));
    EXPECT_FALSE(h.form.resizeLock);
    // The locked size changes raised passes that did nothing; the one real pass recomposed once.
    EXPECT_EQ(h.window.RefreshCount(), 1);
    const std::vector<std::string> order = h.log.Entries();
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(order[0], "SetWidth 2925");
    EXPECT_EQ(order[1], "event Form_Resize");
    EXPECT_EQ(order[2], "SetLeft 1500");
    EXPECT_EQ(order[3], "SetTop 1200");
}

TEST_F(WheelZoom, LeavesItsArgumentsUnchanged) {
    std::int32_t delta = WheelDelta(kAway, 0x0004);
    std::int32_t xy = PointerXY(-112, 270);
    const std::int32_t delta0 = delta;
    const std::int32_t xy0 = xy;
    h.form.WheelScr(delta, xy);
    EXPECT_EQ(delta, delta0);
    EXPECT_EQ(xy, xy0);
}

TEST(WheelZoomAxes, VerticalStepUsesTheVerticalTwipsPerPixel) {
    // 15 twips per pixel across, 12 down. Window 3300 x 2400 at 1500, 1200 (100, 100 px down).
    // Pointer y 150 px = 1800 twips: anchor (1800 - 1200) / 2400 = 0.25, shift 25 * 12 * 0.25 = 75.
    FormHarness h(15.0f, 12.0f);
    h.form.frameWidth = 300.0f;
    h.form.frameHeight = 600.0f;
    h.form.defaultWidth = 3390.0f;
    h.form.defaultHeight = 2970.0f;
    h.window.Place(1500.0f, 1200.0f, 3300.0f, 2400.0f);
    h.window.PlacePanel(3000.0f, 1800.0f);
    h.window.MarkShown();
    std::int32_t delta = WheelDelta(kAway);
    std::int32_t xy = PointerXY(166, 150);  // x anchor (2490 - 1500) / 3300 = 0.3: shift 112.5
    h.form.WheelScr(delta, xy);
    ASSERT_GE(h.window.Sets().size(), 4u);
    EXPECT_EQ(h.window.Sets()[0].what, Geometry::Width);
    EXPECT_FLOAT_EQ(h.window.Sets()[0].requested, 3300.0f - 375.0f);
    EXPECT_EQ(h.window.Sets()[1].what, Geometry::Left);
    EXPECT_FLOAT_EQ(h.window.Sets()[1].requested, 1612.5f);
    EXPECT_EQ(h.window.Sets()[2].what, Geometry::Top);
    EXPECT_FLOAT_EQ(h.window.Sets()[2].requested, 1275.0f);
}

class WheelThroughTheHook : public ::testing::Test {
protected:
    FormHarness h;
};

TEST_F(WheelThroughTheHook, WheelMessageZoomsAndOtherMessagesDoNot) {
    h.form.Form_Load();
    const float width = h.window.Width();
    h.form.WindowProc(0x0200 /* mouse move */, WheelDelta(kAway), PointerXY(0, 0));
    EXPECT_FLOAT_EQ(h.window.Width(), width);
    EXPECT_EQ(h.window.RefreshCount(), 0);
    h.form.WindowProc(platform::kMsgMouseWheel, WheelDelta(kToward), PointerXY(0, 0));
    EXPECT_FLOAT_EQ(h.window.Width(), width + 375.0f);
}

TEST_F(WheelThroughTheHook, PaintAndSettingChangeRecompose) {
    h.form.Form_Load();
    h.form.WindowProc(platform::kMsgPaint, 0, 0);
    h.form.WindowProc(platform::kMsgSettingChange, 0, 0);
    EXPECT_EQ(h.window.RefreshCount(), 2);
    h.form.WindowProc(0x0005 /* size */, 0, 0);
    EXPECT_EQ(h.window.RefreshCount(), 2);
}

}  // namespace
}  // namespace lumbra::app
