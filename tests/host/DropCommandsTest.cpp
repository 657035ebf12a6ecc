// Copy, move and shortcut commands against an in-memory file system: list order, the stop at the
// first failure, the overwrite question, and that no file is ever lost.
#include <gtest/gtest.h>

#include "drop/DesktopCommands.h"
#include "fakes/DropFakes.h"

namespace lumbra::fakes {
namespace {

using platform::TransferKind;

const std::string kDesk = "C:\\Users\\me\\Desktop";
std::string OnDesk(const std::string& name) { return kDesk + "\\" + name; }

class DropCommands : public ::testing::Test {
protected:
    void SetUp() override { w.fs.AddFolder(kDesk); }
    void Copy(std::vector<std::string> items) { drop::TransferToDesktop(w.services, TransferKind::Copy, items); }
    void Move(std::vector<std::string> items) { drop::TransferToDesktop(w.services, TransferKind::Move, items); }
    void Link(std::vector<std::string> items) { drop::CreateDesktopShortcuts(w.services, items); }

    // The boxes as "title|style|prompt".
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& b : w.boxes.shown) out.push_back(b.title + "|" + std::to_string(b.style) + "|" + b.prompt);
        return out;
    }
    static std::string Error(const std::string& text) { return "Lumbra|48|" + text; }
    static std::string Question(const std::string& name) {
        return "上書き確認|36|" + name + "はすでに存在します。\r\n上書きして置換えますか？";
    }

    DropWorld w;
};

// ---- copy -----------------------------------------------------------------------------------

TEST_F(DropCommands, CopyTakesItemsInListOrderUnderTheirOwnNames) {
    w.fs.AddFile("D:\\in\\b.txt", "B");
    w.fs.AddFile("C:\\in\\a.txt", "A");
    w.fs.AddFile("D:\\tree\\sub\\x.bin", "X");
    w.fs.AddFile("D:\\tree\\top.txt", "T");
    Copy({"D:\\in\\b.txt", "C:\\in\\a.txt", "D:\\tree"});
    EXPECT_EQ(w.fs.log, (std::vector<std::string>{
                            "copy D:\\in\\b.txt -> " + OnDesk("b.txt"),
                            "copy C:\\in\\a.txt -> " + OnDesk("a.txt"),
                            "mkdir " + OnDesk("tree"),
                            "mkdir " + OnDesk("tree\\sub"),
                            "copy D:\\tree\\sub\\x.bin -> " + OnDesk("tree\\sub\\x.bin"),
                            "copy D:\\tree\\top.txt -> " + OnDesk("tree\\top.txt"),
                        }));
    EXPECT_EQ(w.fs.Content("D:\\in\\b.txt"), "B");
    EXPECT_EQ(w.fs.Content(OnDesk("tree\\sub\\x.bin")), "X");
    EXPECT_TRUE(w.boxes.shown.empty());
    EXPECT_EQ(w.progress.lastKind, TransferKind::Copy);
}

TEST_F(DropCommands, DesktopFolderIsLookedUpAfreshForEveryCommand) {
    w.fs.AddFile("C:\\in\\a.txt", "A");
    Copy({"C:\\in\\a.txt"});
    w.folders.desktop = "D:\\Elsewhere";
    w.fs.AddFolder("D:\\Elsewhere");
    Copy({"C:\\in\\a.txt"});
    Link({"C:\\in\\a.txt"});
    EXPECT_EQ(w.folders.asked, (std::vector<std::int32_t>{32784, 32784, 32784}));
    EXPECT_EQ(w.fs.Content("D:\\Elsewhere\\a.txt"), "A");
    EXPECT_TRUE(w.fs.Has("D:\\Elsewhere\\a.txtへのｼｮｰﾄｶｯﾄ.lnk"));
}

