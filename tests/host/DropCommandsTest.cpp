// The file commands against an in-memory file system: every file-system call failing in turn
// over the commands' main roads, then the cases those roads leave out.
#include <gtest/gtest.h>

#include <iostream>

#include "drop/DesktopCommands.h"
#include "drop/DropNames.h"
#include "fakes/DropFakes.h"

namespace lumbra::fakes {
namespace {

using platform::DropOutcome;
using Texts = std::vector<std::string>;

const std::string kDesk = "C:\\Users\\me\\Desktop";
const std::string kLnk = "へのｼｮｰﾄｶｯﾄ.lnk";
std::string OnDesk(const std::string& name) { return kDesk + "\\" + name; }
std::string Error(const std::string& text) { return "Lumbra|48|" + text; }
std::string Question(const std::string& name) {
    return "上書き確認|36|" + name + "はすでに存在します。\r\n上書きして置換えますか？";
}

// Files whose content is their own path; a path ending in a backslash is an empty folder.
void Files(DropFakeFileSystem& fs, const Texts& paths) {
    for (const std::string& p : paths) p.back() == '\\' ? fs.AddFolder(p) : fs.AddFile(p, p);
}

// ---- every call failing in turn -----------------------------------------------------------------

// Sources in "?:\in"; D: is another volume than the desktop's.
const struct Scenario {
    const char* name;
    char command;
    Texts items, files;
    DropOutcome whole;  // when nothing fails
    Texts desk;
} kScenarios[] = {
    {"copy a file", 'c', {"D:\\in\\a"}, {"D:\\in\\a"}, DropOutcome::Copied, {"a=D:\\in\\a"}},
    {"copy a folder", 'c', {"D:\\in\\F"}, {"D:\\in\\F\\a", "D:\\in\\F\\G\\b", "D:\\in\\F\\E\\"}, DropOutcome::Copied,
     {"F/", "F\\E/", "F\\G/", "F\\G\\b=D:\\in\\F\\G\\b", "F\\a=D:\\in\\F\\a"}},
    {"copy with replace", 'c', {"D:\\in\\a"}, {"D:\\in\\a", OnDesk("a")}, DropOutcome::Copied, {"a=D:\\in\\a"}},
    {"move on one volume", 'm', {"C:\\in\\a", "C:\\in\\F"}, {"C:\\in\\a", "C:\\in\\F\\b"}, DropOutcome::Moved,
     {"F/", "F\\b=C:\\in\\F\\b", "a=C:\\in\\a"}},
    {"move across volumes", 'm', {"D:\\in\\a", "D:\\in\\F"}, {"D:\\in\\a", "D:\\in\\F\\b", "D:\\in\\F\\G\\c"},
     DropOutcome::Moved, {"F/", "F\\G/", "F\\G\\c=D:\\in\\F\\G\\c", "F\\b=D:\\in\\F\\b", "a=D:\\in\\a"}},
    {"shortcut", 'l', {"D:\\in\\a", "D:\\"}, {"D:\\in\\a"}, DropOutcome::Linked,
     {"a" + kLnk + "=link:D:\\in\\a", kLnk + "=link:D:\\"}},
    {"shortcut with replace", 'l', {"D:\\in\\a"}, {OnDesk("a" + kLnk)}, DropOutcome::Linked,
     {"a" + kLnk + "=link:D:\\in\\a"}},
};

TEST(DropFaults, EveryCallFailingInTurnLosesNothingAndClaimsNothingUndone) {
    int runs = 0;
    for (const Scenario& s : kScenarios) {
        std::map<std::string, std::string> end;
        for (int n = 0, calls = 1; n <= calls; ++n, ++runs) {
            SCOPED_TRACE(std::string(s.name) + ", failing call " + std::to_string(n));
            DropWorld w;
            Files(w.fs, {kDesk + "\\"});
            Files(w.fs, s.files);
            const auto before = w.fs.State();
            w.fs.failAt = n;
            const DropOutcome got = RunDrop(w.services, s.command, s.items);
            const auto after = w.fs.State();
            if (n == 0) {  // the run without a fault, whose calls are counted
                calls = w.fs.calls;
                end = after;
                ASSERT_EQ(got, s.whole);
                ASSERT_EQ(w.fs.Tree(kDesk), s.desk);
                continue;
            }
            // Only whole contents anywhere, and no passing name left.
            for (const auto& [path, c] : after) {
                EXPECT_TRUE(c == "/" || c.starts_with("link:") || before.count(c)) << path << ": " << c;
                EXPECT_EQ(path.find("~lumbra"), std::string::npos) << path << " was left behind";
            }
            // Every file whole at its source or at the desktop; a move told as a copy has every file
            // at the desktop.
            const bool copiedNotMoved = got == DropOutcome::Copied && s.whole == DropOutcome::Moved;
            for (const auto& [path, c] : before) {
                auto at = [&](const std::string& p) { return after.count(p) && after.at(p) == c; };
                if (path.starts_with(kDesk)) {
                    EXPECT_TRUE(after.count(path)) << path << " is gone";
                } else if (c != "/") {
                    const std::string moved = kDesk + path.substr(5);  // "?:\in\x" -> desktop\x
                    EXPECT_TRUE(copiedNotMoved ? at(moved) : at(path) || at(moved)) << path << " is lost";
                }
            }
            // Done means all done; anything less is told, and is never more than a copy.
            if (got == s.whole) {
                EXPECT_EQ(after, end) << "reported done";
            } else {
                EXPECT_TRUE(got == DropOutcome::Nothing || copiedNotMoved);
                EXPECT_TRUE(std::any_of(w.boxes.shown.begin(), w.boxes.shown.end(),
                                        [](const std::string& b) { return b.starts_with("Lumbra|48|"); }));
            }
        }
    }
    std::cout << std::size(kScenarios) << " scenarios, " << runs << " runs, one call failing in each but the first\n";
}

// ---- the cases --------------------------------------------------------------------------------

class DropCommands : public ::testing::Test {
protected:
    void SetUp() override { w.fs.AddFolder(kDesk); }
    DropOutcome Copy(Texts items) { return RunDrop(w.services, 'c', items); }
    DropOutcome Move(Texts items) { return RunDrop(w.services, 'm', items); }
    DropWorld w;
};

// A passing name already taken is stepped over, not written through.
TEST_F(DropCommands, ItemsGoInListOrderEachAnnouncedAndBesideAPassingNameThatIsTaken) {
    Files(w.fs, {"D:\\in\\b", "D:\\in\\T\\x", "C:\\in\\a", OnDesk("~lumbra1.tmp")});
    EXPECT_EQ(Copy({"D:\\in\\b", "C:\\in\\a", "D:\\in\\T"}), DropOutcome::Copied);
    EXPECT_EQ(w.progress.items, (Texts{"D:\\in\\b -> " + OnDesk("b"), "C:\\in\\a -> " + OnDesk("a"),
                                       "D:\\in\\T -> " + OnDesk("T"), "D:\\in\\T\\x -> " + OnDesk("T\\x")}));
    EXPECT_EQ(w.fs.Tree(kDesk), (Texts{"T/", "T\\x=D:\\in\\T\\x", "a=C:\\in\\a", "b=D:\\in\\b",
                                      "~lumbra1.tmp=" + OnDesk("~lumbra1.tmp")}));
    EXPECT_TRUE(w.boxes.shown.empty());
}

TEST_F(DropCommands, NoSkipsOneItemAndYesMergesAFolderBringingWhatIsNew) {
    Files(w.fs, {"D:\\in\\a", "D:\\in\\b", "D:\\in\\F\\same", "D:\\in\\F\\G\\H\\new", OnDesk("a"), OnDesk("F\\same"),
                 OnDesk("F\\G\\mine")});
    w.boxes.answers = {platform::kMsgBoxNo, platform::kMsgBoxYes, platform::kMsgBoxNo};
    EXPECT_EQ(Copy({"D:\\in\\a", "D:\\in\\b", "D:\\in\\F"}), DropOutcome::Copied);
    EXPECT_EQ(w.boxes.shown, (Texts{Question("a"), Question("F")}));
    EXPECT_EQ(w.progress.answered, 2) << "time spent on a question is not time the command ran";
    EXPECT_EQ(w.fs.Tree(kDesk), (Texts{"F/", "F\\G/", "F\\G\\H/", "F\\G\\H\\new=D:\\in\\F\\G\\H\\new",
                                      "F\\G\\mine=" + OnDesk("F\\G\\mine"), "F\\same=D:\\in\\F\\same", "a=" + OnDesk("a"),
                                      "b=D:\\in\\b"}));
    const auto before = w.fs.State();
    EXPECT_EQ(Copy({"D:\\in\\F"}), DropOutcome::Nothing) << "declined everything";
    EXPECT_EQ(w.fs.State(), before);
}

TEST_F(DropCommands, RefusalsComeFirstInTheirOwnWordsAndTheFirstErrorEndsTheCommand) {
    Files(w.fs, {OnDesk("self"), "D:\\in\\x", "D:\\in\\y\\z", "D:\\in\\later", OnDesk("x\\"), OnDesk("y")});
    const auto before = w.fs.State();
    for (const char* root : {"D:\\", "\\\\server\\share"}) Copy({root, "D:\\in\\later"});
    Move({"D:\\"});
    Copy({OnDesk("self")});
    Move({"C:\\Users"});
    Copy({"D:\\in\\x", "D:\\in\\later"});
    Copy({"D:\\in\\y"});
    Move({"D:\\in\\gone", "D:\\in\\later"});
    w.links.unavailable = true;
    RunDrop(w.services, 'l', {"D:\\in\\later"});
    w.folders.desktop.clear();
    Copy({"D:\\in\\later"});
    const std::string root = "はドライブまたは共有フォルダーのルートなので、";
    const std::string exists = "Cannot create a file when that file already exists.";
    EXPECT_EQ(w.boxes.shown,
              (Texts{Error("「D:\\」" + root + "コピーできません。"), Error("「\\\\server\\share」" + root + "コピーできません。"),
                     Error("「D:\\」" + root + "移動できません。"), Error("「self」はコピー元とコピー先が同じです。"),
                     Error("「Users」の移動先は移動元のフォルダーの中にあります。"), Error(exists), Error(exists),
                     Error("The system cannot find the file specified."), Error("Class not registered"),
                     Error("デスクトップ フォルダーが見つかりません。")}));
    EXPECT_EQ(w.fs.State(), before);
}

TEST_F(DropCommands, CancelStopsAfterTheCurrentFileSaysNothingAndAMoveTakesItsCopyAway) {
    Files(w.fs, {"D:\\in\\n", "D:\\in\\T\\1", "D:\\in\\T\\2", "D:\\in\\T\\3", "D:\\in\\F\\a", "D:\\in\\F\\b"});
    w.progress.cancelAfterItems = 1;  // pressed while the first item is copied
    EXPECT_EQ(Copy({"D:\\in\\n", "D:\\in\\T"}), DropOutcome::Nothing);
    w.progress.cancelAfterItems = 4;  // the folder and its first two files have started
    EXPECT_EQ(Copy({"D:\\in\\T"}), DropOutcome::Nothing);
    EXPECT_EQ(w.fs.Tree(kDesk), (Texts{"T/", "T\\1=D:\\in\\T\\1", "T\\2=D:\\in\\T\\2", "n=D:\\in\\n"}));
    w.progress.cancelAfterItems = 6;
    const auto before = w.fs.State();
    EXPECT_EQ(Move({"D:\\in\\F"}), DropOutcome::Nothing);
    EXPECT_EQ(w.fs.State(), before) << "a cancelled move across volumes takes its copy away";
    EXPECT_TRUE(w.boxes.shown.empty());
}

TEST_F(DropCommands, AcrossVolumesOnlyWhatWasCopiedUnchangedLeavesItsSourceAndTheRestIsNamed) {
    Files(w.fs, {"D:\\in\\F\\a", "D:\\in\\F\\b", "D:\\in\\F\\c", "D:\\in\\d"});
    w.fs.locked = {"D:\\in\\F\\c", "D:\\in\\d"};
    // Rewritten at the same size while it was copied: only its write time tells.
    w.fs.afterCopy = [&](const std::string& to) {
        if (w.fs.At(to)->content == "D:\\in\\F\\a") w.fs.AddFile("D:\\in\\F\\a", "rewritten");
    };
    EXPECT_EQ(Move({"D:\\in\\F", "D:\\in\\d"}), DropOutcome::Copied);
    EXPECT_EQ(w.fs.Tree(kDesk), (Texts{"F/", "F\\a=D:\\in\\F\\a", "F\\b=D:\\in\\F\\b", "F\\c=D:\\in\\F\\c", "d=D:\\in\\d"}));
    EXPECT_EQ(w.fs.Tree("D:\\in"), (Texts{"F/", "F\\a=rewritten", "F\\c=D:\\in\\F\\c", "d=D:\\in\\d"}));
    EXPECT_EQ(w.boxes.shown, Texts{Error("デスクトップへのコピーは完了しましたが、次の移動元の項目は削除できなかったため残っています。"
                                         "\r\nD:\\in\\F\\c\r\nD:\\in\\F\\a\r\nD:\\in\\F\r\nD:\\in\\d")});
    for (char k = 'e'; k < 'o'; ++k) Files(w.fs, {std::string("D:\\in\\G\\") + k});
    w.fs.afterCopy = [&](const std::string& to) { w.fs.AddFile(w.fs.At(to)->content, "changed"); };
    EXPECT_EQ(Move({"D:\\in\\G"}), DropOutcome::Copied);
    EXPECT_TRUE(w.boxes.shown.back().ends_with("\r\nD:\\in\\G\\e\r\nほか 1 個")) << w.boxes.shown.back();
    for (char k = 'e'; k < 'n'; ++k) Files(w.fs, {std::string("D:\\in\\K\\") + k});
    EXPECT_EQ(Move({"D:\\in\\K"}), DropOutcome::Copied);  // ten names: all of them, no more to count
    EXPECT_TRUE(w.boxes.shown.back().ends_with("\r\nD:\\in\\K\\e\r\nD:\\in\\K")) << w.boxes.shown.back();
    // On the desktop's own volume a move is a rename: nothing is copied.
    w.fs.afterCopy = [](const std::string& to) { ADD_FAILURE() << to << " copied on one volume"; };
    Files(w.fs, {"C:\\in\\H\\x"});
    EXPECT_EQ(Move({"C:\\in\\H"}), DropOutcome::Moved);
}

TEST_F(DropCommands, LinksAreMadeAgainNeverFollowedAndOneThatCannotBeKeepsAMovesSource) {
    Files(w.fs, {"D:\\in\\F\\a"});
    w.fs.AddLink("D:\\in\\F\\up", "D:\\");
    EXPECT_EQ(Copy({"D:\\in\\F"}), DropOutcome::Copied);
    EXPECT_EQ(w.fs.Tree(kDesk), (Texts{"F/", "F\\a=D:\\in\\F\\a", "F\\up=->D:\\"}));
    EXPECT_EQ(Move({OnDesk("F\\up")}), DropOutcome::Moved);
    w.fs.linksMade = false;
    w.folders.desktop = OnDesk("Other");
    w.fs.AddFolder(w.folders.desktop);
    EXPECT_EQ(Move({"D:\\in\\F"}), DropOutcome::Copied);
    EXPECT_EQ(w.fs.Tree("D:\\in"), (Texts{"F/", "F\\a=D:\\in\\F\\a", "F\\up=->D:\\"}));
    EXPECT_EQ(w.fs.Tree(OnDesk("Other")), (Texts{"F/", "F\\a=D:\\in\\F\\a"}));
    EXPECT_EQ(w.boxes.shown,
              Texts{Error("次のリンクは移動先に作れなかったため、移動元をそのまま残しました。\r\nD:\\in\\F\\up")});
}

TEST_F(DropCommands, ShortcutsAskBeforeReplacingAndAFolderInTheWayEndsTheRun) {
    w.fs.AddFile(OnDesk("2" + kLnk), "link:old");
    w.fs.AddFolder(OnDesk("5" + kLnk));
    w.boxes.answers = {platform::kMsgBoxNo};
    EXPECT_EQ(RunDrop(w.services, 'l', {"C:\\1", "C:\\2", "C:\\3"}), DropOutcome::Linked);
    EXPECT_EQ(RunDrop(w.services, 'l', {"C:\\4", "C:\\5", "C:\\6"}), DropOutcome::Nothing);
    EXPECT_EQ(w.boxes.shown, (Texts{Question("2" + kLnk), Error("Cannot create a file when that file already exists.")}));
    EXPECT_EQ(w.fs.Tree(kDesk), (Texts{"1" + kLnk + "=link:C:\\1", "2" + kLnk + "=link:old", "3" + kLnk + "=link:C:\\3",
                                      "4" + kLnk + "=link:C:\\4", "5" + kLnk + "/"}));
}

}  // namespace
}  // namespace lumbra::fakes
