// The popup menu's logic against fakes: the fixed items and system icons, each showing with the
// desktop entries and the recycle-bin state, the command of every item, and the window's wiring.
#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FormHarness.h"
#include "fakes/MenuFakes.h"

namespace lumbra {
namespace {

using platform::MenuItem;
using Strings = std::vector<std::string>;

constexpr char kDesk[] = "C:\\Users\\me\\Desktop";
const std::string kAt = std::string(kDesk) + "\\";
constexpr char kAllDesk[] = "C:\\Users\\Public\\Desktop";
const std::string kAll = std::string(kAllDesk) + "\\";
constexpr std::uintptr_t kOwner = fakes::FakeMainWindow::kWindowHandle;

// The fixed items: key, parent key, caption as passed, image.
std::vector<std::array<std::string, 4>> FixedRows(bool myNetwork) {
    return {{"ScreenProp", "", "画面のプロパティ(&S)...xxxxxxxx\tCtrl+S", "0"},
            {"ShowDesktop", "", "デスクトップの表示(&T)xxxxxxxxx\tCtrl+T", "7"},
            {"", "", "-システムアイコンxxxxxxx", "-1"},
            {"MyCom", "", "マイ コンピュータ(&M)...xxxxxxxx\tCtrl+M", "1"},
            {"NetCom", "", myNetwork ? "マイ ネットワーク(&N)...xxxxxxxx\tCtrl+N" : "ネットワーク コンピュータ(&N)...xxxxxxxxxxxx\tCtrl+N", "2"},
            {"MyDoc", "", "マイ ドキュメント(&D)...xxxxxxxx\tCtrl+D", "3"},
            {"INet", "", "インターネット(&I)...xxxxxxx\tCtrl+I", "4"},
            {"Recycle", "", "ごみ箱(&R)...xxx\tCtrl+R", "5"},
            {"Properties", "", "プロパティ・機能xxxxxxxx", "8"},
            {"MyCProp", "Properties", "マイ コンピュータのプロパティxxxxxxxxxxxxxx\tCtrl+Shift+M", "1"},
            {"NetProp", "Properties", myNetwork ? "マイ ネットワークのプロパティxxxxxxxxxxxxxx\tCtrl+Shift+N"
                                                : "ネットワーク コンピュータのプロパティxxxxxxxxxxxxxxxxxx\tCtrl+Shift+N", "2"},
            {"MyDProp", "Properties", "マイ ドキュメントのプロパティxxxxxxxxxxxxxx\tCtrl+Shift+D", "3"},
            {"INetProp", "Properties", "インターネットのプロパティxxxxxxxxxxxxx\tCtrl+Shift+I", "4"},
            {"TrashProp", "Properties", "ごみ箱のプロパティxxxxxxxxx\tCtrl+Shift+R", "5"},
            {"EmptyT", "Properties", "ごみ箱を空にするxxxxxxxx\tCtrl+Shift+E", "6"},
            {"UserIcon", "", "-ユーザアイコンxxxxxx", "-1"}};
}

class ShellMenuTest : public ::testing::Test, protected fakes::MenuWorld, public platform::PopupMenuEvents {
protected:
    ShellMenuTest() {
        for (std::size_t k = 0; k < 5; ++k) std::tie(clsids[k], applets[k]) = std::tie(app::kFolderClsids[k], app::kFolderApplets[k]);
        folders.desktop = kDesk;
        folders.others[menu::kCommonDesktopDirectory] = kAllDesk;
        shell.bins = {{"", {}}, {"C:\\", {}}};
        shell.drives["C:\\"] = platform::DriveType::Fixed;
    }
    void objPMn_Click(std::int32_t index) override { menu.objPMn_Click(index); }
    std::vector<platform::MenuEntry> objPMn_FolderPopup(std::string_view folder) override {
        return menu.objPMn_FolderPopup(folder);
    }
    void objPMn_EntryClick(std::string_view path) override { menu.objPMn_EntryClick(path); }
    void objPMn_EntryMenu(std::string_view path, std::int32_t x, std::int32_t y) override {
        menu.objPMn_EntryMenu(path, x, y);
    }
    fakes::FakePopupMenu& Component() { return *factory.last; }
    std::int32_t Find(std::string_view key) { return Component().FindItemByKey(key); }
    const std::vector<MenuItem>& Shown() { return Component().showings.back().items; }
    const MenuItem& ShownItem(std::string_view key) { return Shown()[static_cast<std::size_t>(Find(key) - 1)]; }
    void Choose(std::int32_t index) {  // shows the menu and picks the item (0: none)
        Component().choose = [index] { return index; };
        menu.ShowPopupMenu(0, 0);
    }
    void Choose(std::string_view key) { Choose(Find(key)); }
    void PutDesktop(const Strings& files, const Strings& subfolders) {
        lister.folders.erase(kDesk);
        for (const std::string& f : files) lister.Add(f);
        for (const std::string& f : subfolders) lister.Add(f, platform::kListedDirectory);
    }
    void Register(const std::string& key, const std::string& name, const std::string& value) {
        registry.PutString(platform::RootKey::ClassesRoot, "CLSID\\" + key, name, value);
    }

