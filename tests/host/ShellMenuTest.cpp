// The popup menu's logic against fakes: the fixed items, the system icons, the showing with the
// desktop entries and the recycle-bin state, and the command of every item.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/frmMain.h"
#include "common/MenuCaptionTable.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeRegistry.h"
#include "fakes/MenuFakes.h"

namespace lumbra {
namespace {

using fakes::FakePopupMenu;
using platform::MenuItem;
using testdata::FixedItemRow;

constexpr char kDesktop[] = "C:\\Users\\u\\Desktop";
constexpr std::uintptr_t kOwner = fakes::FakeMainWindow::kWindowHandle;
const std::string kDefaultIconRoot = "CLSID\\";

class ForwardClicks : public platform::PopupMenuEvents {
public:
    menu::ShellMenu* target = nullptr;
    std::vector<std::int32_t> clicks;
    void objPMn_Click(std::int32_t index) override {
        clicks.push_back(index);
        if (target) target->objPMn_Click(index);
    }
};

class ShellMenuTest : public ::testing::Test, protected fakes::MenuWorld {
protected:
    ShellMenuTest() {
        for (std::size_t k = 0; k < 5; ++k) {
            clsids[k] = app::kFolderClsids[k];
            applets[k] = app::kFolderApplets[k];
        }
        events.target = &menu;
        folders.desktop = kDesktop;
        shell.bins[""] = {};
        shell.drives["C:\\"] = platform::DriveType::Fixed;
        shell.bins["C:\\"] = {};
    }

    FakePopupMenu& Component() { return *factory.Last(); }
    std::int32_t Find(std::string_view key) { return Component().FindItemByKey(key); }

    void Build() { menu.BuildPopupMenu(); }
    // Shows the menu and picks the item (0: closes it without a choice).
    void ShowAndChoose(std::int32_t index) {
        Component().choose = [index](const FakePopupMenu&) { return index; };
        menu.ShowPopupMenu(0, 0);
    }
    void PutDesktop(std::vector<std::string> files, std::vector<std::string> folders) {
        lister.files[kDesktop] = std::move(files);
        lister.folders[kDesktop] = std::move(folders);
    }
    void RegisterIcon(std::size_t folder, const std::string& valueName, const std::string& value) {
        registry.PutString(platform::RootKey::ClassesRoot, kDefaultIconRoot + clsids[folder] + "\\DefaultIcon",
                           valueName, value);
    }

    fakes::FakeRegistry registry;
    fakes::FakeMainWindow window;
    std::array<std::string, 5> clsids;
    std::array<std::string, 5> applets;
    ForwardClicks events;
    menu::ShellMenu menu{services, menu::MenuOwner{registry, window, clsids, applets, events}};
};

// ---- the fixed items ------------------------------------------------------------------------

void ExpectFixedItems(const platform::MenuTree& tree, bool myNetwork) {
    const std::vector<FixedItemRow> rows = testdata::FixedItems(myNetwork);
    ASSERT_EQ(tree.Count(), 16);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FixedItemRow& row = rows[i];
        const MenuItem& item = *tree.Item(static_cast<std::int32_t>(i + 1));
        SCOPED_TRACE(testing::Message() << "position " << i + 1 << " " << row.text);
        EXPECT_EQ(item.key, row.key);
        EXPECT_EQ(item.caption, testdata::PassedCaption(row));
        EXPECT_EQ(item.image, row.image);
        EXPECT_EQ(item.parent, row.parentKey.empty() ? 0 : tree.FindByKey(row.parentKey));
        EXPECT_TRUE(item.enabled);
        EXPECT_FALSE(item.checked);
        EXPECT_EQ(item.helpText, "");
        EXPECT_EQ(item.itemData, 0);
    }
}

// Windows Me (4.90) and later call the network "マイ ネットワーク"; a failed version query (0.0)
// gives the older wording.
struct VersionCase {
    platform::WindowsVersion version;
    bool myNetwork;
    friend void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.version.major << "." << c.version.minor; }
};

class FixedItemsByVersion : public ShellMenuTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(FixedItemsByVersion, SixteenItemsWithTheWordingOfTheVersion) {
    shell.version = GetParam().version;
    Build();
    ExpectFixedItems(Component().Tree(), GetParam().myNetwork);
}

