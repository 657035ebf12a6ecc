// The name rule of the file drop: item names, parents and roots, shortcut names, the question.
#include <gtest/gtest.h>

#include "drop/DropNames.h"

namespace lumbra::drop {
namespace {

TEST(DropNames, AnItemIsNamedByThePartAfterItsLastBackslash) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\data\\report.txt", "report.txt"}, {"\\\\server\\share\\年度 報告", "年度 報告"},
        {"C:\\data\\memo.", "memo."},           {"D:\\", ""},
        {"C:\\data\\Docs\\", ""},               {"report.txt", "report.txt"},
        {"C:/data/report.txt", "C:/data/report.txt"},  // only a backslash separates
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(ItemName(path), name) << path;
}

TEST(DropNames, ParentsWalkUpToARootWhichNoFolderHolds) {
    struct Case {
        const char* path;
        const char* parent;
        bool root;
    };
    const Case cases[] = {
        {"C:\\Users\\me", "C:\\Users", false}, {"C:\\Users", "C:\\", false},  {"C:\\Users\\", "C:\\", false},
        {"C:\\", "", true},                    {"C:", "", true},              {"\\\\server\\share\\dir\\", "\\\\server\\share", false},
        {"\\\\server\\share", "", true},       {"\\\\server\\share\\", "", true}, {"\\\\server", "", true},
        {"name", "", false},                   {"\\name", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
        EXPECT_EQ(IsRoot(c.path), c.root) << c.path;
    }
}

TEST(DropNames, ShortcutsQuestionsAndPassingNames) {
    // "への", then half-width "ｼｮｰﾄｶｯﾄ", then ".lnk".
    EXPECT_EQ(ShortcutFileName("a.txt"), "a.txt\xE3\x81\xB8\xE3\x81\xAE\xEF\xBD\xBC\xEF\xBD\xAE\xEF\xBD\xB0\xEF\xBE\x84"
                                         "\xEF\xBD\xB6\xEF\xBD\xAF\xEF\xBE\x84.lnk");
    EXPECT_EQ(InFolder("C:\\Desk", ""), "C:\\Desk\\");
    EXPECT_EQ(OverwriteQuestion("a.lnk"), "a.lnkはすでに存在します。\r\n上書きして置換えますか？");
    EXPECT_EQ(TempName("C:\\Desk", 12), "C:\\Desk\\~lumbra12.tmp");
}

}  // namespace
}  // namespace lumbra::drop