    fakes::FakeRegistry registry;
    std::array<std::string, 5> clsids, applets;
    menu::ShellMenu menu{services, menu::MenuOwner{registry, kOwner, clsids, applets, *this}};
};

// ---- the fixed items and the system icons ----------------------------------------------------

TEST_F(ShellMenuTest, SixteenFixedItemsWithTheNetworkWordingOfTheVersion) {
    // Windows Me (4.90) and later say "マイ ネットワーク"; a failed version query (0.0) does not.
    for (const auto& [version, myNetwork] : std::vector<std::pair<platform::WindowsVersion, bool>>{
             {{4, 0}, false}, {{4, 89}, false}, {{0, 0}, false}, {{4, 90}, true}, {{5, 1}, true}, {{10, 0}, true}}) {
        shell.version = version;
        menu.BuildPopupMenu();
        const platform::MenuTree& tree = Component().tree;
        const auto rows = FixedRows(myNetwork);
        ASSERT_EQ(tree.Count(), 16);
        for (std::int32_t i = 1; i <= 16; ++i) {
            const auto& [key, parent, caption, image] = rows[static_cast<std::size_t>(i - 1)];
            const MenuItem& item = *tree.Item(i);
            EXPECT_EQ(item.caption, caption) << version.major << "." << version.minor;
            EXPECT_TRUE(item.key == key && item.image == std::stoi(image) && item.enabled && !item.checked) << caption;
            EXPECT_TRUE(item.parent == (parent.empty() ? 0 : tree.FindByKey(parent)) && item.helpText.empty() &&
                        item.itemData == 0) << caption;
        }
    }
    EXPECT_TRUE(Component().images == &images && Component().owner == kOwner);
}

TEST_F(ShellMenuTest, SystemIconsComeFromTheRegistryOrTheStockPictureInFixedPositions) {
    const Strings icon = {"C:\\Windows\\explorer.exe,0", "C:\\My,Icons\\net.dll,-3", "C:\\docs.dll,0", "C:\\inet.dll,2.5"};
    for (std::size_t k = 0; k < 4; ++k) Register(clsids[k] + "\\DefaultIcon", "", icon[k]);
    Register(clsids[4] + "\\DefaultIcon", "", "C:\\bin.dll,99");  // the bin's default value is not read
    Register(clsids[4] + "\\DefaultIcon", "empty", "C:\\bin.dll,31");
    Register(clsids[4] + "\\DefaultIcon", "full", "C:\\bin.dll,32");
    icons.files = {{{"C:\\Windows\\explorer.exe", 0}, {1, true}}, {{"C:\\My,Icons\\net.dll", -3}, {1, true}},
                   {{"C:\\inet.dll", 2}, {0, true}},  // a handle beside a count of 0
                   {{"C:\\bin.dll", 31}, {1, true}}, {{"C:\\bin.dll", 32}, {1, true}}};
    menu.LoadSystemIcons();
    const Strings expected = {"design", "file:C:\\Windows\\explorer.exe,0", "file:C:\\My,Icons\\net.dll,-3", "stock:2",
                              "stock:3", "file:C:\\bin.dll,31", "file:C:\\bin.dll,32", "icon:102", "bitmap:101"};
    ASSERT_EQ(images.Count(), 9);
    for (int p = 1; p <= 9; ++p) EXPECT_EQ(images.NameAt(p), expected[static_cast<std::size_t>(p - 1)]) << p;
    EXPECT_EQ(images.PositionOfKey("Last"), 9);
    EXPECT_EQ(fakes::MenuIcon::alive, 0) << "every icon handle is released";
    icons.stockAvailable = false;  // without any icon every position still gets its (empty) picture
    registry = fakes::FakeRegistry();
    menu.LoadSystemIcons();
    for (int p = 10; p <= 15; ++p) EXPECT_EQ(images.NameAt(p), "") << p;
    EXPECT_EQ(images.NameAt(16), "icon:102");
}

// ---- showing --------------------------------------------------------------------------------

TEST_F(ShellMenuTest, FilesThenFoldersFollowTheHeadingAndOpenWhenChosen) {
    PutDesktop({kAt + "メモ帳.txt", kAt + "Editor.LNK"}, {kAt + "写真.lnk"});
    icons.shellIcons = {kAt + "Editor.LNK", kAt + "写真.lnk"};
    menu.BuildPopupMenu();
    for (int j : {3, 1, 4}) Choose(Find("UserIcon") + j);  // the fourth is beyond the entries
    const Strings captions = {"Editor", "メモ帳.txtxxx", "写真.lnkxx"};  // in the lister's order of names
    ASSERT_EQ(Shown().size(), 19u);
    for (std::size_t i = 0; i < 3; ++i) {
        const MenuItem& item = Shown()[16 + i];
        EXPECT_EQ(item.caption, captions[i]);
        EXPECT_TRUE(item.index == 17 + int(i) && item.parent == 0 && item.key.empty() && item.image == 9 + int(i));
    }
    EXPECT_EQ(images.NameAt(10) + images.NameAt(11), "shell:" + kAt + "Editor.LNK");
    EXPECT_EQ(images.NameAt(12), "shell:" + kAt + "写真.lnk");
    EXPECT_EQ(std::make_pair(menu.userFileCount, menu.userFolderCount), std::make_pair(2, 1));
    EXPECT_EQ(folders.asked, std::vector<std::int32_t>({0x8010, 0x19, 0x8010, 0x19, 0x8010, 0x19}));
    EXPECT_EQ(lister.listed, Strings({kDesk, kAllDesk, kDesk, kAllDesk, kDesk, kAllDesk}));
    ASSERT_EQ(launcher.calls.size(), 2u);
    EXPECT_EQ(launcher.calls[0].file + launcher.calls[1].file, kAt + "写真.lnk" + kAt + "Editor.LNK");
    const auto& c = launcher.calls[0];
    EXPECT_TRUE(c.owner == kOwner && c.verb == "open" && c.parameters.empty() && c.directory.empty() && c.show == 1);
}

TEST_F(ShellMenuTest, BothDesktopsMergeIntoOneSortedRunOfFilesThenOneOfFolders) {
    // Names compare as the lister orders them (here: case not counted); equal names keep both,
    // the user's first; hidden and system entries stay out.
    for (const auto& [path, attributes] : std::vector<std::pair<std::string, std::uint32_t>>{
             {kAt + "b.txt", 0}, {kAll + "A.lnk", 0}, {kAt + "a.lnk", 0}, {kAll + "C&D.txt", 0},
             {kAt + "desktop.ini", platform::kListedHidden | platform::kListedSystem}, {kAll + "h", platform::kListedHidden},
             {kAll + "s", platform::kListedSystem}, {kAll + "Tools", platform::kListedDirectory},
             {kAt + "tools", platform::kListedDirectory}, {kAt + "Z", platform::kListedDirectory | platform::kListedHidden}}) {
        lister.Add(path, attributes);
    }
    menu.BuildPopupMenu();
    Choose(Find("UserIcon") + 2);
    EXPECT_EQ(menu.userFiles, Strings({kAt + "a.lnk", kAll + "A.lnk", kAt + "b.txt", kAll + "C&D.txt"}));
    EXPECT_EQ(menu.userFolders, Strings({kAt + "tools", kAll + "Tools"}));
    Strings captions, paths;
    for (std::size_t i = 16; i < Shown().size(); ++i) {
        captions.push_back(Shown()[i].caption);
        paths.push_back(Shown()[i].path + (Shown()[i].folder ? "/" : ""));
    }
    EXPECT_EQ(captions, Strings({"a", "A", "b.txt", "C&&D.txt", "tools", "Tools"})) << "\"&\" shows as itself";
    EXPECT_EQ(paths, Strings({kAt + "a.lnk", kAll + "A.lnk", kAt + "b.txt", kAll + "C&D.txt", kAt + "tools/", kAll + "Tools/"}));
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].file, kAll + "A.lnk") << "an item of all users opens like the user's own";
}