INSTANTIATE_TEST_SUITE_P(ShellMenu, FixedItemsByVersion,
                         ::testing::Values(VersionCase{{4, 0}, false}, VersionCase{{4, 10}, false},
                                           VersionCase{{4, 89}, false}, VersionCase{{4, 90}, true},
                                           VersionCase{{5, 1}, true}, VersionCase{{10, 0}, true},
                                           VersionCase{{0, 0}, false}),
                         [](const ::testing::TestParamInfo<VersionCase>& info) {
                             return "Version" + std::to_string(info.param.version.major) + "_" +
                                    std::to_string(info.param.version.minor);
                         });

TEST_F(ShellMenuTest, VersionValueIsMajorTimesHundredPlusMinor) {
    shell.version = {4, 90};
    EXPECT_EQ(menu.GetWindowsKind(), 490);
    shell.version = {5, 1};
    EXPECT_EQ(menu.GetWindowsKind(), 501);
    shell.version = {6, 3};
    EXPECT_EQ(menu.GetWindowsKind(), 603);
    shell.version = {0, 0};
    EXPECT_EQ(menu.GetWindowsKind(), 0) << "a failed version query gives the older wording";
}

TEST_F(ShellMenuTest, EveryKeyFindsTheItemOfItsRow) {
    Build();
    const std::vector<FixedItemRow> rows = testdata::FixedItems(true);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].key.empty()) continue;
        EXPECT_EQ(Find(rows[i].key), static_cast<std::int32_t>(i + 1)) << rows[i].key;
    }
    EXPECT_EQ(Find("UserIcon"), 16) << "the heading of the user icons closes the fixed part";
    EXPECT_GT(Find("EmptyT"), Find("TrashProp")) << "emptying lies outside the properties range";
}

TEST_F(ShellMenuTest, BuildCreatesTheComponentHandsItTheListAndTheOwnerThenLoadsIconsThenSaves) {
    Build();
    EXPECT_EQ(factory.Created(), 1);
    EXPECT_EQ(Component().ImageSource(), &images);
    EXPECT_EQ(Component().Owner(), kOwner);
    auto at = [&](const std::string& entry) { return log.Find(entry); };
    EXPECT_LT(at("CreatePopupMenu"), at("SetImageSource"));
    EXPECT_LT(at("SetImageSource"), at("SetOwnerWindow"));
    EXPECT_LT(at("SetOwnerWindow"), at("ImageList.Add bitmap:101 key=Last"));
    EXPECT_LT(at("ImageList.Add bitmap:101 key=Last"), at("AppendItem ScreenProp"));
    EXPECT_EQ(log.Entries().back(), "SaveItems Lumbra PopupMenu");
    EXPECT_EQ(Component().SavedNames(), std::vector<std::string>({"Lumbra PopupMenu"}));
}

// ---- the system icons -----------------------------------------------------------------------

TEST_F(ShellMenuTest, TheListHoldsNineImagesWithTheSheetKeyedLastAtNine) {
    EXPECT_EQ(images.Count(), 1);
    menu.LoadSystemIcons();
    ASSERT_EQ(images.Count(), 9);
    EXPECT_EQ(images.NameAt(1), "design:display properties");
    EXPECT_EQ(images.NameAt(8), "icon:102");
    EXPECT_EQ(images.NameAt(9), "bitmap:101");
    EXPECT_EQ(images.PositionOfKey("Last"), 9);
    for (int p = 1; p <= 8; ++p) EXPECT_EQ(images.KeyAt(p), "") << p;
}

