// The popup menu's logic against fakes: the fixed items and system icons, each showing with both
// desktops' entries and the recycle-bin state, folders' sub-menus, the command of every item, and
// the window's wiring.
#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FormHarness.h"
#include "fakes/MenuFakes.h"

namespace lumbra {
namespace {

using platform::MenuItem;
using Strings = std::vector<std::string>;
constexpr std::uint32_t kDir = platform::kListedDirectory;
constexpr char kDesk[] = "C:\\Users\\me\\Desktop";
const std::string kAt = std::string(kDesk) + "\\";
constexpr char kAllDesk[] = "C:\\Users\\Public";  // ends otherwise than the user's: names are compared alone
const std::string kAll = std::string(kAllDesk) + "\\";
constexpr std::uintptr_t kOwner = fakes::FakeMainWindow::kWindowHandle;

// The fixed items' keys and images; the six after "Properties" hang under it. Their captions are the
// program's own constants: only those built by rule are checked (the shortcut after a tab, the
// network wording by the Windows version).
const Strings kFixedKeys = {"ScreenProp", "ShowDesktop", "",          "MyCom",  "NetCom",  "MyDoc",    "INet",     "Recycle",
                            "Properties", "MyCProp",     "NetProp",   "MyDProp", "INetProp", "TrashProp", "EmptyT", "UserIcon"};
constexpr std::int32_t kFixedImages[] = {0, 7, -1, 1, 2, 3, 4, 5, 8, 1, 2, 3, 4, 5, 6, -1};

class ShellMenuTest : public ::testing::Test, protected fakes::MenuWorld, public platform::PopupMenuEvents {
protected:
    ShellMenuTest() {
        for (std::size_t k = 0; k < 5; ++k) std::tie(clsids[k], applets[k]) = std::tie(app::kFolderClsids[k], app::kFolderApplets[k]);
        std::tie(folders.desktop, folders.others[menu::kCommonDesktopDirectory]) = std::tie(kDesk, kAllDesk);
        shell.drives["C:\\"] = platform::DriveType::Fixed;
    }
    void objPMn_Click(std::int32_t index) override { menu.objPMn_Click(index); }
    std::vector<platform::MenuEntry> objPMn_FolderPopup(std::string_view f) override { return menu.objPMn_FolderPopup(f); }
    void objPMn_EntryClick(std::string_view path) override { menu.objPMn_EntryClick(path); }
    void objPMn_EntryMenu(std::string_view path, std::int32_t x, std::int32_t y) override { menu.objPMn_EntryMenu(path, x, y); }
    fakes::FakePopupMenu& Component() { return *factory.last; }
    std::int32_t Find(std::string_view key) { return Component().FindItemByKey(key); }
    const std::vector<MenuItem>& Shown() { return Component().showings.back().items; }
    const MenuItem& ShownItem(std::string_view key) { return Shown()[static_cast<std::size_t>(Find(key) - 1)]; }
    void Choose(std::int32_t index) {  // shows the menu and picks the item (0: none)
        Component().choose = [index] { return index; };
        menu.ShowPopupMenu(0, 0);
    }
    void Put(const std::vector<std::pair<std::string, std::uint32_t>>& entries) {
        for (const auto& [path, attributes] : entries) lister.Add(path, attributes);
    }
    void Register(const std::string& key, const std::string& name, const std::string& value) {
        registry.PutString(platform::RootKey::ClassesRoot, "CLSID\\" + key, name, value);
    }
    // What the shell and the launcher were asked to do since the last call: the shell's record,
    // then "open <file> <parameters>" ("BAD" unless owned by the window, "open", shown normally).
    Strings Done() {
        Strings done = std::exchange(shell.done, {});
        for (const auto& c : std::exchange(launcher.calls, {})) {
            const bool good = c.owner == kOwner && c.verb == "open" && c.directory.empty() && c.show == 1;
            done.push_back("open " + c.file + " " + c.parameters + (good ? "" : " BAD"));
        }
        return done;
    }