TEST_F(ShellMenuTest, EachShowingReplacesTheEntriesAndTheirPictures) {
    folders.desktop = std::string(kDesk) + std::string(1, '\0') + "rest";  // cut at the first NUL
    PutDesktop({kAt + "1.txt", kAt + "2.txt"}, {kAt + "F"});
    icons.shellIcons = {kAt + "2.txt"};
    menu.BuildPopupMenu();
    menu.ShowPopupMenu(0, 0);
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(images.Count(), 12);
    PutDesktop({kAt + "2.txt"}, {});
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(images.Count(), 10);
    EXPECT_EQ(images.NameAt(10), "shell:" + kAt + "2.txt");
    EXPECT_EQ(Shown().size(), 17u);
    EXPECT_EQ(menu.userFolderCount, 0);
    EXPECT_EQ(menu.userFolders, Strings({kAt + "F"})) << "an empty answer sets only the count";
    lister.folders.clear();
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(Shown().size(), 16u) << "an empty desktop shows the heading alone";
    EXPECT_EQ(images.Count(), 9);
}

TEST_F(ShellMenuTest, AnEntrysPictureIsKeptWhileItsWriteTimeStays) {
    PutDesktop({kAt + "a.txt", kAt + "b.txt"}, {});
    icons.shellIcons = {kAt + "a.txt", kAt + "b.txt"};
    menu.BuildPopupMenu();
    auto extractedWhileShowing = [&] {
        const int before = icons.extractions;
        menu.ShowPopupMenu(0, 0);
        return icons.extractions - before;
    };
    EXPECT_EQ(extractedWhileShowing(), 2);
    EXPECT_EQ(extractedWhileShowing(), 0);
    EXPECT_EQ(images.NameAt(10), "shell:" + kAt + "a.txt");
    lister.folders[kDesk].entries[1].writeTime = 200;
    EXPECT_EQ(extractedWhileShowing(), 1) << "only the entry written since";
    EXPECT_EQ(menu.IconCache().Size(), 2u);
    PutDesktop({kAt + "b.txt"}, {});
    menu.ShowPopupMenu(0, 0);
    EXPECT_EQ(menu.IconCache().Size(), 1u) << "what left the desktop is forgotten";
}