TEST_F(ShellMenuTest, RegisteredIconsFillPositionsTwoToSevenInFolderOrder) {
    RegisterIcon(0, "", "C:\\Windows\\explorer.exe,0");
    RegisterIcon(1, "", "C:\\Windows\\system32\\shell32.dll,17");
    RegisterIcon(2, "", "C:\\My,Icons\\docs.dll,-3");
    RegisterIcon(3, "", "C:\\inet.dll,2.5");
    RegisterIcon(4, "empty", "C:\\recycle.dll,31");
    RegisterIcon(4, "full", "C:\\recycle.dll,32");
    RegisterIcon(4, "", "C:\\recycle.dll,99");  // the default value is not the one read
    for (auto [file, index] : std::vector<std::pair<std::string, int>>{{"C:\\Windows\\explorer.exe", 0},
                                                                      {"C:\\Windows\\system32\\shell32.dll", 17},
                                                                      {"C:\\My,Icons\\docs.dll", -3},
                                                                      {"C:\\inet.dll", 2},
                                                                      {"C:\\recycle.dll", 31},
                                                                      {"C:\\recycle.dll", 32}}) {
        icons.files[{file, index}] = {};
    }
    menu.LoadSystemIcons();
    EXPECT_EQ(images.NameAt(2), "file:C:\\Windows\\explorer.exe,0");
    EXPECT_EQ(images.NameAt(3), "file:C:\\Windows\\system32\\shell32.dll,17");
    EXPECT_EQ(images.NameAt(4), "file:C:\\My,Icons\\docs.dll,-3");
    EXPECT_EQ(images.NameAt(5), "file:C:\\inet.dll,2");
    EXPECT_EQ(images.NameAt(6), "file:C:\\recycle.dll,31");
    EXPECT_EQ(images.NameAt(7), "file:C:\\recycle.dll,32");
    EXPECT_EQ(fakes::MenuIcon::alive, 0) << "every extracted icon is released";
}

TEST_F(ShellMenuTest, AFolderWhoseIconCannotBeExtractedShowsTheStockPictureInItsPlace) {
    // My Computer: no key. Network: a key without the value. My Documents: a file with no icon.
    // Internet: a count of 0 beside a handle. Recycle Bin: only its default value.
    registry.PutString(platform::RootKey::ClassesRoot, kDefaultIconRoot + clsids[1] + "\\DefaultIcon", "other", "x");
    RegisterIcon(2, "", "C:\\empty.dll,0");
    RegisterIcon(3, "", "C:\\inet.dll,0");
    icons.files[{"C:\\inet.dll", 0}] = {0, true};
    RegisterIcon(4, "", "C:\\recycle.dll,0");
    icons.files[{"C:\\recycle.dll", 0}] = {};
    menu.LoadSystemIcons();
    ASSERT_EQ(images.Count(), 9);
    EXPECT_EQ(images.NameAt(2), "stock:MyComputer");
    EXPECT_EQ(images.NameAt(3), "stock:Network");
    EXPECT_EQ(images.NameAt(4), "stock:MyDocuments");
    EXPECT_EQ(images.NameAt(5), "stock:Internet");
    EXPECT_EQ(images.NameAt(6), "stock:RecycleBinEmpty");
    EXPECT_EQ(images.NameAt(7), "stock:RecycleBinFull");
    EXPECT_EQ(images.PositionOfKey("Last"), 9);
    EXPECT_EQ(fakes::MenuIcon::alive, 0) << "the handle beside a count of 0 is released too";
}

TEST_F(ShellMenuTest, WithoutAnyIconAPositionStillGetsItsPicture) {
    icons.stockAvailable = false;
    menu.LoadSystemIcons();
    ASSERT_EQ(images.Count(), 9);
    for (int p = 2; p <= 7; ++p) EXPECT_EQ(images.NameAt(p), "") << "an empty canvas at " << p;
    EXPECT_EQ(images.NameAt(8), "icon:102");
}

TEST_F(ShellMenuTest, TheRecycleBinIsReadTwiceEmptyThenFullAndTheCanvasIsClearedBetweenIcons) {
    RegisterIcon(4, "empty", "C:\\r.dll,1");
    RegisterIcon(4, "full", "C:\\r.dll,2");
    icons.files[{"C:\\r.dll", 1}] = {};
    icons.files[{"C:\\r.dll", 2}] = {};
    RegisterIcon(0, "", "C:\\c.dll,0");
    icons.files[{"C:\\c.dll", 0}] = {};
    menu.LoadSystemIcons();
    const std::vector<std::string> extractions = log.WithPrefix("ExtractIcon ");
    ASSERT_EQ(extractions.size(), 6u);
    EXPECT_EQ(extractions[0], "ExtractIcon C:\\c.dll,0");
    EXPECT_EQ(extractions[4], "ExtractIcon C:\\r.dll,1");
    EXPECT_EQ(extractions[5], "ExtractIcon C:\\r.dll,2");
    // Each picture holds one icon only: the canvas starts clean for every folder.
    for (int p = 2; p <= 7; ++p) EXPECT_EQ(images.NameAt(p).find('+'), std::string::npos) << images.NameAt(p);
}