TEST_F(DropCommands, FirstFailureEndsTheCommandWithOneMessage) {
    w.fs.AddFile("C:\\in\\1.txt", "1");
    w.fs.AddFile("C:\\in\\3.txt", "3");
    for (TransferKind kind : {TransferKind::Copy, TransferKind::Move}) {
        SCOPED_TRACE(kind == TransferKind::Copy ? "copy" : "move");
        w.boxes.shown.clear();
        drop::TransferToDesktop(w.services, kind, {"C:\\in\\1.txt", "C:\\in\\2-gone.txt", "C:\\in\\3.txt"});
        EXPECT_EQ(Boxes(), (std::vector<std::string>{Error("The system cannot find the file specified.")}));
        EXPECT_EQ(w.fs.Content(OnDesk("1.txt")), "1");
        EXPECT_FALSE(w.fs.Has(OnDesk("3.txt")));
        EXPECT_EQ(w.fs.Content("C:\\in\\3.txt"), "3");
        if (kind == TransferKind::Copy) w.fs.DeleteFileAt(OnDesk("1.txt"));
    }
}

TEST_F(DropCommands, CopyFailureInTheMiddleOfAFolderKeepsWhatWasCopied) {
    w.fs.AddFile("D:\\tree\\a.txt", "A");
    w.fs.AddFile("D:\\tree\\b.txt", "B");
    w.fs.AddFile("D:\\tree\\c.txt", "C");
    w.fs.AddFile("D:\\after.txt", "later");
    w.fs.failCopyFrom["D:\\tree\\b.txt"] = "The process cannot access the file because it is being used by another process.";
    Copy({"D:\\tree", "D:\\after.txt"});
    EXPECT_EQ(w.fs.Tree(OnDesk("tree")), (std::vector<std::string>{"a.txt"}));
    EXPECT_FALSE(w.fs.Has(OnDesk("after.txt")));
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(w.fs.Tree("D:\\tree"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

TEST_F(DropCommands, CopyOntoAnExistingNameAsksAndYesReplaces) {
    w.fs.AddFile("D:\\in\\a.txt", "new");
    w.fs.AddFile(OnDesk("a.txt"), "old");
    w.boxes.answers = {platform::kMsgBoxYes};
    Copy({"D:\\in\\a.txt"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Question("a.txt")}));
    EXPECT_EQ(w.fs.Content(OnDesk("a.txt")), "new");
}

TEST_F(DropCommands, CopyOntoAnExistingNameWithNoSkipsThatItemOnly) {
    w.fs.AddFile("D:\\in\\a.txt", "new-a");
    w.fs.AddFile("D:\\in\\b.txt", "new-b");
    w.fs.AddFile("D:\\in\\c.txt", "new-c");
    w.fs.AddFile(OnDesk("b.txt"), "old-b");
    w.boxes.answers = {platform::kMsgBoxNo};
    Copy({"D:\\in\\a.txt", "D:\\in\\b.txt", "D:\\in\\c.txt"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Question("b.txt")}));
    EXPECT_EQ(w.progress.answered, 1) << "the time the question stood open does not count towards the progress window";
    EXPECT_EQ(w.fs.Content(OnDesk("a.txt")), "new-a");
    EXPECT_EQ(w.fs.Content(OnDesk("b.txt")), "old-b");
    EXPECT_EQ(w.fs.Content(OnDesk("c.txt")), "new-c");
}

TEST_F(DropCommands, QuestionComesRightBeforeItsItem) {
    w.fs.AddFile("D:\\in\\a.txt", "new-a");
    w.fs.AddFile("D:\\in\\b.txt", "new-b");
    w.fs.AddFile(OnDesk("a.txt"), "old-a");
    w.fs.AddFile(OnDesk("b.txt"), "old-b");
    std::vector<std::string> seen;
    w.boxes.onShow = [&](const DropFakeMessageBoxes::Box&) {
        seen.push_back(w.fs.Content(OnDesk("a.txt")) + "," + w.fs.Content(OnDesk("b.txt")));
    };
    Copy({"D:\\in\\a.txt", "D:\\in\\b.txt"});
    EXPECT_EQ(seen, (std::vector<std::string>{"old-a,old-b", "new-a,old-b"}));
}

TEST_F(DropCommands, CopyFolderOntoAnExistingFolderMergesAfterYes) {
    w.fs.AddFile("D:\\Docs\\same.txt", "new");
    w.fs.AddFile("D:\\Docs\\sub\\deep.txt", "deep-new");
    w.fs.AddFile("D:\\Docs\\added.txt", "added");
    w.fs.AddFile(OnDesk("Docs\\same.txt"), "old");
    w.fs.AddFile(OnDesk("Docs\\sub\\keep.txt"), "keep");
    w.fs.AddFile(OnDesk("Docs\\mine.txt"), "mine");
    w.boxes.answers = {platform::kMsgBoxYes};
    Copy({"D:\\Docs"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Question("Docs")}));
    EXPECT_EQ(w.fs.Tree(OnDesk("Docs")), (std::vector<std::string>{"added.txt", "mine.txt", "same.txt", "sub/",
                                                                     "sub\\deep.txt", "sub\\keep.txt"}));
    EXPECT_EQ(w.fs.Content(OnDesk("Docs\\same.txt")), "new");
    EXPECT_EQ(w.fs.Content(OnDesk("Docs\\mine.txt")), "mine");
}

