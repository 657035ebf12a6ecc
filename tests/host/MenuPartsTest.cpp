// Small parts of the popup menu: the item tree of the component, command-line quoting, the
// DefaultIcon value, the recycle-bin rule and the icon cache.
#include <gtest/gtest.h>

#include "common/CommandLineParser.h"
#include "fakes/MenuFakes.h"
#include "menu/DefaultIcon.h"
#include "menu/RecycleBin.h"
#include "menu/UserIconCache.h"
#include "platform/CommandLine.h"
#include "platform/MenuTree.h"

namespace lumbra {
namespace {

// ---- the item tree --------------------------------------------------------------------------

TEST(MenuTree, IndicesRunOnAcrossLevelsFromOne) {
    platform::MenuTree tree;
    EXPECT_EQ(tree.Append("a", "", 0, 0, -1, false, true, "A"), 1);
    EXPECT_EQ(tree.Append("sub", "", 0, 0, -1, false, true, "S"), 2);
    EXPECT_EQ(tree.Append("child", "", 0, 2, -1, false, true, "C"), 3);
    EXPECT_EQ(tree.Append("b", "", 0, 0, -1, false, true, ""), 4);
    EXPECT_EQ(tree.FindByKey("C"), 3);
    EXPECT_EQ(tree.FindByKey("S"), 2);
    EXPECT_TRUE(tree.HasChildren(2));
    EXPECT_FALSE(tree.HasChildren(3));
}

TEST(MenuTree, UnknownAndEmptyKeysAreNotFound) {
    platform::MenuTree tree;
    tree.Append("-", "", 0, 0, -1, false, true, "");
    EXPECT_EQ(tree.FindByKey(""), -1);
    EXPECT_EQ(tree.FindByKey("Nope"), -1);
    EXPECT_EQ(tree.Item(0), nullptr);
    EXPECT_EQ(tree.Item(2), nullptr);
}

TEST(MenuTree, LoadingASavedTreeRestoresItsIndicesAndTheNextIndexFollowsIt) {
    platform::MenuTree tree;
    tree.Append("a", "", 0, 0, -1, false, true, "A");
    tree.Append("b", "", 0, 0, -1, false, true, "B");
    tree.Save("saved");
    tree.Append("extra1", "", 0, 0, -1, false, true, "");
    tree.Append("extra2", "", 0, 0, -1, false, true, "");
    tree.Item(1)->enabled = false;
    tree.Reset();
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.FindByKey("A"), -1);
    ASSERT_TRUE(tree.Load("saved"));
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_EQ(tree.FindByKey("B"), 2);
    EXPECT_TRUE(tree.Item(1)->enabled) << "changes after saving are not in the saved copy";
    EXPECT_EQ(tree.Append("next", "", 0, 0, -1, false, true, ""), 3);
}

TEST(MenuTree, LoadingANameNeverSavedChangesNothing) {
    platform::MenuTree tree;
    tree.Append("a", "", 0, 0, -1, false, true, "");
    EXPECT_FALSE(tree.Load("other"));
    EXPECT_EQ(tree.Count(), 1);
}

// ---- command lines --------------------------------------------------------------------------

TEST(CommandLineQuoting, ArgumentsAreQuotedOnlyWhenTheyMustBe) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir\\file.txt"},  // plain: as it is
        {"a b", "\"a b\""},
        {"tab\there", "\"tab\there\""},
        {"", "\"\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},  // a\"b: the backslash before the quote doubles, the quote is escaped
        {"C:\\a b\\c", "\"C:\\a b\\c\""},      // backslashes not before a quote stay single
        {"C:\\a b\\", "\"C:\\a b\\\\\""},    // a trailing backslash before the closing quote doubles
    };
    for (const auto& [argument, quoted] : cases) EXPECT_EQ(platform::QuoteArgument(argument), quoted) << argument;
    EXPECT_EQ(platform::BuildCommandLine({"rundll32.exe", "shell32.dll,Control_RunDLL", "Desk.cpl"}),
              "rundll32.exe shell32.dll,Control_RunDLL Desk.cpl");
    EXPECT_EQ(platform::BuildCommandLine({"C:\\Program Files\\x.exe", "my file.cpl"}),
              "\"C:\\Program Files\\x.exe\" \"my file.cpl\"");
}

// The tests' reader of command lines first, on the runtime's own published examples, then the
// quoting read back through it.
using Args = std::vector<std::string>;