// ---- showing --------------------------------------------------------------------------------

TEST_F(ShellMenuTest, TwoFilesAndOneFolderFollowTheUserIconHeadingWithTheirPictures) {
    const std::string a = std::string(kDesktop) + "\\a.txt";
    const std::string b = std::string(kDesktop) + "\\Editor.LNK";
    const std::string d = std::string(kDesktop) + "\\Projects.lnk";
    PutDesktop({a, b}, {d});
    icons.associated = {a, b, d};
    Build();
    menu.ShowPopupMenu(0, 0);
    ASSERT_EQ(Component().Showings().size(), 1u);
    const auto& shown = Component().Showings()[0].items;
    ASSERT_EQ(shown.size(), 19u);
    const std::int32_t heading = Find("UserIcon");
    EXPECT_EQ(shown[heading].caption, "a.txt");
    EXPECT_EQ(shown[heading + 1].caption, "Editor");
    EXPECT_EQ(shown[heading + 2].caption, "Projects.lnk");
    for (int i = 1; i <= 3; ++i) {
        const MenuItem& item = shown[heading + i - 1];
        EXPECT_EQ(item.index, heading + i);
        EXPECT_EQ(item.parent, 0);
        EXPECT_EQ(item.key, "");
        EXPECT_TRUE(item.enabled);
        EXPECT_EQ(item.image, 8 + i) << "the i-th image after the one keyed Last";
    }
    EXPECT_EQ(images.NameAt(10), "associated:" + a);
    EXPECT_EQ(images.NameAt(11), "associated:" + b);
    EXPECT_EQ(images.NameAt(12), "associated:" + d);
    EXPECT_EQ(menu.userFileCount, 2);
    EXPECT_EQ(menu.userFolderCount, 1);
    EXPECT_EQ(Component().Showings()[0].imageCount, 12);
}

TEST_F(ShellMenuTest, ChoosingAUserIconOpensItsFileOrFolderFilesFirst) {
    const std::string a = std::string(kDesktop) + "\\a.txt";
    const std::string b = std::string(kDesktop) + "\\b.txt";
    const std::string d = std::string(kDesktop) + "\\Dir";
    PutDesktop({a, b}, {d});
    Build();
    ShowAndChoose(Find("UserIcon") + 3);
    ShowAndChoose(Find("UserIcon") + 1);
    ShowAndChoose(Find("UserIcon") + 2);
    menu.objPMn_Click(Find("UserIcon") + 4);  // beyond the entries: nothing
    ASSERT_EQ(launcher.calls.size(), 3u);
    EXPECT_EQ(launcher.calls[0].file, d);
    EXPECT_EQ(launcher.calls[1].file, a);
    EXPECT_EQ(launcher.calls[2].file, b);
    for (const auto& e : launcher.calls) {
        EXPECT_EQ(e.owner, kOwner);
        EXPECT_EQ(e.verb, "open");
        EXPECT_EQ(e.parameters, "");
        EXPECT_EQ(e.directory, "");
        EXPECT_EQ(e.show, 1);
    }
}

TEST_F(ShellMenuTest, AnEmptyDesktopShowsTheHeadingAlone) {
    Build();
    menu.ShowPopupMenu(0, 0);
    ASSERT_EQ(Component().Showings().size(), 1u);
    const auto& shown = Component().Showings()[0].items;
    ASSERT_EQ(shown.size(), 16u);
    EXPECT_EQ(shown.back().key, "UserIcon");
    EXPECT_EQ(menu.userFileCount, 0);
    EXPECT_EQ(menu.userFolderCount, 0);
    EXPECT_EQ(images.Count(), 9);
}

