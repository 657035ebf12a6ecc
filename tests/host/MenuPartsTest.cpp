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

platform::MenuItem Item(std::string caption, std::int32_t parent = 0, std::string key = "") {
    platform::MenuItem item;
    item.caption = std::move(caption);
    item.parent = parent;
    item.key = std::move(key);
    return item;
}

// ---- the item tree --------------------------------------------------------------------------

TEST(MenuTree, IndicesRunOnAcrossLevelsFromOne) {
    platform::MenuTree tree;
    EXPECT_EQ(tree.Append(Item("a", 0, "A")), 1);
    EXPECT_EQ(tree.Append(Item("sub", 0, "S")), 2);
    EXPECT_EQ(tree.Append(Item("child", 2, "C")), 3);
    EXPECT_EQ(tree.Append(Item("b")), 4);
    EXPECT_EQ(tree.FindByKey("C"), 3);
    EXPECT_EQ(tree.FindByKey("S"), 2);
    EXPECT_TRUE(tree.HasChildren(2));
    EXPECT_FALSE(tree.HasChildren(3));
}

TEST(MenuTree, UnknownAndEmptyKeysAreNotFound) {
    platform::MenuTree tree;
    tree.Append(Item("-", 0, ""));
    EXPECT_EQ(tree.FindByKey(""), -1);
    EXPECT_EQ(tree.FindByKey("Nope"), -1);
    EXPECT_EQ(tree.Item(0), nullptr);
    EXPECT_EQ(tree.Item(2), nullptr);
}

TEST(MenuTree, LoadingASavedTreeRestoresItsIndicesAndTheNextIndexFollowsIt) {
    platform::MenuTree tree;
    tree.Append(Item("a", 0, "A"));
    tree.Append(Item("b", 0, "B"));
    tree.Save("saved");
    tree.Append(Item("extra1"));
    tree.Append(Item("extra2"));
    tree.Item(1)->enabled = false;
    tree.Reset();
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.FindByKey("A"), -1);
    ASSERT_TRUE(tree.Load("saved"));
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_EQ(tree.FindByKey("B"), 2);
    EXPECT_TRUE(tree.Item(1)->enabled) << "changes after saving are not in the saved copy";
    EXPECT_EQ(tree.Append(Item("next")), 3);
}

TEST(MenuTree, LoadingANameNeverSavedChangesNothing) {
    platform::MenuTree tree;
    tree.Append(Item("a"));
    EXPECT_FALSE(tree.Load("other"));
    EXPECT_EQ(tree.Count(), 1);
}

// ---- command lines --------------------------------------------------------------------------

TEST(CommandLineQuoting, PlainArgumentsStayAsTheyAre) {
    EXPECT_EQ(platform::BuildCommandLine({"rundll32.exe", "shell32.dll,Control_RunDLL", "Desk.cpl"}),
              "rundll32.exe shell32.dll,Control_RunDLL Desk.cpl");
    EXPECT_EQ(platform::QuoteArgument("C:\\dir\\file.txt"), "C:\\dir\\file.txt");
}

TEST(CommandLineQuoting, BlanksAndEmptyArgumentsAreQuoted) {
    EXPECT_EQ(platform::QuoteArgument("a b"), "\"a b\"");
    EXPECT_EQ(platform::QuoteArgument("tab\there"), "\"tab\there\"");
    EXPECT_EQ(platform::QuoteArgument(""), "\"\"");
    EXPECT_EQ(platform::BuildCommandLine({"C:\\Program Files\\x.exe", "my file.cpl"}),
              "\"C:\\Program Files\\x.exe\" \"my file.cpl\"");
}

TEST(CommandLineQuoting, QuotesAndTheBackslashesBeforeThemAreEscaped) {
    EXPECT_EQ(platform::QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    // a\"b: the backslash before the quote doubles, the quote is escaped.
    EXPECT_EQ(platform::QuoteArgument("a\\\"b"), "\"a\\\\\\\"b\"");
    // Backslashes not before a quote stay single.
    EXPECT_EQ(platform::QuoteArgument("C:\\a b\\c"), "\"C:\\a b\\c\"");
    // A trailing backslash before the closing quote doubles.
    EXPECT_EQ(platform::QuoteArgument("C:\\a b\\"), "\"C:\\a b\\\\\"");
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

TEST(DefaultIconSplit, PathCommaIndex) {
    const menu::IconLocation l = menu::SplitDefaultIcon("C:\\Windows\\system32\\shell32.dll,15");
    EXPECT_EQ(l.file, "C:\\Windows\\system32\\shell32.dll");
    EXPECT_EQ(l.index, 15);
}

TEST(DefaultIconSplit, NoCommaMeansTheWholeValueWithIndexZero) {
    EXPECT_EQ(menu::SplitDefaultIcon("C:\\icons\\folder.ico").file, "C:\\icons\\folder.ico");
    EXPECT_EQ(menu::SplitDefaultIcon("C:\\icons\\folder.ico").index, 0);
    EXPECT_EQ(menu::SplitDefaultIcon("").file, "");
    EXPECT_EQ(menu::SplitDefaultIcon("").index, 0);
}

TEST(DefaultIconSplit, OnlyTheLastCommaSeparates) {
    const menu::IconLocation l = menu::SplitDefaultIcon("C:\\a,b\\c,d.dll,3");
    EXPECT_EQ(l.file, "C:\\a,b\\c,d.dll");
    EXPECT_EQ(l.index, 3);
}

TEST(DefaultIconSplit, ALastPartThatIsNoNumberGivesZeroAndTheFileStillEndsBeforeIt) {
    const menu::IconLocation l = menu::SplitDefaultIcon("C:\\x.dll,icon");
    EXPECT_EQ(l.file, "C:\\x.dll");
    EXPECT_EQ(l.index, 0);
    EXPECT_EQ(menu::SplitDefaultIcon("C:\\x.dll,").index, 0);
    EXPECT_EQ(menu::SplitDefaultIcon("C:\\x.dll,").file, "C:\\x.dll");
}

TEST(DefaultIconSplit, NegativeIndicesPassOnAndBlanksAreSkipped) {
    EXPECT_EQ(menu::SplitDefaultIcon("%SystemRoot%\\System32\\imageres.dll,-109").index, -109);
    EXPECT_EQ(menu::SplitDefaultIcon("%SystemRoot%\\System32\\imageres.dll,-109").file,
              "%SystemRoot%\\System32\\imageres.dll") << "nothing is expanded";
    EXPECT_EQ(menu::SplitDefaultIcon("x.dll, 7").index, 7);
    EXPECT_EQ(menu::SplitDefaultIcon("x.dll,  -3").index, -3);
    EXPECT_EQ(menu::SplitDefaultIcon("x.dll,+4").index, 4);
    EXPECT_EQ(menu::SplitDefaultIcon("\"C:\\q.dll\",2").file, "\"C:\\q.dll\"") << "quotes stay";
}

TEST(DefaultIconSplit, FractionsRoundToTheNearestAndHalvesToEven) {
    EXPECT_EQ(menu::SplitDefaultIcon("x.dll,2.5").index, 2);
    EXPECT_EQ(menu::SplitDefaultIcon("x.dll,3.5").index, 4);
    EXPECT_EQ(menu::SplitDefaultIcon("x.dll,2.6").index, 3);
    EXPECT_EQ(menu::SplitDefaultIcon("x.dll,-1.5").index, -2);
    EXPECT_EQ(menu::SplitDefaultIcon("x.dll,12abc").index, 12) << "the number at the start of the part";
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
