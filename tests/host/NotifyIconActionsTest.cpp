// Left clicks on the notification-area icon hide and show the window and swap the icons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FormHarness.h"

namespace lumbra::app {
namespace {

using fakes::FakeNotifyIcon;
using fakes::FormHarness;
using platform::AppIcon;

class IconActions : public ::testing::Test {
protected:
    void SetUp() override {
        h.form.Form_Load();
        h.log.Clear();
    }

    void Click(std::int32_t button, std::int32_t action) { h.form.prcIcon_IconMouse(button, action); }

    // The notification-area icon's calls after loading (its AddIcon comes first).
    std::vector<FakeNotifyIcon::Call> Changes() const {
        return {h.prcIcon.Calls().begin() + 1, h.prcIcon.Calls().end()};
    }

    FormHarness h;
};

TEST_F(IconActions, FirstLeftClickHidesTheWindowThenGreysBothIcons) {
    Click(platform::kIconLeft, platform::kIconButtonDown);
    EXPECT_FALSE(h.window.IsVisible());
    EXPECT_FALSE(h.form.panelEnabled);
    // The notification-area icon gets the window's own icon, which is now the grey one.
    EXPECT_EQ(h.log.Entries(), (std::vector<std::string>{"Hide", "SetIcon 101",
                                                         "ChangeIcon " + std::to_string(h.window.IconHandle()) +
                                                             " LumbraPanel (Disabled)"}));
    ASSERT_EQ(Changes().size(), 1u);
    EXPECT_EQ(Changes()[0].op, FakeNotifyIcon::Op::Change);
    EXPECT_EQ(h.window.IconOfHandle(Changes()[0].icon), AppIcon::Grey);
}

TEST_F(IconActions, SecondLeftClickShowsTheWindowBeforeTheIconTakesItsColour) {
    Click(platform::kIconLeft, platform::kIconButtonDown);
    h.log.Clear();
    Click(platform::kIconLeft, platform::kIconButtonDown);
    EXPECT_TRUE(h.window.IsVisible());
    EXPECT_TRUE(h.form.panelEnabled);
    EXPECT_EQ(h.log.Entries(), (std::vector<std::string>{"Show", "SetIcon 102",
                                                         "ChangeIcon " + std::to_string(h.window.IconHandle()) +
                                                             " LumbraPanel"}));
    EXPECT_EQ(h.window.IconOfHandle(Changes().back().icon), AppIcon::Colour);
}

TEST_F(IconActions, TwoClicksReturnToEnabledAtTheSamePlace) {
    h.window.UserResize(4815.0f, 2970.0f);
    h.window.SetLeft(1500.0f);
    h.window.SetTop(750.0f);
    const float left = h.window.Left(), top = h.window.Top(), width = h.window.Width(), height = h.window.Height();
    const float panelWidth = h.window.PanelWidth(), panelHeight = h.window.PanelHeight();

    Click(platform::kIconLeft, platform::kIconButtonDown);
    Click(platform::kIconLeft, platform::kIconButtonDown);
    EXPECT_TRUE(h.form.panelEnabled);
    EXPECT_TRUE(h.window.IsVisible());
    EXPECT_FLOAT_EQ(h.window.Left(), left);
    EXPECT_FLOAT_EQ(h.window.Top(), top);
    EXPECT_FLOAT_EQ(h.window.Width(), width);
    EXPECT_FLOAT_EQ(h.window.Height(), height);
    EXPECT_FLOAT_EQ(h.window.PanelWidth(), panelWidth);
    EXPECT_FLOAT_EQ(h.window.PanelHeight(), panelHeight);
    ASSERT_EQ(Changes().size(), 2u);
    EXPECT_EQ(Changes()[0].tip, "LumbraPanel (Disabled)");
    EXPECT_EQ(Changes()[1].tip, "LumbraPanel");
    // The icon stays in the notification area throughout; the hook and topmost are not redone.
    EXPECT_TRUE(h.prcIcon.Present());
    EXPECT_EQ(h.window.HookInstalls(), 1);
    EXPECT_EQ(h.window.TopmostRequests(), 1);
}

TEST_F(IconActions, ActionTwoAndOtherButtonsAreIgnored) {
    Click(platform::kIconLeft, platform::kIconButtonUp);
    for (std::int32_t button : {0, 2, 3, 4, -1}) {
        for (std::int32_t action : {0, 1, 3, 4}) Click(button, action);
    }
    EXPECT_TRUE(h.window.IsVisible());
    EXPECT_TRUE(h.form.panelEnabled);
    EXPECT_TRUE(h.log.Entries().empty());
    EXPECT_EQ(h.window.IconHandle(), fakes::FakeMainWindow::kCreationIconHandle);
}

TEST_F(IconActions, ALeftButtonActionOtherThanTwoToggles) {
    // Action 3 (a double click) and an action the component might add later both toggle.
    Click(platform::kIconLeft, platform::kIconDoubleClick);
    EXPECT_FALSE(h.form.panelEnabled);
    Click(platform::kIconLeft, 7);
    EXPECT_TRUE(h.form.panelEnabled);
}

TEST_F(IconActions, ArgumentsAreReadNotChanged) {
    std::int32_t button = platform::kIconLeft;
    std::int32_t action = platform::kIconButtonDown;
    h.form.prcIcon_IconMouse(button, action);
    EXPECT_EQ(button, platform::kIconLeft);
    EXPECT_EQ(action, platform::kIconButtonDown);
}

TEST_F(IconActions, HiddenWindowStillRecomposesOnSettingChanges) {
    Click(platform::kIconLeft, platform::kIconButtonDown);
    const int before = h.window.RefreshCount();
    h.form.WindowProc(platform::kMsgSettingChange, 0, 0);
    EXPECT_EQ(h.window.RefreshCount(), before + 1);
}

TEST(IconActionsRestart, EveryStartIsEnabled) {
    FormHarness first;
    first.form.Form_Load();
    std::int32_t left = platform::kIconLeft;
    std::int32_t down = platform::kIconButtonDown;
    first.form.prcIcon_IconMouse(left, down);
    bool cancel = false;
    first.form.Form_Unload(cancel);

    FormHarness second;
    for (const auto& w : first.settings.Writes()) second.settings.Put(w.app, w.section, w.key, w.value);
    second.form.Form_Load();
    EXPECT_TRUE(second.form.panelEnabled);
    EXPECT_TRUE(second.window.IsVisible());
    ASSERT_EQ(second.prcIcon.Calls().size(), 1u);
    EXPECT_EQ(second.prcIcon.Calls()[0].tip, "LumbraPanel");
}

}  // namespace
}  // namespace lumbra::app