TEST_F(ShellMenuTest, TheShellGivesThePictureAndOnlyFilesThatAreHereAreReadForIt) {
    const Strings files = {kAt + "a.lnk", kAt + "tool.exe", kAt + "doc.rtf", kAt + "odd.bin", kAt + "cloud.exe"};
    PutDesktop(files, {});
    lister.folders[kDesk].entries[4].attributes = platform::kListedRecallOnDataAccess;
    icons.shellIcons = {files[0], files[4]};
    icons.files = {{{files[1], 0}, {1, true}}, {{files[2], 0}, {0, true}}, {{files[4], 0}, {1, true}}};
    icons.associated = {files[1], files[2], files[4]};  // a handle beside a count of 0 is no icon
    menu.BuildPopupMenu();
    menu.ShowPopupMenu(0, 0);
    const Strings expected = {"shell:" + files[0], "type:" + std::to_string(platform::kListedRecallOnDataAccess),
                              "associated:" + files[2], "", "file:" + files[1] + ",0"};  // sorted by name
    for (int i = 0; i < 5; ++i) EXPECT_EQ(images.NameAt(10 + i), expected[static_cast<std::size_t>(i)]);
    EXPECT_EQ(fakes::MenuIcon::alive, 0);
}

TEST_F(ShellMenuTest, AFolderCascadesIntoItsEntriesAndEveryEntryOpensOrGivesItsShellMenu) {
    const std::string sub = kAt + "Sub";
    for (const auto& [path, attributes] : std::vector<std::pair<std::string, std::uint32_t>>{
             {sub + "\\z.txt", 0}, {sub + "\\Inner", platform::kListedDirectory}, {sub + "\\A&B.lnk", 0},
             {sub + "\\写真.jpg", platform::kListedOffline}, {sub + "\\x", platform::kListedHidden}}) {
        lister.Add(path, attributes);
    }
    icons.shellIcons = {sub + "\\z.txt", sub + "\\A&B.lnk"};
    lister.folders[kAt + "Empty"] = {};
    lister.folders[kAt + "Locked"] = {{}, "Access is denied."};
    Strings shown;
    for (const std::string& folder : {sub, kAt + "Empty", kAt + "Locked"}) {
        for (const platform::MenuEntry& e : menu.objPMn_FolderPopup(folder)) {
            shown.push_back(e.caption + "|" + e.path + (e.folder ? "/" : "") + "|" + fakes::PictureName(e.picture));
        }
    }
    EXPECT_EQ(shown, Strings({"A&&B|" + sub + "\\A&B.lnk|shell:" + sub + "\\A&B.lnk",
                              "z.txt|" + sub + "\\z.txt|shell:" + sub + "\\z.txt",
                              "写真.jpgxx|" + sub + "\\写真.jpg|type:" + std::to_string(platform::kListedOffline),
                              "Inner|" + sub + "\\Inner/|",
                              "(空)x||?", "Access is denied.||?"}));
    const int extracted = icons.extractions;
    menu.objPMn_FolderPopup(sub);
    EXPECT_EQ(icons.extractions, extracted) << "a second opening reads no picture again";
    menu.objPMn_EntryClick(sub + "\\z.txt");
    ASSERT_EQ(launcher.calls.size(), 1u);
    const auto& c = launcher.calls[0];
    EXPECT_TRUE(c.file == sub + "\\z.txt" && c.owner == kOwner && c.verb == "open" && c.parameters.empty() && c.show == 1);
    menu.objPMn_EntryMenu(sub + "\\Inner", 300, 200);
    EXPECT_EQ(shell.itemMenus, Strings({std::to_string(kOwner) + " " + sub + "\\Inner 300,200"}));
}

