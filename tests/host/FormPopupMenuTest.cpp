// The popup menu inside the main window: built while loading, shown by right-button releases
// and by the context-menu key.
#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "fakes/MenuFakes.h"
#include "fakes/MenuFormFakes.h"

namespace lumbra {
namespace {

class FormPopupMenu : public ::testing::Test {
protected:
    fakes::MenuTestSettings settings;
    fakes::MenuTestProfile profile;
    fakes::MenuTestRegistry registry;
    fakes::MenuTestSystem system;
    fakes::MenuTestWindow window;
    fakes::MenuTestNotifyIcon notifyIcon;
    fakes::FakePopupMenuFactory factory;
    fakes::FakeImageList images;
    fakes::FakeIconCanvas canvas;
    fakes::FakeIconSource icons;
    fakes::FakeFileLister lister;
    fakes::FakeShell shell;
    fakes::HostCodePage932 cp932;
    menu::MenuServices menuServices{factory, images, canvas, icons, lister, shell, cp932};
    app::frmMain form{app::FormServices{settings, profile, registry, system, window, notifyIcon, &menuServices}};

    std::size_t Showings() { return factory.Last() ? factory.Last()->Showings().size() : 0; }
};

TEST_F(FormPopupMenu, LoadingBuildsTheMenuAfterTheFolderTablesAndBeforeTheNotificationIcon) {
    // The recycle bin's registered icon can only be found through a filled folder table.
    registry.keys[{platform::RootKey::ClassesRoot, "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon"}]
                 ["empty"] = "C:\\bin.dll,1";
    icons.files[{"C:\\bin.dll", 1}] = {};
    int itemsWhenIconAdded = -1;
    notifyIcon.onAdd = [&] { itemsWhenIconAdded = factory.Last() ? factory.Last()->Tree().Count() : 0; };
    form.Form_Load();
    EXPECT_EQ(factory.Created(), 1);
    EXPECT_EQ(itemsWhenIconAdded, 16);
    EXPECT_EQ(images.NameAt(6), "file:C:\\bin.dll,1");
    EXPECT_EQ(factory.Last()->Owner(), window.handle);
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
    fakes::MenuTestSettings settings;
    fakes::MenuTestProfile profile;
    fakes::MenuTestRegistry registry;
    fakes::MenuTestSystem system;
    fakes::MenuTestWindow window;
    fakes::MenuTestNotifyIcon notifyIcon;
    app::frmMain form{app::FormServices{settings, profile, registry, system, window, notifyIcon}};
    form.Form_Load();
    form.picDT_MouseUp(platform::kRightButton, 0, 1, 1);
    form.Form_ContextMenu();
    EXPECT_EQ(notifyIcon.added, 1);
    EXPECT_EQ(form.Menu(), nullptr);
}

}  // namespace
}  // namespace lumbra
