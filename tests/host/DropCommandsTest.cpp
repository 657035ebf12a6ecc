// The file commands against an in-memory file system: every file-system call failing in turn
// over the commands' main roads, then the cases of the commands that those roads leave out.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>

#include "drop/DesktopCommands.h"
#include "drop/DropNames.h"
#include "fakes/DropFakes.h"

namespace lumbra::fakes {
namespace {

using platform::DropOutcome;

const std::string kDesk = "C:\\Users\\me\\Desktop";
const std::string kDeskKey = "c:\\users\\me\\desktop";
std::string OnDesk(const std::string& name) { return kDesk + "\\" + name; }
std::string Error(const std::string& text) { return "Lumbra|48|" + text; }
std::string Question(const std::string& name) { return "上書き確認|36|" + drop::OverwriteQuestion(name); }

// 'c' copy, 'm' move, 'l' shortcuts.
DropOutcome Command(DropWorld& w, char command, const std::vector<std::string>& items) {
    if (command == 'l') return drop::CreateDesktopShortcuts(w.services, items);
    return drop::TransferToDesktop(w.services, command == 'c' ? platform::TransferKind::Copy : platform::TransferKind::Move,
                                   items);
}

// The desktop folder as "relative path=content" (a folder ends in "/").
std::vector<std::string> Desk(const DropWorld& w) {
    std::vector<std::string> out;
    for (const std::string& rel : w.fs.Tree(kDesk)) out.push_back(rel.back() == '/' ? rel : rel + "=" + w.fs.Content(OnDesk(rel)));
    return out;
}

// ---- every call failing in turn -----------------------------------------------------------------

struct Scenario {
    const char* name;
    char command;
    std::vector<std::string> items;
    std::function<void(DropFakeFileSystem&)> files;
    DropOutcome whole;  // when nothing fails
    std::vector<std::string> desk;
};

// Sources live in "?:\in"; C: holds the desktop, D: is another volume.
const Scenario kScenarios[] = {
    {"copy a file", 'c', {"D:\\in\\a.txt"}, [](auto& fs) { fs.AddFile("D:\\in\\a.txt", "alpha-content"); },
     DropOutcome::Copied, {"a.txt=alpha-content"}},
    {"copy a folder", 'c', {"D:\\in\\Docs"},
     [](auto& fs) {
         fs.AddFile("D:\\in\\Docs\\a.txt", "alpha-content");
         fs.AddFile("D:\\in\\Docs\\sub\\b.txt", "bravo-content");
     },
     DropOutcome::Copied, {"Docs/", "Docs\\a.txt=alpha-content", "Docs\\sub/", "Docs\\sub\\b.txt=bravo-content"}},
    {"copy with replace", 'c', {"D:\\in\\a.txt"},
     [](auto& fs) {
         fs.AddFile("D:\\in\\a.txt", "alpha-content");
         fs.AddFile(OnDesk("a.txt"), "older-content", platform::kAttrReadOnly);
     },
     DropOutcome::Copied, {"a.txt=alpha-content"}},
    {"move on one volume", 'm', {"C:\\in\\a.txt", "C:\\in\\Docs"},
     [](auto& fs) {
         fs.AddFile("C:\\in\\a.txt", "alpha-content");
         fs.AddFile("C:\\in\\Docs\\b.txt", "bravo-content");
     },
     DropOutcome::Moved, {"a.txt=alpha-content", "Docs/", "Docs\\b.txt=bravo-content"}},
    {"move across volumes", 'm', {"D:\\in\\a.txt", "D:\\in\\Docs"},
     [](auto& fs) {
         fs.AddFile("D:\\in\\a.txt", "alpha-content");
         fs.AddFile("D:\\in\\Docs\\b.txt", "bravo-content");
         fs.AddFile("D:\\in\\Docs\\sub\\c.txt", "charlie-content");
     },
     DropOutcome::Moved,
     {"a.txt=alpha-content", "Docs/", "Docs\\b.txt=bravo-content", "Docs\\sub/", "Docs\\sub\\c.txt=charlie-content"}},
    {"shortcut", 'l', {"D:\\in\\a.txt", "D:\\"}, [](auto& fs) { fs.AddFile("D:\\in\\a.txt", "alpha-content"); },
     DropOutcome::Linked, {"a.txtへのｼｮｰﾄｶｯﾄ.lnk=link:D:\\in\\a.txt", "へのｼｮｰﾄｶｯﾄ.lnk=link:D:\\"}},
    {"shortcut with replace", 'l', {"D:\\in\\a.txt"},
     [](auto& fs) { fs.AddFile(OnDesk("a.txtへのｼｮｰﾄｶｯﾄ.lnk"), "link:elsewhere", platform::kAttrHidden); },
     DropOutcome::Linked, {"a.txtへのｼｮｰﾄｶｯﾄ.lnk=link:D:\\in\\a.txt"}},
};

TEST(DropFaults, EveryCallFailingInTurnLosesNothingAndClaimsNothingUndone) {
    int runs = 0;
    for (const Scenario& s : kScenarios) {
        SCOPED_TRACE(s.name);
        DropWorld clean;
        clean.fs.AddFolder(kDesk);
        s.files(clean.fs);
        ASSERT_EQ(Command(clean, s.command, s.items), s.whole);
        ASSERT_EQ(Desk(clean), s.desk);
        const auto end = clean.fs.State();
        for (int n = 1; n <= clean.fs.calls; ++n, ++runs) {
            SCOPED_TRACE("call " + std::to_string(n) + " fails");
            DropWorld w;
            w.fs.AddFolder(kDesk);
            s.files(w.fs);
            const auto before = w.fs.State();
            w.fs.failAt = n;
            const DropOutcome got = Command(w, s.command, s.items);
            const auto after = w.fs.State();
            auto content = [&](const std::string& key) { return after.count(key) ? after.at(key) : "<missing>"; };
            // Whole contents only: what was there, and shortcuts to the items.
            std::set<std::string> whole;
            for (const auto& [key, c] : before) whole.insert(c);
            for (const std::string& item : s.items) whole.insert("link:" + item);
            for (const auto& [key, c] : before) {
                if (c == "/") continue;
                const std::string moved = kDeskKey + key.substr(5);  // "?:\in\x" -> desktop\x
                if (key.starts_with(kDeskKey)) {
                    EXPECT_TRUE(after.count(key)) << key << " is gone";
                } else if (got == DropOutcome::Copied && s.whole == DropOutcome::Moved) {
                    EXPECT_EQ(content(moved), c) << "a move reported as a copy has every item at the desktop";
                } else {
                    EXPECT_TRUE(content(key) == c || content(moved) == c) << key << " is lost";
                }
            }
            for (const auto& [key, c] : after) {
                EXPECT_TRUE(whole.count(c)) << key << " holds a part: " << c;
                EXPECT_EQ(key.find("\\~lumbra"), std::string::npos) << key << " was left behind";
            }
            if (got == s.whole) {
                EXPECT_EQ(after, end) << "reported done";
            } else {
                EXPECT_TRUE(got == DropOutcome::Nothing || (got == DropOutcome::Copied && s.whole == DropOutcome::Moved));
                EXPECT_TRUE(std::any_of(w.boxes.shown.begin(), w.boxes.shown.end(),
                                        [](const std::string& b) { return b.starts_with("Lumbra|48|"); }))
                    << "the user is told";
            }
        }
    }
    std::cout << std::size(kScenarios) << " scenarios, " << runs << " runs with one call failing\n";
}

// ---- the cases --------------------------------------------------------------------------------

class DropCommands : public ::testing::Test {
protected:
    void SetUp() override { w.fs.AddFolder(kDesk); }
    DropOutcome Copy(std::vector<std::string> items) { return Command(w, 'c', items); }
    DropOutcome Move(std::vector<std::string> items) { return Command(w, 'm', items); }
    DropOutcome Link(std::vector<std::string> items) { return Command(w, 'l', items); }
    DropWorld w;
};

TEST_F(DropCommands, ItemsGoInListOrderEachAnnouncedWithTheDesktopFolderLookedUpAfresh) {
    w.fs.AddFile("D:\\in\\b.txt", "B");
    w.fs.AddFile("C:\\in\\a.txt", "A");
    w.fs.AddFile("D:\\tree\\x.bin", "X");
    EXPECT_EQ(Copy({"D:\\in\\b.txt", "C:\\in\\a.txt", "D:\\tree"}), DropOutcome::Copied);
    EXPECT_EQ(w.progress.items, (std::vector<std::string>{"D:\\in\\b.txt -> " + OnDesk("b.txt"),
                                                          "C:\\in\\a.txt -> " + OnDesk("a.txt"),
                                                          "D:\\tree -> " + OnDesk("tree"),
                                                          "D:\\tree\\x.bin -> " + OnDesk("tree\\x.bin")}));
    EXPECT_EQ(w.progress.kind, platform::TransferKind::Copy);
    w.folders.desktop = "D:\\Elsewhere";
    w.fs.AddFolder("D:\\Elsewhere");
    Move({"C:\\in\\a.txt"});
    EXPECT_EQ(w.progress.kind, platform::TransferKind::Move);
    EXPECT_EQ(w.fs.Content("D:\\Elsewhere\\a.txt"), "A");
    EXPECT_EQ(w.folders.asked, (std::vector<std::int32_t>{32784, 32784}));
    EXPECT_TRUE(w.boxes.shown.empty());
}

TEST_F(DropCommands, NoSkipsOneItemAndYesMergesAFolderBringingWhatIsNew) {
    w.fs.AddFile("D:\\in\\a.txt", "new-a");
    w.fs.AddFile("D:\\in\\b.txt", "new-b");
    w.fs.AddFile(OnDesk("a.txt"), "old-a");
    w.fs.AddFile("D:\\Docs\\same.txt", "new");
    w.fs.AddFile("D:\\Docs\\sub\\deep\\added.txt", "added");
    w.fs.AddFile(OnDesk("Docs\\same.txt"), "old");
    w.fs.AddFile(OnDesk("Docs\\sub\\mine.txt"), "mine");
    w.boxes.answers = {platform::kMsgBoxNo, platform::kMsgBoxYes, platform::kMsgBoxNo};
    EXPECT_EQ(Copy({"D:\\in\\a.txt", "D:\\in\\b.txt", "D:\\Docs"}), DropOutcome::Copied);
    EXPECT_EQ(w.boxes.shown, (std::vector<std::string>{Question("a.txt"), Question("Docs")}));
    EXPECT_EQ(w.progress.answered, 2) << "time spent on a question is not time the command ran";
    EXPECT_EQ(Desk(w), (std::vector<std::string>{"a.txt=old-a", "b.txt=new-b", "Docs/", "Docs\\same.txt=new", "Docs\\sub/",
                                                  "Docs\\sub\\deep/", "Docs\\sub\\deep\\added.txt=added",
                                                  "Docs\\sub\\mine.txt=mine"}));
    const auto before = w.fs.State();
    EXPECT_EQ(Copy({"D:\\Docs"}), DropOutcome::Nothing) << "declined everything";
    EXPECT_EQ(w.fs.State(), before);
}

TEST_F(DropCommands, RefusalsComeFirstWithTheirOwnWordsAndTheFirstErrorEndsTheCommand) {
    w.fs.AddFile(OnDesk("self.txt"), "precious");
    w.fs.AddFile("D:\\in\\x", "file");
    w.fs.AddFolder(OnDesk("x"));
    w.fs.AddFolder("D:\\in\\y");
    w.fs.AddFile(OnDesk("y"), "a file");
    w.fs.AddFile("D:\\in\\later.txt", "later");
    const auto before = w.fs.State();
    for (const char* item : {"D:\\", "\\\\server\\share"}) Copy({item, "D:\\in\\later.txt"});
    Move({"D:\\"});
    Copy({OnDesk("self.txt")});
    Move({OnDesk("self.txt")});
    Copy({"C:\\Users\\me"});
    Move({"C:\\Users"});
    Copy({"D:\\in\\x", "D:\\in\\later.txt"});
    Copy({"D:\\in\\y"});
    Move({"D:\\in\\gone.txt", "D:\\in\\later.txt"});
    EXPECT_EQ(w.boxes.shown, (std::vector<std::string>{
                                 Error("「D:\\」はドライブまたは共有フォルダーのルートなので、コピーできません。"),
                                 Error("「\\\\server\\share」はドライブまたは共有フォルダーのルートなので、コピーできません。"),
                                 Error("「D:\\」はドライブまたは共有フォルダーのルートなので、移動できません。"),
                                 Error("「self.txt」はコピー元とコピー先が同じです。"),
                                 Error("「self.txt」は移動元と移動先が同じです。"),
                                 Error("「me」のコピー先はコピー元のフォルダーの中にあります。"),
                                 Error("「Users」の移動先は移動元のフォルダーの中にあります。"),
                                 Error("Cannot create a file when that file already exists."),
                                 Error("Cannot create a file when that file already exists."),
                                 Error("The system cannot find the file specified."),
                             }));
    EXPECT_EQ(w.fs.State(), before);
}

TEST_F(DropCommands, CancelStopsAfterTheCurrentFileKeepsWhatIsDoneAndSaysNothing) {
    for (const char* name : {"1.txt", "2.txt", "3.txt"}) w.fs.AddFile("D:\\tree\\" + std::string(name), name);
    w.fs.AddFile("D:\\next.txt", "n");
    w.progress.cancelAfterItems = 3;  // the folder and its first two files have started
    EXPECT_EQ(Copy({"D:\\tree", "D:\\next.txt"}), DropOutcome::Nothing);
    EXPECT_EQ(Desk(w), (std::vector<std::string>{"tree/", "tree\\1.txt=1.txt", "tree\\2.txt=2.txt"}));
    w.fs.AddFile("D:\\Docs\\a.txt", "A");
    w.fs.AddFile("D:\\Docs\\b.txt", "B");
    w.progress.cancelAfterItems = 5;
    EXPECT_EQ(Move({"D:\\Docs"}), DropOutcome::Nothing);
    EXPECT_FALSE(w.fs.At(OnDesk("Docs"))) << "a cancelled move across volumes takes its copy away";
    EXPECT_EQ(w.fs.Content("D:\\Docs\\a.txt"), "A");
    EXPECT_TRUE(w.boxes.shown.empty());
}

TEST_F(DropCommands, AcrossVolumesOnlyWhatWasCopiedUnchangedLeavesItsSourceAndTheRestIsNamed) {
    w.fs.AddFile("D:\\Docs\\a.txt", "A");
    w.fs.AddFile("D:\\Docs\\b.txt", "B");
    w.fs.AddFile("D:\\Docs\\c.txt", "C");
    w.fs.AddFile("D:\\in\\d.txt", "D");
    w.fs.locked = {"d:\\docs\\c.txt", "d:\\in\\d.txt"};  // in use: they copy but do not go
    w.fs.afterCopy = [&](const std::string& to) {
        if (w.fs.Content(to) == "A") w.fs.AddFile("D:\\Docs\\a.txt", "A, changed meanwhile");
    };
    EXPECT_EQ(Move({"D:\\Docs", "D:\\in\\d.txt"}), DropOutcome::Copied);
    EXPECT_EQ(Desk(w), (std::vector<std::string>{"d.txt=D", "Docs/", "Docs\\a.txt=A", "Docs\\b.txt=B", "Docs\\c.txt=C"}));
    EXPECT_EQ(w.fs.Tree("D:\\Docs"), (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_EQ(w.boxes.shown, (std::vector<std::string>{Error(
                                 "デスクトップへのコピーは完了しましたが、次の移動元の項目は削除できなかったため残っています。"
                                 "\r\nD:\\Docs\\c.txt\r\nD:\\Docs\\a.txt\r\nD:\\Docs\r\nD:\\in\\d.txt")}));
}

TEST_F(DropCommands, LinksAreMadeAgainNeverFollowedAndOneThatCannotBeKeepsAMovesSource) {
    w.fs.AddFile("D:\\Docs\\a.txt", "A");
    w.fs.AddLink("D:\\Docs\\up", "D:\\");
    EXPECT_EQ(Copy({"D:\\Docs"}), DropOutcome::Copied);
    EXPECT_EQ(Desk(w), (std::vector<std::string>{"Docs/", "Docs\\a.txt=A", "Docs\\up/"}));
    EXPECT_EQ(w.fs.State().at("c:\\users\\me\\desktop\\docs\\up"), "->D:\\");
    EXPECT_EQ(Move({"D:\\Docs\\up"}), DropOutcome::Moved);
    EXPECT_EQ(w.fs.State().count("d:\\docs\\up"), 0u);

    w.fs.linksMade = false;
    w.fs.AddLink("D:\\Docs\\up", "D:\\");
    w.fs.AddFolder(OnDesk("Other"));
    w.folders.desktop = OnDesk("Other");
    const auto source = w.fs.Tree("D:\\Docs");
    EXPECT_EQ(Move({"D:\\Docs"}), DropOutcome::Copied);
    EXPECT_EQ(w.fs.Tree("D:\\Docs"), source);
    EXPECT_EQ(w.fs.Tree(OnDesk("Other")), (std::vector<std::string>{"Docs/", "Docs\\a.txt"}));
    EXPECT_EQ(w.boxes.shown, (std::vector<std::string>{Error(
                                 "次のリンクは移動先に作れなかったため、移動元をそのまま残しました。\r\nD:\\Docs\\up")}));
}

TEST_F(DropCommands, ShortcutsAskBeforeReplacingAndAFolderInTheWayEndsTheRun) {
    w.fs.AddFile(OnDesk("2へのｼｮｰﾄｶｯﾄ.lnk"), "link:old", platform::kAttrReadOnly);
    w.boxes.answers = {platform::kMsgBoxNo};
    EXPECT_EQ(Link({"C:\\in\\1", "C:\\in\\2", "C:\\in\\3"}), DropOutcome::Linked);
    EXPECT_EQ(w.boxes.shown, (std::vector<std::string>{Question("2へのｼｮｰﾄｶｯﾄ.lnk")}));
    EXPECT_EQ(Desk(w), (std::vector<std::string>{"1へのｼｮｰﾄｶｯﾄ.lnk=link:C:\\in\\1", "2へのｼｮｰﾄｶｯﾄ.lnk=link:old",
                                                  "3へのｼｮｰﾄｶｯﾄ.lnk=link:C:\\in\\3"}));
    w.boxes.shown.clear();
    w.fs.AddFolder(OnDesk("5へのｼｮｰﾄｶｯﾄ.lnk"));
    EXPECT_EQ(Link({"C:\\in\\4", "C:\\in\\5", "C:\\in\\6"}), DropOutcome::Nothing);
    EXPECT_EQ(w.boxes.shown, (std::vector<std::string>{Error("Cannot create a file when that file already exists.")}));
    EXPECT_TRUE(w.fs.At(OnDesk("4へのｼｮｰﾄｶｯﾄ.lnk")));
    EXPECT_FALSE(w.fs.At(OnDesk("6へのｼｮｰﾄｶｯﾄ.lnk")));
}

TEST_F(DropCommands, WithoutADesktopFolderOrAShellNothingIsWritten) {
    w.links.unavailable = true;
    EXPECT_EQ(Link({"C:\\in\\1"}), DropOutcome::Nothing);
    w.folders.desktop.clear();
    w.fs.AddFile("C:\\in\\a.txt", "A");
    const auto before = w.fs.State();
    EXPECT_EQ(Copy({"C:\\in\\a.txt"}), DropOutcome::Nothing);
    EXPECT_EQ(Link({"C:\\in\\a.txt"}), DropOutcome::Nothing);
    EXPECT_EQ(w.boxes.shown, (std::vector<std::string>{Error("Class not registered"),
                                                       Error("デスクトップ フォルダーが見つかりません。"),
                                                       Error("デスクトップ フォルダーが見つかりません。")}));
    EXPECT_EQ(w.fs.State(), before);
}

}  // namespace
}  // namespace lumbra::fakes