TEST_F(ShellMenuTest, TheRecycleBinsStateGreysEmptyingAndPicksTheBinsPicture) {
    menu.BuildPopupMenu();
    for (const bool full : {false, true, false}) {
        shell.bins["C:\\"] = {0, full ? 1 : 0};
        shell.binQueries.clear();
        menu.ShowPopupMenu(0, 0);
        EXPECT_EQ(ShownItem("EmptyT").enabled, full);
        EXPECT_EQ(ShownItem("Recycle").image * 100 + ShownItem("TrashProp").image * 10 + ShownItem("EmptyT").image,
                  full ? 666 : 556);
        EXPECT_EQ(shell.binQueries, Strings({"", "C:\\", "", "C:\\", "", "C:\\"})) << "asked afresh three times";
    }
}

TEST_F(ShellMenuTest, ShowAtGetsThePointRoundedHalfToEvenAndTheFixedArguments) {
    menu.ShowPopupMenu(1, 1);
    menu.objPMn_Click(1);
    EXPECT_EQ(factory.created, 0) << "nothing before the menu is built";
    menu.BuildPopupMenu();
    const std::pair<float, float> points[] = {{100.5f, 201.5f}, {-0.5f, 7.49f}, {3e10f, -3e10f}};
    const std::pair<std::int32_t, std::int32_t> rounded[] = {{100, 202}, {0, 7}, {INT32_MAX, INT32_MIN}};
    for (std::size_t i = 0; i < 3; ++i) {
        menu.ShowPopupMenu(points[i].first, points[i].second);
        const auto& s = Component().showings.back();
        EXPECT_EQ(std::make_pair(s.x, s.y), rounded[i]);
        EXPECT_TRUE(s.rest == std::vector<std::int32_t>({0, 0, 0, 0, -1}) && s.anchor == platform::MenuAnchor::Pointer);
    }
}