    fakes::FakeRegistry registry;
    std::array<std::string, 5> clsids, applets;
    menu::ShellMenu menu{services, menu::MenuOwner{registry, kOwner, clsids, applets, *this}};
};

// ---- the fixed items and the system icons ----------------------------------------------------

TEST_F(ShellMenuTest, SixteenFixedItemsWithTheNetworkWordingOfTheVersionAndTheSystemIconsInFixedPositions) {
    const Strings icon = {"C:\\Windows\\explorer.exe,0", "C:\\My,Icons\\net.dll,-3", "C:\\docs.dll,0", "C:\\inet.dll,2.5"};
    for (std::size_t k = 0; k < 4; ++k) Register(clsids[k] + "\\DefaultIcon", "", icon[k]);
    // The bin has no default value here: its "empty" and "full" ones are read.
    Register(clsids[4] + "\\DefaultIcon", "empty", "C:\\bin.dll,31");
    Register(clsids[4] + "\\DefaultIcon", "full", "C:\\bin.dll,32");
    icons.files = {{{"C:\\Windows\\explorer.exe", 0}, {1, true}}, {{"C:\\My,Icons\\net.dll", -3}, {1, true}},
                   {{"C:\\inet.dll", 2}, {0, true}},  // a handle beside a count of 0
                   {{"C:\\bin.dll", 31}, {1, true}}, {{"C:\\bin.dll", 32}, {1, true}}};
    // Windows Me (4.90) and later say "マイ ネットワーク"; a failed version query (0.0) does not.
    for (const auto& [version, myNetwork] : std::vector<std::pair<platform::WindowsVersion, bool>>{
             {{4, 0}, false}, {{4, 89}, false}, {{0, 0}, false}, {{4, 90}, true}, {{5, 1}, true}, {{10, 0}, true}}) {
        shell.version = version;
        menu.BuildPopupMenu();
        const platform::MenuTree& tree = Component().Tree();
        ASSERT_EQ(tree.Count(), 16);
        for (std::int32_t i = 1; i <= 16; ++i) {
            const MenuItem& item = *tree.Item(i);
            EXPECT_TRUE(item.key == kFixedKeys[i - 1] && item.image == kFixedImages[i - 1] && item.enabled && !item.checked &&
                        item.itemData == 0 && item.parent == (i >= 10 && i <= 15 ? 9 : 0) && item.helpText.empty())
                << i;
        }
        EXPECT_EQ(Strings({tree.Item(1)->caption, tree.Item(3)->caption}),
                  Strings({"画面のプロパティ(&S)...xxxxxxxx\tCtrl+S", "-システムアイコンxxxxxxx"}));
        const std::string net = myNetwork ? "マイ ネットワーク" : "ネットワーク コンピュータ";
        EXPECT_TRUE(tree.Item(5)->caption.starts_with(net + "(&N)") && tree.Item(11)->caption.starts_with(net + "のプロパティ"));
        icons.stockAvailable = false;  // then without any icon every position still gets its (empty) picture
        registry = fakes::FakeRegistry();
    }
    EXPECT_TRUE(Component().images == &images && Component().owner == kOwner);
    std::string names;
    for (int p = 1; p <= 17; ++p) names += images.NameAt(p) + "|";
    EXPECT_EQ(names, "design|file:C:\\Windows\\explorer.exe,0|file:C:\\My,Icons\\net.dll,-3|stock:2|stock:3|"
                     "file:C:\\bin.dll,31|file:C:\\bin.dll,32|icon:102|bitmap:101|||||||icon:102|bitmap:101|");
    EXPECT_EQ(images.PositionOfKey("Last"), 9);
}

// ---- showing --------------------------------------------------------------------------------

TEST_F(ShellMenuTest, BothDesktopsMergeIntoOneSortedRunOfFilesThenOneOfFoldersThatOpenWhenChosen) {
    // Names compare as the lister orders them (here: case not counted); equal names keep both,
    // the user's first; hidden and system entries stay out.
    Put({{kAt + "b.txt", 0}, {kAll + "A.lnk", 0}, {kAt + "a.lnk", 0}, {kAll + "C&D.txt", 0}, {kAt + "メモ帳.txt", 0},
         {kAt + "Editor.LNK", 0}, {kAt + "desktop.ini", platform::kListedHidden | platform::kListedSystem},
         {kAll + "h", platform::kListedHidden}, {kAll + "s", platform::kListedSystem}, {kAll + "Tools", kDir},
         {kAt + "tools", kDir}, {kAt + "写真.lnk", kDir}, {kAt + "Z", kDir | platform::kListedHidden}});
    icons.shellIcons = {kAt + "a.lnk", kAt + "写真.lnk"};
    menu.BuildPopupMenu();
    for (int j : {9, 6, 2, 10}) Choose(Find("UserIcon") + j);  // the tenth is beyond the entries
    Strings shown;
    for (const MenuItem& item : Shown()) {
        if (item.index < 17) continue;
        EXPECT_TRUE(item.parent == 0 && item.key.empty() && item.image == item.index - 8 && item.itemData == 0 && item.enabled);
        shown.push_back(item.caption + "|" + item.path + (item.folder ? "/" : "") + "|" + images.NameAt(item.image + 1));
    }
    EXPECT_EQ(shown, Strings({"a|" + kAt + "a.lnk|shell:" + kAt + "a.lnk", "A|" + kAll + "A.lnk|", "b.txt|" + kAt + "b.txt|",
                              "C&&D.txt|" + kAll + "C&D.txt|", "Editor|" + kAt + "Editor.LNK|",
                              "メモ帳.txtxxx|" + kAt + "メモ帳.txt|", "tools|" + kAt + "tools/|", "Tools|" + kAll + "Tools/|",
                              "写真.lnkxx|" + kAt + "写真.lnk/|shell:" + kAt + "写真.lnk"}));
    EXPECT_EQ(std::make_pair(menu.userFileCount, menu.userFolderCount), std::make_pair(6, 3));
    EXPECT_EQ(folders.asked, std::vector<std::int32_t>({0x8010, 0x19, 0x8010, 0x19, 0x8010, 0x19, 0x8010, 0x19}));
    EXPECT_EQ(Done(), Strings({"open " + kAt + "写真.lnk ", "open " + kAt + "メモ帳.txt ", "open " + kAll + "A.lnk "}));
}

TEST_F(ShellMenuTest, EachShowingReplacesTheEntriesAndKeepsAPictureWhileItsWriteTimeStays) {
    folders.desktop = std::string(kDesk) + std::string(1, '\0') + "rest";  // cut at the first NUL
    folders.others.clear();  // the shared desktop is the user's: listed once
    Put({{kAt + "1.txt", 0}, {kAt + "2.txt", 0}, {kAt + "F", kDir}});
    icons.shellIcons = {kAt + "1.txt", kAt + "2.txt", kAt + "F"};
    menu.BuildPopupMenu();
    auto extractedWhileShowing = [&] {
        const int before = icons.extractions;
        menu.ShowPopupMenu(0, 0);
        return icons.extractions - before;
    };
    EXPECT_EQ(extractedWhileShowing(), 3);
    EXPECT_EQ(extractedWhileShowing(), 0);
    EXPECT_EQ(images.Count(), 12);
    lister.folders[kDesk].entries[1].writeTime = 200;
    EXPECT_EQ(extractedWhileShowing(), 1) << "only the entry written since";
    EXPECT_EQ(menu.IconCache().Size(), 3u);
    lister.folders.clear();
    Put({{kAt + "2.txt", 0}});
    menu.ShowPopupMenu(0, 0);
    EXPECT_TRUE(menu.IconCache().Size() == 1 && images.Count() == 10) << "what left the desktop is forgotten";
    EXPECT_TRUE(images.NameAt(10) == "shell:" + kAt + "2.txt" && Shown().size() == 17 && menu.userFolderCount == 0);
    EXPECT_EQ(menu.userFolders, Strings({kAt + "F"})) << "an empty answer sets only the count";
    menu.objPMn_Click(Find("UserIcon") + 2);
    EXPECT_EQ(Done(), Strings()) << "nothing reads past the counts";
    lister.folders.clear();
    menu.ShowPopupMenu(0, 0);
    EXPECT_TRUE(Shown().size() == 16 && images.Count() == 9) << "an empty desktop shows the heading alone";
}

TEST_F(ShellMenuTest, AFolderCascadesIntoItsEntriesWithTheShellsPicturesAndEveryEntryOpensOrGivesItsShellMenu) {
    // A picture comes from the shell; only where it has none, and only for a file whose data is
    // here, from the file itself (its first icon, then the associated one).
    const std::string sub = kAt + "Sub\\";
    Put({{sub + "z.txt", 0}, {sub + "Inner", kDir}, {sub + "A&B.lnk", 0}, {sub + "写真.jpg", platform::kListedOffline},
         {sub + "x", platform::kListedHidden}, {sub + "tool.exe", 0}, {sub + "doc.rtf", 0}, {sub + "odd.bin", 0},
         {sub + "cloud.exe", platform::kListedRecallOnDataAccess}});
    icons.shellIcons = {sub + "z.txt", sub + "A&B.lnk"};
    icons.files = {{{sub + "tool.exe", 0}, {1, true}}, {{sub + "doc.rtf", 0}, {0, true}}, {{sub + "cloud.exe", 0}, {1, true}}};
    icons.associated = {sub + "tool.exe", sub + "doc.rtf", sub + "cloud.exe"};  // a handle beside 0 icons is none
    lister.folders[kAt + "Empty"] = {};
    lister.folders[kAt + "Locked"] = {{}, "Access is denied."};
    Strings shown;
    for (const std::string& folder : {kAt + "Sub", kAt + "Empty", kAt + "Locked"}) {
        for (const platform::MenuEntry& e : menu.objPMn_FolderPopup(folder)) {
            shown.push_back(e.caption + "|" + e.path.substr(e.path.empty() ? 0 : sub.size()) + (e.folder ? "/" : "") +
                            "|" + fakes::PictureName(e.picture));
        }
    }
    EXPECT_EQ(shown, Strings({"A&&B|A&B.lnk|shell:" + sub + "A&B.lnk",
                              "cloud.exe|cloud.exe|type:" + std::to_string(platform::kListedRecallOnDataAccess),
                              "doc.rtf|doc.rtf|associated:" + sub + "doc.rtf", "odd.bin|odd.bin|",
                              "tool.exe|tool.exe|file:" + sub + "tool.exe,0", "z.txt|z.txt|shell:" + sub + "z.txt",
                              "写真.jpgxx|写真.jpg|type:" + std::to_string(platform::kListedOffline), "Inner|Inner/|",
                              "(空)x||?", "Access is denied.||?"}));
    const int extracted = icons.extractions;
    menu.objPMn_FolderPopup(kAt + "Sub");
    EXPECT_EQ(icons.extractions, extracted) << "a second opening reads no picture again";
    menu.objPMn_EntryMenu(sub + "Inner", 300, 200);
    menu.objPMn_EntryClick(sub + "z.txt");
    EXPECT_EQ(Done(), Strings({"menu " + std::to_string(kOwner) + " " + sub + "Inner 300,200", "open " + sub + "z.txt "}));
}

TEST_F(ShellMenuTest, EachShowingTakesTheBinsStateAndGetsThePointRoundedHalfToEven) {
    menu.ShowPopupMenu(1, 1);
    menu.objPMn_Click(1);  // nothing before the menu is built (no component to reach)
    menu.BuildPopupMenu();
    const std::pair<float, float> points[] = {{100.5f, 201.5f}, {-0.5f, 7.49f}, {3e10f, -3e10f}};
    const std::pair<std::int32_t, std::int32_t> rounded[] = {{100, 202}, {0, 7}, {INT32_MAX, INT32_MIN}};
    for (std::size_t i = 0; i < 3; ++i) {
        const bool full = i == 1;
        shell.bins["C:\\"] = {0, full ? 1 : 0};
        menu.ShowPopupMenu(points[i].first, points[i].second);
        EXPECT_EQ(ShownItem("EmptyT").enabled, full) << "emptying is greyed while every bin is empty";
        EXPECT_EQ(ShownItem("Recycle").image * 100 + ShownItem("TrashProp").image * 10 + ShownItem("EmptyT").image,
                  full ? 666 : 556);
        const auto& s = Component().showings.back();
        EXPECT_EQ(std::make_pair(s.x, s.y), rounded[i]);
        EXPECT_TRUE(s.rest == std::vector<std::int32_t>({0, 0, 0, 0, -1}) && s.anchor == platform::MenuAnchor::Pointer);
    }
}

// ---- the commands ---------------------------------------------------------------------------

TEST_F(ShellMenuTest, EveryFixedItemRunsItsCommandAndOnlyShowDesktopFlipsItsFlag) {
    shell.bins["C:\\"] = {1, 1};
    Put({{kAt + "a.txt", 0}});
    menu.BuildPopupMenu();
    const std::string run = "start rundll32.exe shell32.dll,Control_RunDLL ";
    auto open = [](std::size_t k) { return "open explorer.exe ::" + std::string(app::kFolderClsids[k]); };
    const std::pair<std::string, Strings> rows[] = {
        {"ShowDesktop", {"MinimizeAll"}}, {"ScreenProp", {run + "Desk.cpl"}}, {"MyCom", {open(0)}}, {"NetCom", {open(1)}},
        {"MyDoc", {open(2)}}, {"INet", {open(3)}}, {"Recycle", {open(4)}}, {"MyCProp", {run + "Sysdm.cpl"}},
        {"NetProp", {run + "ncpa.cpl"}},  // the old network applet is gone: its successor
        {"INetProp", {run + "Inetcpl.cpl"}}, {"EmptyT", {"empty " + std::to_string(kOwner) + "  0"}},
        {"-", {}}, {"Properties", {}}, {"UserIcon", {}}, {"ShowDesktop", {"UndoMinimizeALL"}}};
    for (const auto& [key, done] : rows) {
        Choose(key == "-" ? 3 : Find(key));
        EXPECT_EQ(Done(), done) << key;
    }
    shell.existing = {"C:\\Windows\\system32\\Netcpl.cpl"};
    Choose(Find("NetProp"));
    EXPECT_EQ(Done(), Strings({run + "Netcpl.cpl"}));
    shell.dispatchAvailable = false;
    Choose(Find("ShowDesktop"));
    EXPECT_FALSE(menu.desktopMinimized) << "without a Shell object nothing flips";
}

TEST_F(ShellMenuTest, FolderPropertiesRunTheVerbOfTheFoldersItem) {
    shell.nameSpaces = {{0, {{"My Documents", "Recycle Bin"}, "Desktop"}}, {5, {{}, "Docs"}}, {10, {{}, "Bin"}}};
    menu.BuildPopupMenu();
    const Strings japanese = {"開く(&O)", "プロパティ(&R)"};
    const std::string named = "NameSpace 0|ParseName My Documents|";
    const struct {
        const char *key, *name, *localized;  // My Documents' registered name and LocalizedString
        Strings verbs;
        std::string ran;
    } cases[] = {
        {"MyDProp", "My Documents", "", {"&Open", "プロパティ(&R)", "プロパティ(&R)"}, named + "DoIt My Documents プロパティ(&R)"},
        {"MyDProp", "My Documents", "", {"&Open", "&Properties"}, named + "InvokeVerb My Documents properties"},
        {"MyDProp", "", "@shell32.dll,-9227", japanese, "NameSpace 0|ParseName -9227|NameSpace 5|DoIt Docs プロパティ(&R)"},
        {"MyDProp", "", "Recycle Bin", japanese, "NameSpace 0|ParseName Recycle Bin|DoIt Recycle Bin プロパティ(&R)"},
        {"MyDProp", "", "", japanese, "NameSpace 0|ParseName ﾏｲ ﾄﾞｷｭﾒﾝﾄ|NameSpace 5|DoIt Docs プロパティ(&R)"},
        {"TrashProp", "", "", japanese, "NameSpace 10|DoIt Bin プロパティ(&R)"}};
    for (const auto& c : cases) {
        shell.verbs = c.verbs;
        registry = fakes::FakeRegistry();
        if (*c.name) Register(clsids[2], "", c.name);
        if (*c.localized) Register(clsids[2], "LocalizedString", c.localized);
        Choose(Find(c.key));
        std::string ran;
        for (const std::string& a : Done()) ran += (ran.empty() ? "" : "|") + a;
        EXPECT_EQ(ran, c.ran);
    }
    shell.nameSpaces.erase(10);
    Choose(Find("TrashProp"));
    EXPECT_EQ(Done(), Strings({"NameSpace 10"})) << "a folder the shell does not know ends quietly";
}

// ---- in the main window ---------------------------------------------------------------------

TEST(FormPopupMenu, RightButtonReleasesOrTheMenuKeyShowTheMenuBuiltAtLoadingAndItsEventsReachIt) {
    fakes::MenuWorld w;
    fakes::FormHarness h;
    fakes::FakeMainWindow window;  // raises no events of its own
    app::frmMain form{app::FormServices{h.settings, h.profile, h.registry, h.system, window, h.prcIcon, nullptr, nullptr,
                                        &w.services}};
    form.Form_Load();
    const fakes::FakePopupMenu& shown = *w.factory.last;
    form.picDT_MouseUp(platform::kLeftButton, 0, 1, 1);
    form.imgWall_MouseUp(platform::kMiddleButton, 0, 1, 1);
    form.picDT_MouseUp(platform::kRightButton, 0, 150.0f, 300.0f);
    form.imgWall_MouseUp(platform::kRightButton, 1, 45.5f, 60.0f);
    form.Form_ContextMenu();
    ASSERT_EQ(shown.showings.size(), 3u) << "the left and middle buttons show nothing";
    EXPECT_TRUE(shown.showings[0].x == 150 && shown.showings[1].y == 60 && shown.showings[1].anchor == platform::MenuAnchor::Pointer);
    EXPECT_EQ(shown.showings[2].anchor, platform::MenuAnchor::OwnerTopLeft);
    w.lister.Add("C:\\S\\a.txt");
    form.objPMn_Click(1);  // "ScreenProp"
    form.objPMn_EntryMenu("C:\\x", 1, 2);
    form.objPMn_EntryClick("C:\\y");
    EXPECT_TRUE(form.objPMn_FolderPopup("C:\\S").size() == 1 && w.shell.done.size() == 2 && w.launcher.calls.size() == 1);
    h.form.objPMn_EntryClick("C:\\y");  // without the menu's services: nothing
    EXPECT_TRUE(h.form.Menu() == nullptr && h.form.objPMn_FolderPopup("C:\\").empty());
}

}  // namespace
}  // namespace lumbra
