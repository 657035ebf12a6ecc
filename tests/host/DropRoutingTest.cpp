// frmMain's drop handling: the recorded buttons decide between the drop menu and shortcuts.
#include <gtest/gtest.h>

#include "fakes/DropFormFakes.h"

namespace lumbra::fakes {
namespace {

platform::DropData Files(std::vector<std::string> paths) { return {true, std::move(paths)}; }

class DropRouting : public ::testing::Test {
protected:
    void SetUp() override { Stock(f); }
    static void Stock(DropForm& form) {
        form.world.fs.AddFile("C:\\src\\a.txt", "A");
        form.world.fs.AddFile("C:\\src\\b.txt", "B");
        form.world.fs.AddFolder("C:\\Users\\me\\Desktop");
    }
    // A drag over the picture with these buttons, then a drop of the two files.
    void DragAndDrop(int buttons) {
        f.form.imgWall_OLEDragOver(buttons, 0, 100.0f, 100.0f);
        f.form.imgWall_OLEDragDrop(Files({"C:\\src\\a.txt", "C:\\src\\b.txt"}), 0, 0, 100.0f, 100.0f);
    }
    std::vector<std::string> Shortcuts() { return f.world.links.saved; }

    DropForm f;
};

TEST_F(DropRouting, RightButtonAloneOpensTheDropMenuAndLinksNothingByItself) {
    DragAndDrop(platform::kRightButton);
    EXPECT_EQ(f.window.dropMenus, 1);
    EXPECT_TRUE(Shortcuts().empty());
    EXPECT_TRUE(f.world.boxes.shown.empty());
}

TEST_F(DropRouting, EveryOtherButtonSetLinksAtOnceWithoutAMenu) {
    for (int buttons : {1, 3, 4, 0}) {
        SCOPED_TRACE(buttons);
        DropForm g;
        Stock(g);
        g.form.picDT_OLEDragOver(buttons, 0, 10.0f, 10.0f);
        g.form.picDT_OLEDragDrop(Files({"C:\\src\\a.txt", "C:\\src\\b.txt"}), 2, 0, 10.0f, 10.0f);
        EXPECT_EQ(g.window.dropMenus, 0);
        EXPECT_EQ(g.world.links.saved,
                  (std::vector<std::string>{"C:\\Users\\me\\Desktop\\a.txtへのｼｮｰﾄｶｯﾄ.lnk",
                                            "C:\\Users\\me\\Desktop\\b.txtへのｼｮｰﾄｶｯﾄ.lnk"}));
        EXPECT_EQ(g.world.fs.Content("C:\\Users\\me\\Desktop\\b.txtへのｼｮｰﾄｶｯﾄ.lnk"), "link:C:\\src\\b.txt");
    }
}

TEST_F(DropRouting, TheLastDragOverReportCountsAndTheDropDoesNotChangeIt) {
    f.form.picDT_OLEDragOver(platform::kLeftButton, 0, 0.0f, 0.0f);
    f.form.imgWall_OLEDragOver(platform::kRightButton, 0, 0.0f, 0.0f);
    EXPECT_EQ(f.form.dragButton, 2);
    // The buttons given with the drop itself are not looked at.
    f.form.picDT_OLEDragDrop(Files({"C:\\src\\a.txt"}), platform::kLeftButton, 0, 0.0f, 0.0f);
    EXPECT_EQ(f.window.dropMenus, 1);
    EXPECT_EQ(f.form.dragButton, 2);
}

TEST_F(DropRouting, DragButtonStartsAtZeroSoADropWithoutDragOverLinks) {
    EXPECT_EQ(f.form.dragButton, 0);
    f.form.picDT_OLEDragDrop(Files({"C:\\src\\a.txt"}), platform::kRightButton, 0, 0.0f, 0.0f);
    EXPECT_EQ(f.window.dropMenus, 0);
    EXPECT_EQ(Shortcuts().size(), 1u);
}

TEST_F(DropRouting, DropWithoutAFileListDoesNothingButIsKept) {
    f.form.imgWall_OLEDragOver(platform::kRightButton, 0, 0.0f, 0.0f);
    f.form.imgWall_OLEDragDrop(Files({"C:\\src\\a.txt"}), 0, 0, 0.0f, 0.0f);
    f.window.dropMenus = 0;
    f.form.imgWall_OLEDragDrop(platform::DropData{false, {}}, 0, 0, 0.0f, 0.0f);
    EXPECT_EQ(f.window.dropMenus, 0);
    EXPECT_FALSE(f.form.dropData.hasFileList);
    EXPECT_TRUE(f.form.dropData.files.empty());
    f.form.picDT_OLEDragOver(platform::kLeftButton, 0, 0.0f, 0.0f);
    f.form.picDT_OLEDragDrop(platform::DropData{false, {}}, 0, 0, 0.0f, 0.0f);
    EXPECT_TRUE(Shortcuts().empty());
    EXPECT_TRUE(f.world.fs.log.empty());
}

TEST_F(DropRouting, MenuChoiceRunsBeforeTheDropHandlingReturns) {
    bool copiedWhileOpen = false;
    f.window.whileDropMenuOpen = [&] {
        f.form.mnuCopy_Click();
        copiedWhileOpen = f.world.fs.Has("C:\\Users\\me\\Desktop\\b.txt");
    };
    DragAndDrop(platform::kRightButton);
    EXPECT_TRUE(copiedWhileOpen);
    EXPECT_EQ(f.world.fs.Content("C:\\Users\\me\\Desktop\\a.txt"), "A");
    EXPECT_TRUE(f.world.fs.Has("C:\\src\\a.txt"));
}

TEST_F(DropRouting, EachMenuItemDoesWhatItSays) {
    f.window.whileDropMenuOpen = [&] { f.form.mnuMove_Click(); };
    DragAndDrop(platform::kRightButton);
    EXPECT_FALSE(f.world.fs.Has("C:\\src\\a.txt"));
    EXPECT_EQ(f.world.fs.Content("C:\\Users\\me\\Desktop\\a.txt"), "A");
    EXPECT_EQ(f.world.fs.Content("C:\\Users\\me\\Desktop\\b.txt"), "B");

    f.world.fs.AddFile("C:\\src\\c.txt", "C");
    f.window.whileDropMenuOpen = [&] { f.form.mnuShortCut_Click(); };
    f.form.picDT_OLEDragDrop(Files({"C:\\src\\c.txt"}), 0, 0, 0.0f, 0.0f);
    EXPECT_EQ(Shortcuts(), (std::vector<std::string>{"C:\\Users\\me\\Desktop\\c.txtへのｼｮｰﾄｶｯﾄ.lnk"}));
    EXPECT_TRUE(f.world.fs.Has("C:\\src\\c.txt"));
}

TEST_F(DropRouting, CancellingTheMenuTouchesNothing) {
    f.window.whileDropMenuOpen = nullptr;  // "キャンセル", Escape or a click elsewhere
    DragAndDrop(platform::kRightButton);
    EXPECT_TRUE(f.world.fs.log.empty());
    EXPECT_TRUE(Shortcuts().empty());
    EXPECT_TRUE(f.world.boxes.shown.empty());
}

}  // namespace
}  // namespace lumbra::fakes