TEST_F(ShellMenuTest, TheDesktopIsTheUsersOwnDirectoryListedWithoutFilter) {
    folders.desktop = std::string(kDesktop) + std::string(1, '\0') + "garbage";
    Build();
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(folders.asked, std::vector<std::int32_t>({0x8010})) << "the desktop directory, created if missing";
    ASSERT_EQ(lister.fileQueries.size(), 1u);
    EXPECT_EQ(lister.fileQueries[0].first, kDesktop) << "cut at the first NUL";
    EXPECT_EQ(lister.fileQueries[0].second, "");
}

TEST_F(ShellMenuTest, TheImageCountStaysTheSameFromShowingToShowing) {
    folders.desktop = "C:\\d";
    lister.files["C:\\d"] = {"C:\\d\\1.txt", "C:\\d\\2.txt"};
    lister.folders["C:\\d"] = {"C:\\d\\F"};
    Build();
    menu.ShowPopupMenu(0, 0);
    const std::int32_t first = images.Count();
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(images.Count(), first);
    EXPECT_EQ(first, 12);
    // One entry fewer: its picture goes with it, and what remains follows "Last" directly.
    lister.files["C:\\d"] = {"C:\\d\\2.txt"};
    icons.associated = {"C:\\d\\2.txt"};
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(images.Count(), 11);
    EXPECT_EQ(images.NameAt(10), "associated:C:\\d\\2.txt");
    EXPECT_EQ(images.PositionOfKey("Last"), 9);
}

TEST_F(ShellMenuTest, AnUnchangedEntryKeepsItsPictureAndAWrittenOneIsExtractedAgain) {
    const std::string a = std::string(kDesktop) + "\\a.txt";
    const std::string b = std::string(kDesktop) + "\\b.txt";
    const std::string c = std::string(kDesktop) + "\\c.txt";  // no write time: never kept
    PutDesktop({a, b, c}, {});
    icons.associated = {a, b, c};
    shell.writeTimes[a] = 100;
    shell.writeTimes[b] = 100;
    Build();
    const int afterBuild = icons.Extractions();
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(icons.Extractions() - afterBuild, 3);
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(icons.Extractions() - afterBuild, 4) << "only the entry without a write time again";
    EXPECT_EQ(images.NameAt(10), "associated:" + a);
    shell.writeTimes[b] = 200;
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(icons.Extractions() - afterBuild, 6);
    EXPECT_EQ(images.NameAt(11), "associated:" + b);
}

TEST_F(ShellMenuTest, IconFallbacksExtractedThenAssociatedThenTheShellsSmallIcon) {
    const std::string exe = std::string(kDesktop) + "\\tool.exe";
    const std::string doc = std::string(kDesktop) + "\\doc.rtf";
    const std::string txt = std::string(kDesktop) + "\\note.txt";
    const std::string odd = std::string(kDesktop) + "\\odd.bin";
    PutDesktop({exe, doc, txt, odd}, {});
    icons.files[{exe, 0}] = {};
    icons.files[{doc, 0}] = {0, true};  // a handle beside a count of 0 is no icon
    icons.associated = {doc};
    icons.shellIcons = {txt};
    Build();
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(images.NameAt(10), "file:" + exe + ",0");
    EXPECT_EQ(images.NameAt(11), "associated:" + doc);
    EXPECT_EQ(images.NameAt(12), "shell:" + txt);
    EXPECT_EQ(images.NameAt(13), "") << "no icon at all: the plain canvas";
    EXPECT_EQ(fakes::MenuIcon::alive, 0);
    EXPECT_EQ(log.Count("ExtractAssociatedIcon " + exe), 0u)
        << "an extracted icon needs no fallback";
}

TEST_F(ShellMenuTest, JapaneseNamesArePaddedForTheMenu) {
    PutDesktop({std::string(kDesktop) + "\\メモ帳.txt", std::string(kDesktop) + "\\ﾒﾓ.txt"},
               {std::string(kDesktop) + "\\写真"});
    Build();
    menu.ShowPopupMenu(0, 0);
    const auto& shown = Component().Showings()[0].items;
    EXPECT_EQ(shown[16].caption, "メモ帳.txtxxx");
    EXPECT_EQ(shown[17].caption, "ﾒﾓ.txt");
    EXPECT_EQ(shown[18].caption, "写真xx");
}

