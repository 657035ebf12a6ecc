// The name rule of the file drop: item names, shortcut names, destinations and the question.
#include <gtest/gtest.h>

#include "drop/DropNames.h"

namespace lumbra::drop {
namespace {

TEST(DropNameRule, FileKeepsItsExtension) {
    EXPECT_EQ(ItemName("C:\\data\\report.txt"), "report.txt");
    EXPECT_EQ(ShortcutFileName(ItemName("C:\\data\\report.txt")), "report.txtへのｼｮｰﾄｶｯﾄ.lnk");
}

TEST(DropNameRule, FolderIsNamedByItsLastPart) {
    EXPECT_EQ(ItemName("C:\\data\\Docs"), "Docs");
    EXPECT_EQ(ShortcutFileName("Docs"), "Docsへのｼｮｰﾄｶｯﾄ.lnk");
    EXPECT_EQ(ItemName("\\\\server\\share\\年度 報告"), "年度 報告");
}

TEST(DropNameRule, DriveRootHasAnEmptyName) {
    EXPECT_EQ(ItemName("D:\\"), "");
    EXPECT_EQ(ShortcutFileName(ItemName("D:\\")), "へのｼｮｰﾄｶｯﾄ.lnk");
    EXPECT_EQ(InFolder("C:\\Users\\me\\Desktop", ItemName("D:\\")), "C:\\Users\\me\\Desktop\\");
}

TEST(DropNameRule, TrailingBackslashGivesAnEmptyName) {
    EXPECT_EQ(ItemName("C:\\data\\Docs\\"), "");
    EXPECT_EQ(ItemName("C:\\data\\Docs\\\\"), "");
}

TEST(DropNameRule, OnlyBackslashSeparates) {
    EXPECT_EQ(ItemName("report.txt"), "report.txt");
    EXPECT_EQ(ItemName("C:/data/report.txt"), "C:/data/report.txt");
    EXPECT_EQ(ItemName("C:\\写真\\夏 ①.jpg"), "夏 ①.jpg");
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
    EXPECT_EQ(ParentFolder("C:\\Users\\me\\Desktop"), "C:\\Users\\me");
    EXPECT_EQ(ParentFolder("C:\\Users"), "C:\\");
    EXPECT_EQ(ParentFolder("C:\\"), "");
    EXPECT_EQ(ParentFolder("C:\\Users\\"), "C:\\");
    EXPECT_EQ(ParentFolder("\\\\server\\share\\dir"), "\\\\server\\share");
    EXPECT_EQ(ParentFolder("\\\\server\\share"), "");
    EXPECT_EQ(ParentFolder("name"), "");
}

TEST(DropParentFolder, AServerAloneIsARootOfTheNetworkNotAFolderOfTheCurrentDrive) {
    EXPECT_EQ(ParentFolder("\\\\server"), "");
    EXPECT_EQ(ParentFolder("\\\\server\\"), "");
    EXPECT_EQ(ParentFolder("\\\\server\\share\\"), "");
    EXPECT_EQ(ParentFolder("\\\\server\\share\\dir\\"), "\\\\server\\share");
}

}  // namespace
}  // namespace lumbra::drop
