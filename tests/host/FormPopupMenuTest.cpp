// The popup menu inside the main window: built while loading, shown by right-button releases
// and by the context-menu key.
#include <gtest/gtest.h>

#include "fakes/FormHarness.h"
#include "fakes/MenuFakes.h"

namespace lumbra {
namespace {

class FormPopupMenu : public ::testing::Test, protected fakes::MenuWorld {
protected:
    fakes::FakeSettingsStore settings;
    fakes::FakeProfileFile profile;
    fakes::FakeRegistry registry;
    fakes::FakeSystemInfo system;
    fakes::FakeMainWindow window{15.0f, 15.0f, &log};
    fakes::FakeNotifyIcon notifyIcon{&log};
    app::frmMain form{
        app::FormServices{settings, profile, registry, system, window, notifyIcon, nullptr, nullptr, &services}};

    std::size_t Showings() { return factory.Last() ? factory.Last()->Showings().size() : 0; }
};

TEST_F(FormPopupMenu, LoadingBuildsTheMenuAfterTheFolderTablesAndBeforeTheNotificationIcon) {
    // The recycle bin's registered icon can only be found through a filled folder table.
    registry.PutString(platform::RootKey::ClassesRoot, "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon",
                       "empty", "C:\\bin.dll,1");
    icons.files[{"C:\\bin.dll", 1}] = {};
    form.Form_Load();
    EXPECT_EQ(factory.Created(), 1);
    const std::ptrdiff_t saved = log.Find("SaveItems Lumbra PopupMenu");
    ASSERT_GE(saved, 0);
    EXPECT_LT(log.Find("MakeTopmost"), log.Find("CreatePopupMenu"));
    EXPECT_LT(saved, log.FindPrefix("AddIcon ")) << "the menu is complete before the notification icon";
    EXPECT_EQ(images.NameAt(6), "file:C:\\bin.dll,1");
    EXPECT_EQ(factory.Last()->Owner(), fakes::FakeMainWindow::kWindowHandle);
    EXPECT_EQ(Showings(), 0u) << "loading shows nothing";
}

TEST_F(FormPopupMenu, ARightButtonReleaseOnThePictureOrTheWallpaperShowsTheMenu) {
    form.Form_Load();
    form.picDT_MouseUp(platform::kRightButton, 0, 150.0f, 300.0f);
    ASSERT_EQ(Showings(), 1u);
    EXPECT_EQ(factory.Last()->Showings()[0].x, 150);
    EXPECT_EQ(factory.Last()->Showings()[0].y, 300);
    form.imgWall_MouseUp(platform::kRightButton, 1, 45.5f, 60.0f);
    ASSERT_EQ(Showings(), 2u);
    EXPECT_EQ(factory.Last()->Showings()[1].x, 46);
    EXPECT_EQ(factory.Last()->Showings()[1].anchor, platform::MenuAnchor::Pointer);
}

TEST_F(FormPopupMenu, LeftAndMiddleReleasesNeverShowTheMenu) {
    form.Form_Load();
    form.picDT_MouseUp(platform::kLeftButton, 0, 1, 1);
    form.imgWall_MouseUp(platform::kLeftButton, 0, 1, 1);
    form.picDT_MouseUp(platform::kMiddleButton, 0, 1, 1);
    form.imgWall_MouseUp(platform::kMiddleButton, 0, 1, 1);
    EXPECT_EQ(Showings(), 0u);
}

TEST_F(FormPopupMenu, TheContextMenuKeyShowsTheSameMenuAtTheWindowsCorner) {
    form.Form_Load();
    form.Form_ContextMenu();
    ASSERT_EQ(Showings(), 1u);
    EXPECT_EQ(factory.Last()->Showings()[0].anchor, platform::MenuAnchor::OwnerTopLeft);
    EXPECT_EQ(factory.Last()->Showings()[0].items.size(), 16u);
    form.picDT_MouseUp(platform::kRightButton, 0, 1, 1);
    EXPECT_EQ(factory.Last()->Showings()[1].anchor, platform::MenuAnchor::Pointer) << "the mouse goes by the pointer again";
}

TEST_F(FormPopupMenu, AChoiceReachesTheDispatchThroughTheWindow) {
    form.Form_Load();
    factory.Last()->choose = [](const fakes::FakePopupMenu& m) { return m.Tree().FindByKey("ScreenProp"); };
    form.picDT_MouseUp(platform::kRightButton, 0, 1, 1);
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0].commandLine, "rundll32.exe shell32.dll,Control_RunDLL Desk.cpl");
}

TEST(FormWithoutPopupMenu, LoadsAndIgnoresRightButtonReleases) {
    fakes::FormHarness h;
    h.form.Form_Load();
    h.form.picDT_MouseUp(platform::kRightButton, 0, 1, 1);
    h.form.Form_ContextMenu();
    EXPECT_TRUE(h.prcIcon.Present());
    EXPECT_EQ(h.form.Menu(), nullptr);
}

}  // namespace
}  // namespace lumbra
