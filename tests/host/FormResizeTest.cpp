// The resize pass: the picture keeps its proportions, the window at least half its default size;
// the passes that change nothing; and what closing stores.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FormHarness.h"

namespace lumbra::app {
namespace {

// A settled window: frame 315 x 660, picDT 3000 x 2250 (4:3) in a window of 3315 x 2910, the
// default 3390 x 2970 (half: 1695 x 1485).
struct FormResize : ::testing::Test {
    void SetUp() override { h.Settle(0, 0, 3000, 2250, 315, 660); }
    std::vector<float> Geometry() const {
        return {h.window.Width(), h.window.Height(), h.window.PanelWidth(), h.window.PanelHeight()};
    }
    fakes::FormHarness h;
};

// The user's size, then the window and picDT.
TEST_F(FormResize, TheLargerPictureThatFitsWinsAndTheWindowFollowsIt) {
    const std::vector<std::vector<float>> cases = {
        {3015, 2910, 3315, 2910, 3000, 2250},  // right edge in: the width comes back from the height
        {3615, 2910, 3615, 3135, 3300, 2475},  // right edge out: the window grows taller
        // 2550 * 1.3333334 rounds to 3400, not below 3000: the picture takes the height, 3400 wide
        // (227 px), the window 3715 (248 px = 3720); the nested pass then finds 3405 free.
        {3315, 3210, 3720, 3210, 3405, 2553.75f},
        {2415, 2460, 2715, 2460, 2400, 1800},  // corner in: the height asks for the larger picture
        {2715, 2310, 2715, 2460, 2400, 1800},  // corner in: the width does
        {1200, 1050, 1695, 1695, 1380, 1035},  // below half the default: raised, then proportioned
        {3315, 1200, 3315, 2910, 3000, 2250},  // too low only
    };
    for (const auto& c : cases) {
        SetUp();
        h.window.UserResize(c[0], c[1]);
        EXPECT_EQ(Geometry(), std::vector<float>(c.begin() + 2, c.end())) << c[0] << " x " << c[1];
    }
}

TEST_F(FormResize, PassesThatChangeNothing) {
    h.Settle(0, 0, 1380, 825, 315, 660);  // exactly half the default, in proportion: only recomposes
    h.form.Form_Resize();
    EXPECT_TRUE(h.window.Sets().empty());
    EXPECT_EQ(h.window.RefreshCount(), 1);
    h.Settle(0, 0, 3000, 2250, 315, 660);
    h.form.resizeLock = true;
    h.window.UserResize(1200.0f, 1050.0f);
    h.form.resizeLock = false;
    h.window.SetMinimized(true);
    h.form.Form_Resize();
    EXPECT_EQ(Geometry(), std::vector<float>({1200, 1050, 3000, 2250}));
    h.window.SetMinimized(false);  // restored, the size is corrected; while loading nothing is drawn
    h.form.formLoading = true;
    h.form.Form_Resize();
    EXPECT_EQ(Geometry(), std::vector<float>({1695, 1695, 1380, 1035}));
    EXPECT_EQ(h.window.RefreshCount(), 1);
    // 2250 x 1620.0001 in 2250 x 1620: in proportion within rounding, and the picture fills it.
    h.window.Place(0.0f, 0.0f, 2565.0f, 2280.0f);
    h.window.PlacePanel(2250.0f, 1620.00012f);
    h.form.Form_Resize();
    EXPECT_EQ(h.window.PanelHeight(), 1620.0f);
}

TEST_F(FormResize, ClosingIsNeverRefusedAndStoresTheWindowsOwnGeometryBeforeTheIconGoes) {
    h.window.Place(1500.0f, -750.0f, 4815.0f, 4035.0f);
    bool cancel = false;
    h.form.Form_QueryUnload(cancel, platform::UnloadMode::AppWindows);
    h.form.Form_Unload(cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(h.log.Entries(), (std::vector<std::string>{"SaveSetting Lumbra/Setting/Left=1500", "SaveSetting Lumbra/Setting/Top=-750",
                                                         "SaveSetting Lumbra/Setting/Width=4815",
                                                         "SaveSetting Lumbra/Setting/Height=4035", "RemoveIcon"}));
}

}  // namespace
}  // namespace lumbra::app