// ---- the commands ---------------------------------------------------------------------------

TEST_F(ShellMenuTest, RundllStartsTheAppletsAndExplorerOpensTheSystemFolders) {
    menu.BuildPopupMenu();
    for (std::string_view key : {"ScreenProp", "MyCProp", "NetProp", "INetProp"}) Choose(key);
    shell.existing = {"C:\\Windows\\system32\\Netcpl.cpl"};
    Choose("NetProp");
    const std::string run = "rundll32.exe shell32.dll,Control_RunDLL ";
    EXPECT_EQ(shell.started, Strings({run + "Desk.cpl", run + "Sysdm.cpl", run + "ncpa.cpl", run + "Inetcpl.cpl",
                                      run + "Netcpl.cpl"})) << "without the old network applet its successor starts";
    for (std::string_view key : {"MyCom", "NetCom", "MyDoc", "INet", "Recycle"}) Choose(key);
    ASSERT_EQ(launcher.calls.size(), 5u);
    for (std::size_t k = 0; k < 5; ++k) {
        const auto& c = launcher.calls[k];
        EXPECT_EQ(c.parameters, "::" + std::string(app::kFolderClsids[k]));
        EXPECT_TRUE(c.owner == kOwner && c.verb == "open" && c.file == "explorer.exe" && c.directory.empty() && c.show == 1);
    }
}

TEST_F(ShellMenuTest, ShowDesktopMinimisesThenRestoresAndOnlyItFlipsTheFlag) {
    menu.BuildPopupMenu();
    Choose("ShowDesktop");
    for (std::string_view key : {"ScreenProp", "MyCom", "MyCProp", "EmptyT", "UserIcon"}) Choose(key);
    EXPECT_TRUE(menu.desktopMinimized);
    Choose("ShowDesktop");
    Choose("ShowDesktop");
    EXPECT_EQ(shell.automation, Strings({"MinimizeAll", "UndoMinimizeALL", "MinimizeAll"}));
    EXPECT_EQ(shell.dispatchesAlive, 0);
    shell.dispatchAvailable = false;
    Choose("ShowDesktop");
    EXPECT_TRUE(menu.desktopMinimized) << "without a Shell object nothing flips";
}

TEST_F(ShellMenuTest, FolderPropertiesRunTheVerbOfTheFoldersItem) {
    shell.nameSpaces = {{0, {{"My Documents", "Recycle Bin"}, "Desktop"}}, {5, {{}, "Docs"}}, {10, {{}, "Bin"}}};
    menu.BuildPopupMenu();
    const Strings japanese = {"開く(&O)", "プロパティ(&R)"};
    const struct {
        const char *key, *name, *localized;  // My Documents' registered name and LocalizedString
        Strings verbs;
        const char* ran;
    } cases[] = {
        {"MyDProp", "My Documents", "", japanese, "NameSpace 0|ParseName My Documents|DoIt My Documents プロパティ(&R)"},
        {"MyDProp", "My Documents", "", {"&Open", "&Properties"}, "NameSpace 0|ParseName My Documents|InvokeVerb My Documents properties"},
        {"MyDProp", "My Documents", "", {"プロパティ", "プロパティ(&R)", "プロパティ(&R)"}, "NameSpace 0|ParseName My Documents|DoIt My Documents プロパティ(&R)"},
        {"MyDProp", "", "@shell32.dll,-9227", japanese, "NameSpace 0|ParseName -9227|NameSpace 5|DoIt Docs プロパティ(&R)"},
        {"MyDProp", "", "Recycle Bin", japanese, "NameSpace 0|ParseName Recycle Bin|DoIt Recycle Bin プロパティ(&R)"},
        {"MyDProp", "", "", japanese, "NameSpace 0|ParseName ﾏｲ ﾄﾞｷｭﾒﾝﾄ|NameSpace 5|DoIt Docs プロパティ(&R)"},
        {"TrashProp", "", "", japanese, "NameSpace 10|DoIt Bin プロパティ(&R)"},
    };
    for (const auto& c : cases) {
        shell.automation.clear();
        shell.verbs = c.verbs;
        registry = fakes::FakeRegistry();
        if (*c.name) Register(clsids[2], "", c.name);
        if (*c.localized) Register(clsids[2], "LocalizedString", c.localized);
        Choose(c.key);
        std::string ran;
        for (const std::string& a : shell.automation) ran += (ran.empty() ? "" : "|") + a;
        EXPECT_EQ(ran, c.ran);
    }
    shell.nameSpaces.erase(10);
    shell.automation.clear();
    Choose("TrashProp");
    EXPECT_EQ(shell.automation, Strings({"NameSpace 10"})) << "a folder the shell does not know ends quietly";
    EXPECT_TRUE(shell.dispatchesAlive == 0 && shell.started.empty());
}