TEST(CommandLineSplitting, ThePublishedExamplesOfTheRuntime) {
    using testdata::SplitCommandLine;
    EXPECT_EQ(SplitCommandLine(R"(p "a b c" d e)"), (Args{"p", "a b c", "d", "e"}));
    EXPECT_EQ(SplitCommandLine(R"(p "ab\"c" "\\" d)"), (Args{"p", R"(ab"c)", R"(\)", "d"}));
    EXPECT_EQ(SplitCommandLine(R"(p a\\\b d"e f"g h)"), (Args{"p", R"(a\\\b)", "de fg", "h"}));
    EXPECT_EQ(SplitCommandLine(R"(p a\\\"b c d)"), (Args{"p", R"(a\"b)", "c", "d"}));
    EXPECT_EQ(SplitCommandLine(R"(p a\\\\"b c" d e)"), (Args{"p", R"(a\\b c)", "d", "e"}));
}

TEST(CommandLineSplitting, TheProgramNameTakesQuotesAsGroupingAndBackslashesAsText) {
    using testdata::SplitCommandLine;
    EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\x.exe" a)"), (Args{R"(C:\Program Files\x.exe)", "a"}));
    EXPECT_EQ(SplitCommandLine(R"(C:\dir\"x y".exe)"), (Args{R"(C:\dir\x y.exe)"}));
    EXPECT_EQ(SplitCommandLine(R"("" a)"), (Args{"", "a"}));
    EXPECT_EQ(SplitCommandLine(""), (Args{""}));
}