TEST_F(DropCommands, CopyFolderOntoAnExistingFolderWithNoTouchesNothing) {
    w.fs.AddFile("D:\\Docs\\same.txt", "new");
    w.fs.AddFile(OnDesk("Docs\\same.txt"), "old");
    w.boxes.answers = {platform::kMsgBoxNo};
    Copy({"D:\\Docs"});
    EXPECT_EQ(w.fs.Content(OnDesk("Docs\\same.txt")), "old");
    EXPECT_TRUE(w.fs.log.empty());
}

// An item of the other kind in the way can be neither replaced nor merged into: no question, the
// system's error, and the run ends there with both items as they were.
TEST_F(DropCommands, CopyOntoAnItemOfTheOtherKindIsAnErrorWithoutAQuestion) {
    w.fs.AddFile("D:\\in\\x", "file");
    w.fs.AddFile(OnDesk("x\\inside.txt"), "inside");
    w.fs.AddFolder("D:\\in\\empty");
    w.fs.AddFile(OnDesk("empty"), "a file");
    w.fs.AddFile("D:\\in\\later.txt", "later");
    Copy({"D:\\in\\x"});
    Copy({"D:\\in\\empty", "D:\\in\\later.txt"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Error("Access is denied."),
                                                 Error("Cannot create a file when that file already exists.")}));
    EXPECT_EQ(w.fs.Content(OnDesk("x\\inside.txt")), "inside");
    EXPECT_EQ(w.fs.Content(OnDesk("empty")), "a file");
    EXPECT_EQ(w.fs.Content("D:\\in\\x"), "file");
    EXPECT_FALSE(w.fs.Exists(OnDesk("later.txt"))) << "the first error ends the command";
}

TEST_F(DropCommands, ItemOnItselfIsAnErrorForCopyAndMove) {
    w.fs.AddFile(OnDesk("self.txt"), "precious");
    w.fs.AddFile(OnDesk("Self Folder\\in.txt"), "inside");
    w.fs.AddFile("D:\\later.txt", "later");
    Copy({OnDesk("self.txt"), "D:\\later.txt"});
    Move({OnDesk("self.txt")});
    Copy({OnDesk("Self Folder")});
    Move({OnDesk("Self Folder")});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           Error("「self.txt」はコピー元とコピー先が同じです。"),
                           Error("「self.txt」は移動元と移動先が同じです。"),
                           Error("「Self Folder」はコピー元とコピー先が同じです。"),
                           Error("「Self Folder」は移動元と移動先が同じです。"),
                       }));
    EXPECT_EQ(w.fs.Content(OnDesk("self.txt")), "precious");
    EXPECT_EQ(w.fs.Content(OnDesk("Self Folder\\in.txt")), "inside");
    EXPECT_FALSE(w.fs.Has(OnDesk("later.txt")));
    EXPECT_TRUE(w.fs.log.empty());
}

