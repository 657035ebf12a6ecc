// Small parts of the popup menu: captions and names, picture sources, the item tree, command
// lines, DefaultIcon values and the recycle-bin rule.
#include <gtest/gtest.h>

#include "common/CommandLineParser.h"
#include "fakes/MenuFakes.h"
#include "menu/Captions.h"
#include "menu/DefaultIcon.h"
#include "menu/Entries.h"
#include "menu/RecycleBin.h"
#include "platform/CommandLine.h"
#include "platform/MenuCaption.h"

namespace lumbra {
namespace {

using Strings = std::vector<std::string>;

// ---- captions -------------------------------------------------------------------------------

// Half-width katakana are single bytes in code page 932, full-width text double, and what the
// code page cannot hold one "?" per UTF-16 unit.
TEST(MenuCaptions, NamesArePaddedPerDoubleByteCharacterAndShowWithoutThePaddingAsDoSeparatorsAndShortcuts) {
    fakes::HostCodePage932 cp932;
    const std::pair<const char*, int> names[] = {
        {"readme.txt", 0}, {"ﾏｲ ﾄﾞｷｭﾒﾝﾄ", 0}, {"メモ帳", 3},  {"ＡＢＣ.txt", 3}, {"報告書ﾃﾞｰﾀ.xls", 3},
        {"한국어", 0},     {"😀 smile", 0},   {"日本😀語", 3}, {"箱x", 1},        {"box", 0}};
    for (const auto& [name, pad] : names) {
        const std::string caption = menu::PadCaption(name, cp932);
        EXPECT_EQ(caption, name + std::string(static_cast<std::size_t>(pad), 'x'));
        const platform::CaptionText shown = platform::VisibleCaption(caption, cp932);
        EXPECT_TRUE(shown.text == name && !shown.separator && shown.shortcut.empty()) << "in full Unicode: " << name;
    }
    // caption passed, then what shows: "-" for a separator, the text, and the shortcut after "|"
    const std::pair<const char*, const char*> cases[] = {
        {"-", "-|"}, {"-システムアイコンxxxxxxx", "-システムアイコン|"}, {"ab\tCtrl+A", "ab|Ctrl+A"},
        {"画面のプロパティ(&S)...xxxxxxxx\tCtrl+S", "画面のプロパティ(&S)...|Ctrl+S"},
        {"日本", "日|"}};  // two bytes: the second character does not straddle the end
    for (const auto& [caption, shows] : cases) {
        const platform::CaptionText shown = platform::VisibleCaption(caption, cp932);
        EXPECT_EQ((shown.separator ? "-" : "") + shown.text + "|" + shown.shortcut, shows);
    }
    // A broken byte sequence splits the same way for the padding and for the menu.
    for (std::string name : {std::string("\xE3\x81" "A"), std::string("\xE0\x80\x80" "z"),
                             std::string("\xF8\x88\x80\x80\x80" "xy"), std::string("\xED\xA0\x80" "箱")}) {
        EXPECT_EQ(platform::VisibleCaption(menu::PadCaption(name, cp932), cp932).text, name);
        EXPECT_EQ(platform::VisibleCaption("-" + name, cp932).text, name);
    }
}

TEST(MenuCaptions, AnEntrysNameIsThePartAfterTheLastBackslashAndShortcutFilesLoseTheirExtension) {
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"C:\\D\\memo.txt", true, "memo.txt"}, {"plain", true, "plain"},       {"C:\\D\\Editor.lnk", true, "Editor"},
        {"C:\\D\\E.LNK", true, "E"},           {"C:\\D\\E.Lnk", true, "E"},    {"C:\\D\\a.b.lnk", true, "a.b"},
        {"C:\\D\\.lnk", true, ""},             {"C:\\D\\x.lnkx", true, "x.lnkx"}, {"C:\\D\\golnk", true, "golnk"},
        {"C:\\D\\x.bank", true, "x.bank"},     {"C:\\D\\lnk", true, "lnk"},    {"C:\\D\\ab", true, "ab"},
        {"C:\\D\\.lnK", true, ""},             {"C:\\D\\a.b", true, "a.b"},             {"C:\\D\\A.lnk", false, "A.lnk"}, {"C:\\D\\A.LNK", false, "A.LNK"},
    };
    for (const auto& [path, file, name] : cases) EXPECT_EQ(menu::EntryName(path, file), name) << path;
}

// A file whose data is not here (offline, fetched on opening or on reading) or that is gone is
// never read for its picture: the shell takes it from the name and the attributes.
TEST(MenuPictureSource, OnlyAFileWhoseDataIsHereIsReadForItsPicture) {
    using namespace platform;
    // attributes, then whether the file is read; the shell is given the attributes, "normal" for none
    const std::pair<std::optional<std::uint32_t>, bool> cases[] = {
        {0x20, true}, {kListedDirectory | kListedHidden, true}, {0x20 | kListedOffline, false},
        {kListedDirectory | kListedRecallOnOpen, false}, {kListedRecallOnDataAccess, false}, {std::nullopt, false}};
    for (const auto& [attributes, readsFile] : cases) {
        const menu::PictureSource source = menu::ChoosePictureSource(attributes);
        EXPECT_TRUE(source.readsFile == readsFile && source.attributes == attributes.value_or(kListedNormal))
            << attributes.value_or(0xFFFFFFFF);
    }
}

// ---- the item tree --------------------------------------------------------------------------