TEST_F(ShellMenuTest, AnEmptyBinGreysEmptyingAndShowsTheEmptyPictures) {
    Build();
    menu.ShowPopupMenu(0, 0);
    const auto& shown = Component().Showings()[0].items;
    EXPECT_FALSE(shown[Find("EmptyT") - 1].enabled);
    EXPECT_EQ(shown[Find("Recycle") - 1].image, 5);
    EXPECT_EQ(shown[Find("TrashProp") - 1].image, 5);
    EXPECT_EQ(shown[Find("EmptyT") - 1].image, 6) << "emptying always shows the full bin";
}

TEST_F(ShellMenuTest, ABinThatHoldsSomethingEnablesEmptyingAtTheNextShowing) {
    Build();
    menu.ShowPopupMenu(0, 0);
    shell.bins["C:\\"] = {0, 1};
    menu.ShowPopupMenu(0, 0);
    const auto& shown = Component().Showings()[1].items;
    EXPECT_TRUE(shown[Find("EmptyT") - 1].enabled);
    EXPECT_EQ(shown[Find("Recycle") - 1].image, 6);
    EXPECT_EQ(shown[Find("TrashProp") - 1].image, 6);
    // And back: the saved fixed part starts every showing afresh.
    shell.bins["C:\\"] = {};
    menu.ShowPopupMenu(0, 0);
    EXPECT_FALSE(Component().Showings()[2].items[Find("EmptyT") - 1].enabled);
    EXPECT_EQ(Component().Showings()[2].items[Find("Recycle") - 1].image, 5);
}

TEST_F(ShellMenuTest, TheBinsAreAskedAfreshForEachOfTheThreeEntries) {
    Build();
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(std::count(shell.binQueries.begin(), shell.binQueries.end(), ""), 3);
    EXPECT_EQ(std::count(shell.binQueries.begin(), shell.binQueries.end(), "C:\\"), 3);
}

TEST_F(ShellMenuTest, ShowAtGetsThePointRoundedHalfToEvenAndTheFixedArguments) {
    Build();
    menu.ShowPopupMenu(100.5f, 201.5f);
    menu.ShowPopupMenu(-0.5f, 7.49f);
    ASSERT_EQ(Component().Showings().size(), 2u);
    const auto& s = Component().Showings()[0];
    EXPECT_EQ(s.x, 100);
    EXPECT_EQ(s.y, 202);
    EXPECT_EQ(s.rest, std::vector<std::int32_t>({0, 0, 0, 0, -1}));
    EXPECT_EQ(s.anchor, platform::MenuAnchor::Pointer);
    EXPECT_EQ(Component().Showings()[1].x, 0);
    EXPECT_EQ(Component().Showings()[1].y, 7);
}

TEST_F(ShellMenuTest, AListThatComesBackEmptySetsOnlyTheCount) {
    const std::string a = std::string(kDesktop) + "\\a.txt";
    PutDesktop({a}, {});
    Build();
    menu.ShowPopupMenu(0, 0);
    lister.files.clear();
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(menu.userFileCount, 0);
    EXPECT_EQ(menu.userFiles, std::vector<std::string>({a})) << "the list keeps its earlier contents";
    EXPECT_EQ(Component().Showings()[1].items.size(), 16u);
}

TEST_F(ShellMenuTest, BeforeTheMenuIsBuiltNothingShows) {
    menu.ShowPopupMenu(0, 0);
    menu.objPMn_Click(1);
    EXPECT_EQ(factory.Created(), 0);
    EXPECT_TRUE(shell.started.empty());
}

// ---- the commands ---------------------------------------------------------------------------

TEST_F(ShellMenuTest, DisplayPropertiesStartsTheDisplayApplet) {
    Build();
    ShowAndChoose(Find("ScreenProp"));
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0].commandLine, "rundll32.exe shell32.dll,Control_RunDLL Desk.cpl");
    EXPECT_EQ(shell.started[0].show, 1);
}