TEST_F(DropCommands, FolderHoldingTheDesktopCannotGoIntoIt) {
    w.fs.AddFile("C:\\Users\\me\\notes.txt", "n");
    Copy({"C:\\Users\\me"});
    Move({"C:\\Users"});
    Copy({"C:\\"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           Error("「me」のコピー先はコピー元のフォルダーの中にあります。"),
                           Error("「Users」の移動先は移動元のフォルダーの中にあります。"),
                           Error("「」のコピー先はコピー元のフォルダーの中にあります。"),
                       }));
    EXPECT_TRUE(w.fs.log.empty());
}

TEST_F(DropCommands, CancelStopsAfterTheCurrentFileKeepsWhatIsDoneAndSaysNothing) {
    w.fs.AddFile("D:\\tree\\1.txt", "1");
    w.fs.AddFile("D:\\tree\\2.txt", "2");
    w.fs.AddFile("D:\\tree\\3.txt", "3");
    w.fs.AddFile("D:\\next.txt", "n");
    int copies = 0;
    w.fs.afterCopy = [&](const std::string&) {
        if (++copies == 2) w.progress.cancelled = true;  // pressed while the second file is copied
    };
    Copy({"D:\\tree", "D:\\next.txt"});
    EXPECT_EQ(w.fs.Tree(OnDesk("tree")), (std::vector<std::string>{"1.txt", "2.txt"}));
    EXPECT_FALSE(w.fs.Has(OnDesk("next.txt")));
    EXPECT_TRUE(w.boxes.shown.empty());
}

TEST_F(DropCommands, MissingDesktopFolderIsReportedAndNothingIsWritten) {
    w.folders.desktop.clear();
    w.fs.AddFile("C:\\in\\a.txt", "A");
    Copy({"C:\\in\\a.txt"});
    Link({"C:\\in\\a.txt"});
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_TRUE(w.fs.log.empty());
    EXPECT_TRUE(w.links.saved.empty());
}

// ---- move -----------------------------------------------------------------------------------

TEST_F(DropCommands, MoveOnOneVolumeRenames) {
    w.fs.AddFile("C:\\in\\a.txt", "A");
    w.fs.AddFile("C:\\in\\Docs\\d.txt", "D");
    Move({"C:\\in\\a.txt", "C:\\in\\Docs"});
    EXPECT_EQ(w.fs.log, (std::vector<std::string>{"rename C:\\in\\a.txt -> " + OnDesk("a.txt"),
                                                  "rename C:\\in\\Docs -> " + OnDesk("Docs")}));
    EXPECT_EQ(w.fs.Content(OnDesk("Docs\\d.txt")), "D");
    EXPECT_FALSE(w.fs.Has("C:\\in\\Docs"));
}

TEST_F(DropCommands, MoveOntoAnExistingNameFailsWithOneMessageAndLaterItemsStay) {
    w.fs.AddFile("C:\\in\\a.txt", "mine");
    w.fs.AddFile("C:\\in\\b.txt", "B");
    w.fs.AddFile(OnDesk("a.txt"), "theirs");
    Move({"C:\\in\\a.txt", "C:\\in\\b.txt"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Error("Cannot create a file when that file already exists.")}));
    EXPECT_EQ(w.fs.Content("C:\\in\\a.txt"), "mine");
    EXPECT_EQ(w.fs.Content(OnDesk("a.txt")), "theirs");
    EXPECT_EQ(w.fs.Content("C:\\in\\b.txt"), "B");
    EXPECT_FALSE(w.fs.Has(OnDesk("b.txt")));
}

TEST_F(DropCommands, MoveFolderToAnotherVolumeCopiesWholeThenDeletesTheSource) {
    w.fs.AddFile("D:\\Docs\\a.txt", "A");
    w.fs.AddFile("D:\\Docs\\sub\\b.txt", "B", platform::kAttrReadOnly);
    Move({"D:\\Docs"});
    EXPECT_TRUE(w.boxes.shown.empty());
    EXPECT_FALSE(w.fs.Has("D:\\Docs"));
    EXPECT_EQ(w.fs.Tree(OnDesk("Docs")), (std::vector<std::string>{"a.txt", "sub/", "sub\\b.txt"}));
    EXPECT_EQ(w.fs.Content(OnDesk("Docs\\sub\\b.txt")), "B");
    // Nothing of the source went before the last file was copied.
    const auto firstDelete = std::find_if(w.fs.log.begin(), w.fs.log.end(),
                                          [](const std::string& op) { return op.rfind("delete", 0) == 0; });
    const auto lastCopy = std::find_if(w.fs.log.rbegin(), w.fs.log.rend(),
                                       [](const std::string& op) { return op.rfind("copy", 0) == 0; });
    ASSERT_NE(firstDelete, w.fs.log.end());
    EXPECT_LT(std::distance(w.fs.log.begin(), lastCopy.base()), std::distance(w.fs.log.begin(), firstDelete) + 1);
}

