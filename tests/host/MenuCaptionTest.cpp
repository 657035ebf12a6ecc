// Captions of the popup menu: the padding the program adds for code page 932, the text the menu
// shows of a padded caption, and the names of desktop entries.
#include <gtest/gtest.h>

#include "common/MenuCaptionTable.h"
#include "fakes/MenuFakes.h"
#include "menu/Captions.h"
#include "platform/MenuCaption.h"

namespace lumbra {
namespace {

using testdata::AllFixedCaptions;
using testdata::PassedCaption;
using testdata::PaddedNames;

// The padding rule on the C library's converter: one "x" per double-byte character, a
// separator one fewer because its "-" counts.
TEST(MenuCaptionPadding, EveryFixedCaptionCarriesOneXPerDoubleByteCharacter) {
    fakes::HostCodePage932 cp932;
    for (const auto& row : AllFixedCaptions()) {
        const std::size_t bytes = cp932.Cp932ByteCount(row.text);
        const std::size_t chars = platform::CaptionLength(row.text);
        const bool separator = row.text.starts_with("-");
        EXPECT_EQ(static_cast<int>(bytes - chars) - (separator ? 1 : 0), row.pad) << row.text;
    }
}

TEST(MenuCaptionPadding, KnownByteLengthsInCodePage932) {
    fakes::HostCodePage932 cp932;
    EXPECT_EQ(cp932.Cp932ByteCount("ﾏｲ ﾄﾞｷｭﾒﾝﾄ"), 10u);
    EXPECT_EQ(cp932.Cp932ByteCount("マイ ドキュメント"), 17u);
    EXPECT_EQ(cp932.Cp932ByteCount(""), 0u);
    EXPECT_EQ(cp932.Cp932ByteCount("abc"), 3u);
    // Outside the code page: one "?" per UTF-16 unit.
    EXPECT_EQ(cp932.Cp932ByteCount("한"), 1u);
    EXPECT_EQ(cp932.Cp932ByteCount("😀"), 2u);
}

TEST(MenuCaptionPadding, DesktopNamesArePaddedForTheirDoubleByteCharactersOnly) {
    fakes::HostCodePage932 cp932;
    for (const auto& row : PaddedNames()) {
        EXPECT_EQ(menu::PadCaption(row.name, cp932), std::string(row.name) + std::string(row.pad, 'x')) << row.name;
    }
}

TEST(MenuCaptionPadding, ANameEndingInXKeepsItsOwnXAndGetsOnlyThePadding) {
    fakes::HostCodePage932 cp932;
    EXPECT_EQ(menu::PadCaption("box", cp932), "box");
    EXPECT_EQ(menu::PadCaption("箱x", cp932), "箱xx");
}

// What the menu shows of a caption: never the padding, always the whole visible text.
TEST(MenuCaptionShown, FixedCaptionsShowWithoutPaddingAndWithTheirShortcut) {
    fakes::HostCodePage932 cp932;
    for (const auto& row : AllFixedCaptions()) {
        const platform::CaptionText shown = platform::VisibleCaption(PassedCaption(row), cp932);
        const bool separator = row.text.starts_with("-");
        EXPECT_EQ(shown.separator, separator) << row.text;
        EXPECT_EQ(shown.text, separator ? row.text.substr(1) : row.text) << row.text;
        EXPECT_EQ(shown.shortcut, row.shortcut) << row.text;
    }
}

TEST(MenuCaptionShown, DesktopNamesShowInFullUnicodeWithoutPadding) {
    fakes::HostCodePage932 cp932;
    for (const auto& row : PaddedNames()) {
        const platform::CaptionText shown = platform::VisibleCaption(menu::PadCaption(row.name, cp932), cp932);
        EXPECT_FALSE(shown.separator);
        EXPECT_EQ(shown.text, row.name) << "a character outside the code page must not turn into ?";
        EXPECT_EQ(shown.shortcut, "");
    }
}

TEST(MenuCaptionShown, ABareDashIsAPlainSeparatorAndAShortPaddingCutsWholeCharactersOnly) {
    fakes::HostCodePage932 cp932;
    EXPECT_TRUE(platform::VisibleCaption("-", cp932).separator);
    EXPECT_EQ(platform::VisibleCaption("-", cp932).text, "");
    EXPECT_EQ(platform::VisibleCaption("-Files", cp932).text, "Files");
    // Two characters give two bytes: the first double-byte character fits, the second does not
    // straddle the end.
    EXPECT_EQ(platform::VisibleCaption("日本", cp932).text, "日");
    // A caption without any padding at all: what fits.
    EXPECT_EQ(platform::VisibleCaption("ab\tCtrl+A", cp932).text, "ab");
    EXPECT_EQ(platform::VisibleCaption("ab\tCtrl+A", cp932).shortcut, "Ctrl+A");
}

// The menu counts a caption one character at a time, the padding counts it whole: a broken byte
// sequence must split the same way both times, or the menu cuts off what follows it.
TEST(MenuCaptionShown, BrokenByteSequencesKeepEveryCharacterAfterThem) {
    fakes::HostCodePage932 cp932;
    // "\xE3\x81" is the start of a three-byte character cut short: one replacement character.
    for (std::string name : {std::string("\xE3\x81" "A"), std::string("\xE3\x81" "A" "\xF0\x9F"),
                             std::string("\xE0\x80\x80" "z"), std::string("\xF8\x88\x80\x80\x80" "xy"),
                             std::string("\xED\xA0\x80" "箱")}) {
        const std::string caption = menu::PadCaption(name, cp932);
        EXPECT_EQ(platform::VisibleCaption(caption, cp932).text, name) << caption;
        EXPECT_EQ(platform::VisibleCaption("-" + name, cp932).text, name) << caption;
    }
}

// Names of desktop entries.
TEST(MenuEntryName, TheNameIsThePartAfterTheLastBackslash) {
    EXPECT_EQ(menu::EntryName("C:\\Users\\u\\Desktop\\memo.txt", true), "memo.txt");
    EXPECT_EQ(menu::EntryName("C:\\Users\\u\\Desktop\\Projects", false), "Projects");
    EXPECT_EQ(menu::EntryName("plain", true), "plain");
}

TEST(MenuEntryName, ShortcutFilesLoseTheirExtensionWhateverItsCase) {
    EXPECT_EQ(menu::EntryName("C:\\D\\Editor.lnk", true), "Editor");
    EXPECT_EQ(menu::EntryName("C:\\D\\Editor.LNK", true), "Editor");
    EXPECT_EQ(menu::EntryName("C:\\D\\Editor.Lnk", true), "Editor");
    EXPECT_EQ(menu::EntryName("C:\\D\\a.b.lnk", true), "a.b");
    EXPECT_EQ(menu::EntryName("C:\\D\\.lnk", true), "");
    EXPECT_EQ(menu::EntryName("C:\\D\\notes.lnkx", true), "notes.lnkx");
    EXPECT_EQ(menu::EntryName("C:\\D\\golnk", true), "golnk");
}

TEST(MenuEntryName, FoldersKeepANameThatEndsInLnk) {
    EXPECT_EQ(menu::EntryName("C:\\D\\Archive.lnk", false), "Archive.lnk");
    EXPECT_EQ(menu::EntryName("C:\\D\\Archive.LNK", false), "Archive.LNK");
}

}  // namespace
}  // namespace lumbra
