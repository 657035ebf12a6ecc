// The name rule of the file drop: item names, shortcut names, destinations and the question.
#include <gtest/gtest.h>

#include "drop/DropNames.h"

namespace lumbra::drop {
namespace {

TEST(DropNameRule, TheItemIsNamedByThePartAfterItsLastBackslash) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\data\\report.txt", "report.txt"},  // a file keeps its extension
        {"C:\\data\\Docs", "Docs"},
        {"\\\\server\\share\\年度 報告", "年度 報告"},
        {"C:\\写真\\夏 ①.jpg", "夏 ①.jpg"},
        {"D:\\", ""},                 // a drive's root
        {"C:\\data\\Docs\\", ""},     // a trailing backslash
        {"C:\\data\\Docs\\\\", ""},
        {"report.txt", "report.txt"},
        {"C:/data/report.txt", "C:/data/report.txt"},  // only a backslash separates
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(ItemName(path), name) << path;
}

TEST(DropNameRule, TheShortcutIsTheNameWithTheSuffixInTheDesktopFolder) {
    EXPECT_EQ(ShortcutFileName("report.txt"), "report.txtへのｼｮｰﾄｶｯﾄ.lnk");
    EXPECT_EQ(ShortcutFileName(""), "へのｼｮｰﾄｶｯﾄ.lnk");
    EXPECT_EQ(InFolder("C:\\Users\\me\\Desktop", ""), "C:\\Users\\me\\Desktop\\");
    EXPECT_EQ(InFolder("C:\\Users\\me\\Desktop", "a.txt"), "C:\\Users\\me\\Desktop\\a.txt");
}

TEST(DropNameRule, ShortcutSuffixIsHiraganaThenHalfWidthKatakana) {
    // "への" (3 bytes each), "ｼｮｰﾄｶｯﾄ" (7 half-width katakana, 3 bytes each), ".lnk".
    EXPECT_EQ(kShortcutSuffix,
              "\xE3\x81\xB8\xE3\x81\xAE"
              "\xEF\xBD\xBC\xEF\xBD\xAE\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBD\xB6\xEF\xBD\xAF\xEF\xBE\x84"
              ".lnk");
}

TEST(DropNameRule, OverwriteQuestionPutsTheNameFirstAndBreaksTheLineWithCrLf) {
    EXPECT_EQ(OverwriteQuestion("a.txtへのｼｮｰﾄｶｯﾄ.lnk"),
              "a.txtへのｼｮｰﾄｶｯﾄ.lnkはすでに存在します。\r\n上書きして置換えますか？");
}

TEST(DropParentFolder, WalksUpToTheRootAndStops) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Users\\me\\Desktop", "C:\\Users\\me"}, {"C:\\Users", "C:\\"},  {"C:\\", ""},
        {"C:\\Users\\", "C:\\"},   {"\\\\server\\share\\dir", "\\\\server\\share"},
        {"\\\\server\\share", ""}, {"name", ""},
    };
    for (const auto& [path, parent] : cases) EXPECT_EQ(ParentFolder(path), parent) << path;
}

TEST(DropParentFolder, AServerAloneIsARootOfTheNetworkNotAFolderOfTheCurrentDrive) {
    EXPECT_EQ(ParentFolder("\\\\server"), "");
    EXPECT_EQ(ParentFolder("\\\\server\\"), "");
    EXPECT_EQ(ParentFolder("\\\\server\\share\\"), "");
    EXPECT_EQ(ParentFolder("\\\\server\\share\\dir\\"), "\\\\server\\share");
}

}  // namespace
}  // namespace lumbra::drop