TEST(MenuTree, IndicesRunOnAcrossLevelsAndASavedTreeComesBackWithThem) {
    platform::MenuTree tree;
    auto add = [&](const char* key, std::int32_t parent = 0) { return tree.Append(key, "", 0, parent, -1, false, true, key); };
    EXPECT_EQ(add("A") + add("S") * 10 + add("C", 2) * 100 + add("") * 1000, 4321);
    EXPECT_TRUE(tree.FindByKey("C") == 3 && tree.FindByKey("") == -1 && tree.FindByKey("Nope") == -1);
    EXPECT_TRUE(tree.Item(0) == nullptr && tree.Item(5) == nullptr && !tree.Item(4)->folder && tree.Item(4)->path.empty());
    EXPECT_TRUE(tree.HasChildren(2) && !tree.HasChildren(3));
    const platform::MenuTree& constant = tree;
    EXPECT_TRUE(constant.Item(0) == nullptr && constant.Item(5) == nullptr && constant.Item(3)->key == "C");
    tree.Save("saved");
    add("extra");
    tree.Save("saved");  // saving again replaces the copy
    tree.Item(1)->enabled = false;
    tree.Reset();
    EXPECT_FALSE(tree.Load("other"));
    EXPECT_EQ(tree.Count(), 0) << "emptied, and a name never saved changes nothing";
    ASSERT_TRUE(tree.Load("saved"));
    EXPECT_TRUE(tree.Count() == 5 && tree.Item(1)->enabled) << "changes after saving are not in the copy";
    EXPECT_EQ(add("next"), 6);
}

// ---- command lines --------------------------------------------------------------------------

TEST(MenuCommandLine, ArgumentsAreQuotedOnlyWhenTheyMustBeAndReadBackExactly) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir\\file.txt"}, {"a b", "\"a b\""},      {"tab\there", "\"tab\there\""},
        {"", "\"\""},                               {"x\ny", "\"x\ny\""},    {"v\vw", "\"v\vw\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},       {"a\\\"b", "\"a\\\\\\\"b\""}, {"C:\\a b\\c", "\"C:\\a b\\c\""},
        {"C:\\a b\\", "\"C:\\a b\\\\\""},
    };
    for (const auto& [argument, quoted] : cases) EXPECT_EQ(platform::QuoteArgument(argument), quoted) << argument;
    const Strings arguments{"C:\\Program Files\\x.exe", "shell32.dll,Control_RunDLL", "", " ", "say \"hi\"",
                            R"(C:\a b\\)", R"(\\server\share\)", "\"", R"(\")", "デスクトップ\\メモ 帳.txt"};
    EXPECT_EQ(testdata::SplitCommandLine(platform::BuildCommandLine(arguments)), arguments);
    EXPECT_EQ(platform::BuildCommandLine({""}), "\"\"");
}

// ---- DefaultIcon values ---------------------------------------------------------------------

TEST(MenuDefaultIcon, TheFileBeforeTheLastCommaAndTheNumberAfterIt) {
    const std::tuple<const char*, const char*, std::int32_t> cases[] = {
        {"C:\\Windows\\shell32.dll,15", "C:\\Windows\\shell32.dll", 15}, {"C:\\icons\\folder.ico", "C:\\icons\\folder.ico", 0},
        {"", "", 0},                 {"C:\\a,b\\c,d.dll,3", "C:\\a,b\\c,d.dll", 3}, {"C:\\x.dll,icon", "C:\\x.dll", 0},
        {"x.dll, -109", "x.dll", -109}, {"\"C:\\q.dll\",2.5", "\"C:\\q.dll\"", 2},   {"x.dll,99999999999", "x.dll", 0},
    };
    for (const auto& [value, file, index] : cases) {
        const menu::IconLocation location = menu::SplitDefaultIcon(value);
        EXPECT_TRUE(location.file == file && location.index == index) << value;
    }
}

// ---- recycle bins ---------------------------------------------------------------------------

TEST(MenuRecycleBin, AnyBinWithBytesOrItemsIsFullAndOnlyFixedDrivesAreAskedOneByOne) {
    fakes::FakeShell shell;
    using platform::DriveType;
    shell.drives = {{"A:\\", DriveType::Fixed}, {"C:\\", DriveType::Fixed}, {"E:\\", DriveType::Removable},
                    {"F:\\", DriveType::Fixed}, {"Z:\\", DriveType::Fixed}};
    shell.bins = {{"", {}}, {"A:\\", {}}, {"C:\\", {}}, {"E:\\", {0, 5}}, {"Z:\\", {}}};  // F: fails
    EXPECT_FALSE(menu::QueryRecycleBinFull(shell)) << "a removable drive counts through the all-bins query only";
    EXPECT_EQ(shell.binQueries, Strings({"", "A:\\", "C:\\", "F:\\", "Z:\\"}));
    const std::pair<const char*, platform::RecycleBinInfo> full[] = {
        {"", {10, 0}}, {"", {0, 1}}, {"A:\\", {512, 0}}, {"C:\\", {0, 1}}, {"Z:\\", {1, 0}}};
    for (const auto& [root, info] : full) {
        shell.bins[root] = info;
        EXPECT_TRUE(menu::QueryRecycleBinFull(shell)) << root;
        shell.bins[root] = {};  // as every bin above was
    }
    shell.bins.erase("");
    EXPECT_FALSE(menu::QueryRecycleBinFull(shell)) << "a failing all-bins query counts as empty";
}

}  // namespace
}  // namespace lumbra