TEST_F(ShellMenuTest, ShowDesktopMinimisesThenRestoresAndReleasesTheShellObject) {
    Build();
    EXPECT_FALSE(menu.desktopMinimized);
    ShowAndChoose(Find("ShowDesktop"));
    EXPECT_TRUE(menu.desktopMinimized);
    ShowAndChoose(Find("ShowDesktop"));
    EXPECT_FALSE(menu.desktopMinimized);
    ShowAndChoose(Find("ShowDesktop"));
    EXPECT_EQ(shell.automation, std::vector<std::string>({"MinimizeAll", "UndoMinimizeALL", "MinimizeAll"}));
    EXPECT_EQ(shell.dispatchesAlive, 0);
}

TEST_F(ShellMenuTest, OnlyShowDesktopFlipsTheMinimisedFlag) {
    Build();
    ShowAndChoose(Find("ShowDesktop"));
    for (std::string_view key : {"ScreenProp", "MyCom", "MyCProp", "EmptyT"}) ShowAndChoose(Find(key));
    ShowAndChoose(Find("UserIcon"));  // the heading raises nothing
    EXPECT_TRUE(menu.desktopMinimized);
}

TEST_F(ShellMenuTest, WithoutAShellObjectShowDesktopLeavesTheFlag) {
    shell.dispatchAvailable = false;
    Build();
    ShowAndChoose(Find("ShowDesktop"));
    EXPECT_FALSE(menu.desktopMinimized);
}

TEST_F(ShellMenuTest, EachSystemFolderOpensInExplorerByItsClassIdentifier) {
    Build();
    const std::string keys[] = {"MyCom", "NetCom", "MyDoc", "INet", "Recycle"};
    for (const std::string& key : keys) ShowAndChoose(Find(key));
    ASSERT_EQ(launcher.calls.size(), 5u);
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(launcher.calls[k].owner, kOwner);
        EXPECT_EQ(launcher.calls[k].verb, "open");
        EXPECT_EQ(launcher.calls[k].file, "explorer.exe");
        EXPECT_EQ(launcher.calls[k].parameters, "::" + std::string(app::kFolderClsids[k]));
        EXPECT_EQ(launcher.calls[k].directory, "");
        EXPECT_EQ(launcher.calls[k].show, 1);
    }
    EXPECT_EQ(launcher.calls[4].parameters, "::{645FF040-5081-101B-9F08-00AA002F954E}");
    EXPECT_TRUE(shell.started.empty());
}

TEST_F(ShellMenuTest, AppletPropertiesStartRundllWithTheirApplet) {
    shell.existing = {"C:\\Windows\\system32\\Netcpl.cpl"};
    Build();
    ShowAndChoose(Find("MyCProp"));
    ShowAndChoose(Find("NetProp"));
    ShowAndChoose(Find("INetProp"));
    ASSERT_EQ(shell.started.size(), 3u);
    EXPECT_EQ(shell.started[0].commandLine, "rundll32.exe shell32.dll,Control_RunDLL Sysdm.cpl");
    EXPECT_EQ(shell.started[1].commandLine, "rundll32.exe shell32.dll,Control_RunDLL Netcpl.cpl");
    EXPECT_EQ(shell.started[2].commandLine, "rundll32.exe shell32.dll,Control_RunDLL Inetcpl.cpl");
    for (const auto& s : shell.started) EXPECT_EQ(s.show, 1);
}

TEST_F(ShellMenuTest, WithoutTheOldNetworkAppletTheNetworkConnectionsAppletStarts) {
    shell.systemFolder = "C:\\Windows\\system32";
    Build();
    ShowAndChoose(Find("NetProp"));
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0].commandLine, "rundll32.exe shell32.dll,Control_RunDLL ncpa.cpl");
}

class FolderProperties : public ShellMenuTest {
protected:
    void SetUp() override {
        shell.nameSpaces[0] = {{"My Documents", "Recycle Bin"}, "Desktop"};
        shell.nameSpaces[5] = {{}, "Documents"};
        shell.nameSpaces[10] = {{}, "Recycle Bin"};
        Build();
    }
};