TEST_F(ShellMenuTest, EmptyingEmptiesEveryBinAndHeadingsRunNothing) {
    shell.bins["C:\\"] = {1, 1};
    PutDesktop({kAt + "a.txt"}, {});
    menu.BuildPopupMenu();
    for (std::int32_t index : {3, Find("Properties"), Find("UserIcon")}) Choose(index);
    EXPECT_TRUE(shell.emptied.empty() && shell.started.empty() && launcher.calls.empty() && shell.automation.empty());
    Choose("EmptyT");
    EXPECT_EQ(shell.emptied, Strings({std::to_string(kOwner) + "  0"}));
    EXPECT_TRUE(launcher.calls.empty());
}

// ---- in the main window ---------------------------------------------------------------------

TEST(FormPopupMenu, LoadingBuildsItAndRightButtonReleasesOrTheMenuKeyShowIt) {
    fakes::MenuWorld world;
    fakes::FormHarness h;
    fakes::FakeMainWindow window;  // raises no events of its own
    app::frmMain form{app::FormServices{h.settings, h.profile, h.registry, h.system, window, h.prcIcon, nullptr,
                                        nullptr, &world.services}};
    // The recycle bin's icon can only be found through a filled folder table.
    h.registry.PutString(platform::RootKey::ClassesRoot, "CLSID\\" + std::string(app::kFolderClsids[4]) + "\\DefaultIcon",
                         "empty", "C:\\bin.dll,1");
    world.icons.files[{"C:\\bin.dll", 1}] = {1, true};
    form.Form_Load();
    EXPECT_EQ(world.images.NameAt(6), "file:C:\\bin.dll,1");
    fakes::FakePopupMenu& shown = *world.factory.last;
    shown.choose = [&] { return shown.tree.FindByKey("ScreenProp"); };
    form.picDT_MouseUp(platform::kLeftButton, 0, 1, 1);
    form.imgWall_MouseUp(platform::kMiddleButton, 0, 1, 1);
    EXPECT_TRUE(shown.showings.empty());
    form.picDT_MouseUp(platform::kRightButton, 0, 150.0f, 300.0f);
    form.imgWall_MouseUp(platform::kRightButton, 1, 45.5f, 60.0f);
    form.Form_ContextMenu();
    ASSERT_EQ(shown.showings.size(), 3u);
    EXPECT_EQ(std::make_pair(shown.showings[0].x, shown.showings[0].y), std::make_pair(150, 300));
    EXPECT_TRUE(shown.showings[1].x == 46 && shown.showings[1].anchor == platform::MenuAnchor::Pointer);
    EXPECT_EQ(shown.showings[2].anchor, platform::MenuAnchor::OwnerTopLeft);
    EXPECT_EQ(world.shell.started.size(), 3u) << "each choice reaches the dispatch through the window";
    EXPECT_EQ(h.form.Menu(), nullptr) << "without the menu's services the window has no menu";
}

}  // namespace
}  // namespace lumbra
