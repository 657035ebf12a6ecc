// The mouse-wheel zoom: one 25-pixel step anchored at the pointer, the height from the picture's
// proportions and the resize pass after it; small deltas adding up to notches; the hook.
#include <gtest/gtest.h>

#include <vector>

#include "fakes/FormHarness.h"

namespace lumbra::app {
namespace {

using fakes::FormHarness;
using fakes::PointerXY;
using fakes::WheelDelta;

// frame 300 x 600, picDT width x height in a window 300 x 600 larger at left, top; the default
// 3390 x 2970. One step is 25 logical pixels, 375 twips.
void Settle(FormHarness& h, float left, float top, float width = 3000, float height = 2250) {
    h.form.frameWidth = 300.0f;
    h.form.frameHeight = 600.0f;
    h.form.defaultWidth = 3390.0f;
    h.form.defaultHeight = 2970.0f;
    h.window.Place(left, top, width + 300, height + 600);
    h.window.PlacePanel(width, height);
    h.window.MarkShown();
}

std::vector<float> Geometry(const FormHarness& h) {
    const auto& w = h.window;
    return {w.Left(), w.Top(), w.Width(), w.Height(), w.PanelWidth() / w.PanelHeight()};
}

// From 3300 x 2850 (4:3): shrunk, 2925 wide and (2925 - 300) * 0.75 + 600 = 2568.75 -> 171 px =
// 2565 high; grown, 3675 by 3131.25 -> 209 px = 3135. Each edge moves by its anchor's share.
TEST(WheelZoom, OneStepPerCallAnchoredAtThePointer) {
    const float k = 4.0f / 3.0f;
    const struct {
        int rotation, keys, x, y;  // the pointer in logical pixels
        float left, top, dpi;
        std::vector<float> expected;
    } cases[] = {
        {120, 0, 100, 80, 1500, 1200, 96, {1500, 1200, 2925, 2565, k}},    // at the left edge: the right one moves
        {120, 0, 320, 270, 1500, 1200, 96, {1875, 1575, 2925, 2565, k}},   // at the right edge: the left one
        {120, 0, 210, 175, 1500, 1200, 96, {1695, 1395, 2925, 2565, k}},   // in the middle: 12.5 -> 13 px
        {-120, 0, 210, 175, 1500, 1200, 96, {1320, 1020, 3675, 3135, k}},  // towards the user: grows
        {0, 0, 100, 80, 1500, 1200, 96, {1500, 1200, 3675, 3135, k}},      // no rotation grows
        {240, 8, 100, 80, 1500, 1200, 96, {1500, 1200, 2925, 2565, k}},    // two notches, key flags: one step
        {120, 0, -112, -62, -3000, -1500, 96, {-2850, -1425, 2925, 2565, k}},  // left of, above the primary
        // 375 twips are 37.5 physical pixels at 144 DPI: 2925 takes 293 px = 2930.
        {120, 0, 210, 175, 1500, 1200, 144, {1690, 1390, 2930, 2570, k}},
    };
    for (const auto& c : cases) {
        const float tpp = 1440.0f / c.dpi;
        FormHarness h(tpp, tpp);
        Settle(h, c.left, c.top);
        std::int32_t delta = WheelDelta(c.rotation, static_cast<std::uint16_t>(c.keys)), xy = PointerXY(c.x, c.y);
        h.form.WheelScr(delta, xy);
        EXPECT_EQ(Geometry(h), c.expected) << c.rotation << " at " << c.x << ", " << c.y << ", " << c.dpi << " DPI";
        EXPECT_EQ(std::vector<int>({delta, xy}), std::vector<int>({WheelDelta(c.rotation, c.keys), PointerXY(c.x, c.y)}));
    }
}

TEST(WheelZoom, ThePictureFollowsStepsThatLandOnItsProportionsWithoutLimit) {
    // 5:3: each step adds 375 x 225 twips, whole pixels, so the pass finds the proportions right.
    FormHarness h;
    Settle(h, 1500.0f, 1200.0f, 3000.0f, 1800.0f);
    for (int i = 0; i < 40; ++i) h.form.WindowProc(platform::kMsgMouseWheel, WheelDelta(-120), PointerXY(100, 80));
    EXPECT_EQ(Geometry(h), std::vector<float>({1500, 1200, 18300, 11400, 18000.0f / 10800.0f}));
}

TEST(WheelZoom, AtTheMinimumFurtherNotchesOnlyMoveTheWindow) {
    // Half the default width, 1650 x 1500, a 3:2 picture; anchors 0.2: 75 twips right and down.
    FormHarness h;
    Settle(h, 1500.0f, 1200.0f, 1350.0f, 900.0f);
    h.form.defaultWidth = 3300.0f;
    std::int32_t delta = WheelDelta(120), xy = PointerXY(122, 100);
    h.form.WheelScr(delta, xy);
    EXPECT_EQ(Geometry(h), std::vector<float>({1575, 1275, 1650, 1500, 1.5f}));
}

// Deltas in a row from no remainder: the step each makes, and the remainder after.
TEST(WheelRemainder, SmallDeltasAddUpToNotchesAndATurnStartsAgain) {
    const struct {
        std::vector<int> deltas, steps;
        int remainder;
    } cases[] = {
        {{40, 40, 40}, {0, 0, 1}, 0}, {{-40, -40, -40}, {0, 0, -1}, 0}, {{60, 60}, {0, 1}, 0},
        {{119}, {0}, 119},            {{100, 50}, {0, 1}, 30},          {{-100, -50}, {0, -1}, -30},
        {{120}, {1}, 0},              {{-120}, {-1}, 0},                {{80, 240}, {0, 1}, 0},
        {{80, -120}, {0, -1}, 0},     {{80, -40}, {0, 0}, -40},         {{-80, 40, 40}, {0, 0, 0}, 80},
        {{80, 0, 40}, {0, 0, 1}, 0},  {{0}, {0}, 0},                    {{-32768}, {-1}, 0},
    };
    for (const auto& c : cases) {
        WheelRemainder wheel;
        std::vector<int> steps;
        for (int d : c.deltas) steps.push_back(wheel.Take(static_cast<std::int16_t>(d)));
        EXPECT_EQ(steps, c.steps) << ::testing::PrintToString(c.deltas);
        EXPECT_EQ(wheel.Remainder(), c.remainder) << ::testing::PrintToString(c.deltas);
    }
}

TEST(WheelZoom, TheHookStepsOnceForThreeSmallDeltasAndRecomposesOnPaintAndSettingsOnly) {
    FormHarness h;
    h.form.Form_Load();
    const float width = h.window.Width();
    for (int delta : {40, 40, 40, 0}) h.form.WindowProc(platform::kMsgMouseWheel, WheelDelta(delta), PointerXY(0, 0));
    h.form.WindowProc(0x0200 /* mouse move */, WheelDelta(-120), PointerXY(0, 0));
    EXPECT_EQ(h.window.Width(), width - 375.0f);
    const int drawn = h.window.RefreshCount();
    for (std::uint32_t message : {0x000Fu, 0x001Au, 0x0015u, 0x0005u}) {  // paint, settings, colours, size
        h.form.WindowProc(message, 0, 0);
    }
    EXPECT_EQ(h.window.RefreshCount(), drawn + 3);
}

}  // namespace
}  // namespace lumbra::app