TEST_F(FolderProperties, TheFoldersItemRunsTheJapanesePropertiesVerbOrTheLanguageIndependentOne) {
    using Calls = std::vector<std::string>;
    const std::vector<std::string> japanese = {"開く(&O)", "プロパティ(&R)"};
    const struct {
        const char* key;
        std::string name;       // My Documents' registered name, "" for none
        std::string localized;  // its LocalizedString, "" for none
        std::vector<std::string> verbs;
        bool binKnown;
        Calls automation;
        const char* why;
    } cases[] = {
        {"MyDProp", "My Documents", "", japanese, true,
         Calls{"NameSpace 0", "ParseName 0 My Documents", "DoIt My Documents プロパティ(&R)"},
         "My Documents by its registered name on the desktop"},
        {"MyDProp", "My Documents", "", {"&Open", "&Properties"}, true,
         Calls{"NameSpace 0", "ParseName 0 My Documents", "InvokeVerb My Documents properties"},
         "without the Japanese verb the language-independent one runs on the same item"},
        {"MyDProp", "My Documents", "", {"プロパティ", "プロパティ(&R)", "プロパティ(&R)"}, true,
         Calls{"NameSpace 0", "ParseName 0 My Documents", "DoIt My Documents プロパティ(&R)"},
         "the first verb of that exact name runs and no other"},
        // "-9227" names nothing on the desktop: the My Documents folder's own item stands in.
        {"MyDProp", "", "@%SystemRoot%\\system32\\shell32.dll,-9227", japanese, true,
         Calls{"NameSpace 0", "ParseName 0 -9227", "NameSpace 5", "OwnItem 5", "DoIt Documents プロパティ(&R)"},
         "a LocalizedString name is the part after its last comma"},
        {"MyDProp", "", "Recycle Bin", japanese, true,
         Calls{"NameSpace 0", "ParseName 0 Recycle Bin", "DoIt Recycle Bin プロパティ(&R)"},
         "a LocalizedString without comma is taken whole"},
        {"MyDProp", "", "", japanese, true,
         Calls{"NameSpace 0", "ParseName 0 ﾏｲ ﾄﾞｷｭﾒﾝﾄ", "NameSpace 5", "OwnItem 5", "DoIt Documents プロパティ(&R)"},
         "without any registered name the half-width fallback is looked for"},
        {"TrashProp", "", "", japanese, true, Calls{"NameSpace 10", "OwnItem 10", "DoIt Recycle Bin プロパティ(&R)"},
         "the recycle bin's properties use the bin's own item"},
        {"TrashProp", "", "", japanese, false, Calls{"NameSpace 10"}, "a folder the shell does not know ends quietly"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        shell.automation.clear();
        shell.verbs = c.verbs;
        if (!c.binKnown) shell.nameSpaces.erase(10);
        const std::string key = "CLSID\\" + clsids[2];
        registry.RemoveValue(platform::RootKey::ClassesRoot, key, "");
        registry.RemoveValue(platform::RootKey::ClassesRoot, key, "LocalizedString");
        if (!c.name.empty()) registry.PutString(platform::RootKey::ClassesRoot, key, "", c.name);
        if (!c.localized.empty()) registry.PutString(platform::RootKey::ClassesRoot, key, "LocalizedString", c.localized);
        ShowAndChoose(Find(c.key));
        EXPECT_EQ(shell.automation, c.automation);
        EXPECT_TRUE(shell.started.empty());
        EXPECT_EQ(shell.dispatchesAlive, 0);
    }
}

TEST_F(ShellMenuTest, EmptyingEmptiesEveryBinWithTheSystemsOwnDialogs) {
    shell.bins["C:\\"] = {1, 1};
    Build();
    ShowAndChoose(Find("EmptyT"));
    EXPECT_EQ(shell.emptied, std::vector<std::string>({""}));
    EXPECT_EQ(shell.emptiedOwner, kOwner);
    EXPECT_TRUE(shell.started.empty());
    EXPECT_TRUE(launcher.calls.empty());
}

TEST_F(ShellMenuTest, HeadingsAndTheSubMenuParentRunNothing) {
    PutDesktop({std::string(kDesktop) + "\\a.txt"}, {});
    Build();
    ShowAndChoose(3);
    ShowAndChoose(Find("Properties"));
    ShowAndChoose(Find("UserIcon"));
    EXPECT_TRUE(events.clicks.empty());
    EXPECT_TRUE(shell.started.empty());
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_TRUE(shell.automation.empty());
}

}  // namespace
}  // namespace lumbra