TEST(CommandLineSplitting, BlanksAndTabsSeparateAndAnUnclosedQuoteRunsToTheEnd) {
    using testdata::SplitCommandLine;
    EXPECT_EQ(SplitCommandLine("p \t a\t\tb  "), (Args{"p", "a", "b"}));
    EXPECT_EQ(SplitCommandLine("p a\nb"), (Args{"p", "a\nb"})) << "a line break separates nothing";
    EXPECT_EQ(SplitCommandLine(R"(p "a b)"), (Args{"p", "a b"}));
    EXPECT_EQ(SplitCommandLine(R"(p "")"), (Args{"p", ""}));
    EXPECT_EQ(SplitCommandLine(R"(p "a""b" c)"), (Args{"p", R"(a"b)", "c"})) << "two quotes inside quotes";
    EXPECT_EQ(SplitCommandLine(R"(p a\)"), (Args{"p", R"(a\)"})) << "a trailing backslash is text";
}

TEST(CommandLineQuoting, EveryArgumentReadsBackExactly) {
    const Args arguments{"rundll32.exe", "shell32.dll,Control_RunDLL", "", " ", "a b", "say \"hi\"", R"(a\"b)",
                         R"(C:\a b\)", R"(C:\a b\\)", R"(\\server\share\)", "tab\there", "\"", R"(\")",
                         "x\"", "デスクトップ\\メモ 帳.txt", "😀 \"😀\""};
    EXPECT_EQ(testdata::SplitCommandLine(platform::BuildCommandLine(arguments)), arguments);
    EXPECT_EQ(testdata::SplitCommandLine(platform::BuildCommandLine({"C:\\Program Files\\x.exe", "a"})),
              (Args{"C:\\Program Files\\x.exe", "a"}));
    EXPECT_EQ(testdata::SplitCommandLine(platform::BuildCommandLine({""})), (Args{""}));
}

// ---- DefaultIcon values ---------------------------------------------------------------------

TEST(DefaultIconSplit, TheFileBeforeTheLastCommaAndTheNumberAfterIt) {
    const struct {
        const char* value;
        const char* file;
        std::int32_t index;
        const char* why;
    } cases[] = {
        {"C:\\Windows\\system32\\shell32.dll,15", "C:\\Windows\\system32\\shell32.dll", 15, "path, comma, index"},
        {"C:\\icons\\folder.ico", "C:\\icons\\folder.ico", 0, "no comma: the whole value, index 0"},
        {"", "", 0, "nothing"},
        {"C:\\a,b\\c,d.dll,3", "C:\\a,b\\c,d.dll", 3, "only the last comma separates"},
        {"C:\\x.dll,icon", "C:\\x.dll", 0, "a last part that is no number gives 0"},
        {"C:\\x.dll,", "C:\\x.dll", 0, "an empty last part"},
        {"%SystemRoot%\\System32\\imageres.dll,-109", "%SystemRoot%\\System32\\imageres.dll", -109,
         "a negative index passes on, nothing is expanded"},
        {"x.dll, 7", "x.dll", 7, "a blank is skipped"},
        {"x.dll,  -3", "x.dll", -3, "blanks before a sign"},
        {"x.dll,+4", "x.dll", 4, "a plus sign"},
        {"\"C:\\q.dll\",2", "\"C:\\q.dll\"", 2, "quotes stay"},
        {"x.dll,2.5", "x.dll", 2, "halves round to even"},
        {"x.dll,3.5", "x.dll", 4, "halves round to even"},
        {"x.dll,2.6", "x.dll", 3, "fractions to the nearest"},
        {"x.dll,-1.5", "x.dll", -2, "negative halves to even"},
        {"x.dll,12abc", "x.dll", 12, "the number at the start of the part"},
    };
    for (const auto& c : cases) {
        const menu::IconLocation location = menu::SplitDefaultIcon(c.value);
        EXPECT_EQ(location.file, c.file) << c.value << ": " << c.why;
        EXPECT_EQ(location.index, c.index) << c.value << ": " << c.why;
    }
}

// ---- recycle bins ---------------------------------------------------------------------------

class RecycleBinRule : public ::testing::Test {
protected:
    void SetUp() override {
        shell.bins[""] = {};
        shell.drives["C:\\"] = platform::DriveType::Fixed;
        shell.drives["D:\\"] = platform::DriveType::Fixed;
        shell.drives["E:\\"] = platform::DriveType::Removable;
        shell.bins["C:\\"] = {};
        shell.bins["D:\\"] = {};
        shell.bins["E:\\"] = {0, 5};
    }
    fakes::FakeShell shell;
};

TEST_F(RecycleBinRule, EveryBinEmptyIsFalse) { EXPECT_FALSE(menu::QueryRecycleBinFull(shell)); }

TEST_F(RecycleBinRule, ItemsWithoutBytesOrBytesWithoutItemsCountAsFull) {
    shell.bins["D:\\"] = {0, 1};
    EXPECT_TRUE(menu::QueryRecycleBinFull(shell));
    shell.bins["D:\\"] = {512, 0};
    EXPECT_TRUE(menu::QueryRecycleBinFull(shell));
}

TEST_F(RecycleBinRule, TheAllBinsQueryAloneDecidesWithoutFixedDrives) {
    shell.drives.clear();
    EXPECT_FALSE(menu::QueryRecycleBinFull(shell));
    shell.bins[""] = {10, 1};
    EXPECT_TRUE(menu::QueryRecycleBinFull(shell));
    EXPECT_EQ(shell.binQueries, std::vector<std::string>({"", ""}));
}

TEST_F(RecycleBinRule, ABinOnADriveThatIsNotFixedCountsOnlyThroughTheAllBinsQuery) {
    // E: is removable and holds five items, but only fixed drives are asked one by one.
    EXPECT_FALSE(menu::QueryRecycleBinFull(shell));
    for (const std::string& root : shell.binQueries) EXPECT_NE(root, "E:\\");
}

TEST_F(RecycleBinRule, EveryFixedDriveIsAskedInOrderEvenAfterAFullOne) {
    shell.bins["C:\\"] = {1, 1};
    EXPECT_TRUE(menu::QueryRecycleBinFull(shell));
    EXPECT_EQ(shell.binQueries, std::vector<std::string>({"", "C:\\", "D:\\"}));
}

TEST_F(RecycleBinRule, AFailingDriveQueryBetweenTwoEmptyOnesChangesNothing) {
    shell.drives["F:\\"] = platform::DriveType::Fixed;  // no bin entry: its query fails
    shell.drives["G:\\"] = platform::DriveType::Fixed;
    shell.bins["G:\\"] = {};
    EXPECT_FALSE(menu::QueryRecycleBinFull(shell));
    shell.bins["D:\\"] = {3, 1};
    EXPECT_TRUE(menu::QueryRecycleBinFull(shell));
}

TEST_F(RecycleBinRule, AFailingAllBinsQueryCountsAsEmpty) {
    shell.bins.erase("");
    EXPECT_FALSE(menu::QueryRecycleBinFull(shell));
}

// ---- the icon cache -------------------------------------------------------------------------

TEST(UserIconCache, KeepsAPictureWhilePathAndWriteTimeStay) {
    menu::UserIconCache cache;
    auto picture = fakes::MakeMenuPicture("a");
    cache.Store("C:\\a.txt", 100, picture);
    EXPECT_EQ(cache.Find("C:\\a.txt", 100), picture);
    EXPECT_EQ(cache.Find("C:\\a.txt", 101), nullptr) << "written since";
    EXPECT_EQ(cache.Find("C:\\b.txt", 100), nullptr);
}

TEST(UserIconCache, ASweepForgetsWhatWasNotUsedSinceTheLastOne) {
    menu::UserIconCache cache;
    cache.Store("a", 1, fakes::MakeMenuPicture("a"));
    cache.Store("b", 1, fakes::MakeMenuPicture("b"));
    cache.Sweep();
    EXPECT_EQ(cache.Size(), 2u);
    EXPECT_NE(cache.Find("a", 1), nullptr);
    cache.Sweep();
    EXPECT_EQ(cache.Size(), 1u) << "b left the desktop";
    EXPECT_EQ(cache.Find("b", 1), nullptr);
}

}  // namespace
}  // namespace lumbra