TEST_F(DropCommands, MoveFolderToAnotherVolumeThatFailsPartWayLeavesTheSourceWhole) {
    w.fs.AddFile("D:\\Docs\\a.txt", "A");
    w.fs.AddFile("D:\\Docs\\b.txt", "B");
    w.fs.AddFile("D:\\Docs\\c.txt", "C");
    w.fs.AddFile("D:\\later.txt", "L");
    w.fs.failCopyFrom["D:\\Docs\\b.txt"] = "The process cannot access the file because it is being used by another process.";
    Move({"D:\\Docs", "D:\\later.txt"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           Error("The process cannot access the file because it is being used by another process.")}));
    EXPECT_EQ(w.fs.Tree("D:\\Docs"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_FALSE(w.fs.Has(OnDesk("Docs")));
    EXPECT_EQ(w.fs.Content("D:\\later.txt"), "L");
    EXPECT_FALSE(w.fs.Has(OnDesk("later.txt")));
}

TEST_F(DropCommands, MoveFolderToAnotherVolumeCancelledLeavesTheSourceWholeAndSaysNothing) {
    w.fs.AddFile("D:\\Docs\\a.txt", "A");
    w.fs.AddFile("D:\\Docs\\b.txt", "B");
    w.fs.afterCopy = [&](const std::string&) { w.progress.cancelled = true; };
    Move({"D:\\Docs"});
    EXPECT_TRUE(w.boxes.shown.empty());
    EXPECT_EQ(w.fs.Tree("D:\\Docs"), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(w.fs.Has(OnDesk("Docs")));
}

TEST_F(DropCommands, MoveFolderToAnotherVolumeOntoAnExistingNameFailsBeforeCopying) {
    w.fs.AddFile("D:\\Docs\\a.txt", "A");
    w.fs.AddFile(OnDesk("Docs\\theirs.txt"), "T");
    Move({"D:\\Docs"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Error("Cannot create a file when that file already exists.")}));
    EXPECT_EQ(w.fs.Tree(OnDesk("Docs")), (std::vector<std::string>{"theirs.txt"}));
    EXPECT_EQ(w.fs.Tree("D:\\Docs"), (std::vector<std::string>{"a.txt"}));
}

TEST_F(DropCommands, MovingAFolderWithALinkRemovesTheLinkNotWhatItLeadsTo) {
    w.fs.AddFile("D:\\Shared\\s.txt", "S");
    w.fs.AddFile("D:\\Docs\\a.txt", "A");
    w.fs.AddFolderLink("D:\\Docs\\toShared", "D:\\Shared");
    Move({"D:\\Docs"});
    EXPECT_TRUE(w.boxes.shown.empty());
    EXPECT_FALSE(w.fs.Has("D:\\Docs"));
    EXPECT_EQ(w.fs.Content("D:\\Shared\\s.txt"), "S");
    EXPECT_EQ(w.fs.Content(OnDesk("Docs\\toShared\\s.txt")), "S");
}

TEST_F(DropCommands, MoveFileToAnotherVolumeKeepsTheSourceWhenItCannotBeDeleted) {
    w.fs.AddFile("D:\\in\\a.txt", "A");
    w.fs.failDelete["D:\\in\\a.txt"] = "Access is denied.";
    Move({"D:\\in\\a.txt"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Error("Access is denied.")}));
    EXPECT_EQ(w.fs.Content("D:\\in\\a.txt"), "A");
    EXPECT_FALSE(w.fs.Has(OnDesk("a.txt")));
}

