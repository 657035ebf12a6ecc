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

std::vector<float> Geometry(const fakes::FakeMainWindow& w) {
    return {w.Left(), w.Top(), w.Width(), w.Height(), w.PanelWidth() / w.PanelHeight()};
}

// frame 300 x 600 and picDT 3000 x 2250 (4:3): the window 3300 x 2850. One step is 25 logical
// pixels, 375 twips. Shrunk, 2925 wide and (2925 - 300) * 0.75 + 600 = 2568.75 -> 171 px =
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
        h.Settle(c.left, c.top, 3000, 2250, 300, 600);
        std::int32_t delta = WheelDelta(c.rotation, static_cast<std::uint16_t>(c.keys)), xy = PointerXY(c.x, c.y);
        h.form.WheelScr(delta, xy);
        EXPECT_EQ(Geometry(h.window), c.expected) << c.rotation << " at " << c.x << ", " << c.y << ", " << c.dpi << " DPI";
        EXPECT_FALSE(h.form.resizeLock) << "the user's own resizing is taken again";
        EXPECT_EQ(std::vector<int>({delta, xy}), std::vector<int>({WheelDelta(c.rotation, c.keys), PointerXY(c.x, c.y)}));
    }
}

// Deltas in a row from no remainder: the step each makes, and the remainder after.
TEST(WheelRemainder, SmallDeltasAddUpToNotchesAndATurnStartsAgain) {
    const struct {
        std::vector<int> deltas, steps;
        int remainder;
    } cases[] = {
        {{40, 40, 40}, {0, 0, 1}, 0}, {{-40, -40, -40}, {0, 0, -1}, 0}, {{60, 60}, {0, 1}, 0}, {{119}, {0}, 119},
        {{100, 50}, {0, 1}, 30},      {{-100, -50}, {0, -1}, -30},      {{120}, {1}, 0},       {{-120}, {-1}, 0},
        {{80, 240}, {0, 1}, 0},       {{80, -120}, {0, -1}, 0},         {{80, -40}, {0, 0}, -40}, {{-80, 1}, {0, 0}, 1},
        {{80, -1}, {0, 0}, -1},       {{-80, 40, 40}, {0, 0, 0}, 80},   {{80, 0, 40}, {0, 0, 1}, 0}, {{0}, {0}, 0},
        {{-32768}, {-1}, 0},          {{1, -40}, {0, 0}, -40},          {{-1, 40}, {0, 0}, 40},
        {{80, 120}, {0, 1}, 0},  // a whole notch after a remainder of the same sign drops the remainder
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