TEST_F(DropCommands, MoveFileToAnotherVolumeOntoAnExistingNameKeepsBoth) {
    w.fs.AddFile("D:\\in\\a.txt", "mine");
    w.fs.AddFile(OnDesk("a.txt"), "theirs");
    Move({"D:\\in\\a.txt"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Error("The file exists.")}));
    EXPECT_EQ(w.fs.Content("D:\\in\\a.txt"), "mine");
    EXPECT_EQ(w.fs.Content(OnDesk("a.txt")), "theirs");
}

// ---- shortcuts ------------------------------------------------------------------------------

TEST_F(DropCommands, ShortcutsPointAtTheItemsAsDropped) {
    w.fs.AddFile("C:\\in\\report.txt", "r");
    w.fs.AddFolder("D:\\Docs");
    Link({"C:\\in\\report.txt", "D:\\Docs", "D:\\"});
    EXPECT_EQ(w.links.saved, (std::vector<std::string>{OnDesk("report.txtへのｼｮｰﾄｶｯﾄ.lnk"),
                                                       OnDesk("Docsへのｼｮｰﾄｶｯﾄ.lnk"), OnDesk("へのｼｮｰﾄｶｯﾄ.lnk")}));
    EXPECT_EQ(w.fs.Content(OnDesk("へのｼｮｰﾄｶｯﾄ.lnk")), "link:D:\\");
    EXPECT_EQ(w.links.shellsCreated, 1);
    EXPECT_TRUE(w.boxes.shown.empty());
}

TEST_F(DropCommands, ExistingShortcutEvenHiddenIsAskedAboutAndYesRewritesIt) {
    w.fs.AddFile(OnDesk("a.txtへのｼｮｰﾄｶｯﾄ.lnk"), "link:elsewhere", platform::kAttrHidden | platform::kAttrSystem);
    w.boxes.answers = {platform::kMsgBoxYes};
    Link({"C:\\in\\a.txt"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Question("a.txtへのｼｮｰﾄｶｯﾄ.lnk")}));
    EXPECT_EQ(w.fs.Content(OnDesk("a.txtへのｼｮｰﾄｶｯﾄ.lnk")), "link:C:\\in\\a.txt");
}

TEST_F(DropCommands, ShortcutQuestionAnsweredNoSkipsOnlyThatItem) {
    w.fs.AddFile(OnDesk("2へのｼｮｰﾄｶｯﾄ.lnk"), "link:old", platform::kAttrReadOnly);
    w.boxes.answers = {platform::kMsgBoxNo};
    Link({"C:\\in\\1", "C:\\in\\2", "C:\\in\\3"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Question("2へのｼｮｰﾄｶｯﾄ.lnk")}));
    EXPECT_EQ(w.links.saved, (std::vector<std::string>{OnDesk("1へのｼｮｰﾄｶｯﾄ.lnk"), OnDesk("3へのｼｮｰﾄｶｯﾄ.lnk")}));
    EXPECT_EQ(w.fs.Content(OnDesk("2へのｼｮｰﾄｶｯﾄ.lnk")), "link:old");
}

TEST_F(DropCommands, FolderInTheWayOfAShortcutIsNoQuestionButAnErrorThatEndsTheRun) {
    w.fs.AddFolder(OnDesk("2へのｼｮｰﾄｶｯﾄ.lnk"));
    Link({"C:\\in\\1", "C:\\in\\2", "C:\\in\\3"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Error("Access is denied.")}));
    EXPECT_EQ(w.links.saved, (std::vector<std::string>{OnDesk("1へのｼｮｰﾄｶｯﾄ.lnk")}));
    EXPECT_FALSE(w.fs.Has(OnDesk("3へのｼｮｰﾄｶｯﾄ.lnk")));
}

TEST_F(DropCommands, ShellThatCannotBeMadeEndsTheRunBeforeAnyItem) {
    w.links.unavailable = true;
    Link({"C:\\in\\1", "C:\\in\\2"});
    EXPECT_EQ(Boxes(), (std::vector<std::string>{Error("Class not registered")}));
    EXPECT_TRUE(w.links.saved.empty());
}

}  // namespace
}  // namespace lumbra::fakes
