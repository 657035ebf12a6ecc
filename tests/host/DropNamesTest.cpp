// The name rule of the file drop: item names, parents and roots, shortcut and passing names.
#include <gtest/gtest.h>

#include "drop/DropNames.h"

namespace lumbra::drop {
namespace {

TEST(DropNames, NameParentAndRootOfAPath) {
    struct Case {
        const char* path;
        const char* name;
        const char* parent;
        bool root;
    };
    const Case cases[] = {
        {"C:\\Users\\memo.", "memo.", "C:\\Users", false}, {"C:\\Users", "Users", "C:\\", false},
        {"C:\\Users\\", "", "C:\\", false},                {"C:\\", "", "", true},
        {"C:", "C:", "", true},                            {"\\\\server\\share\\年度 報告\\", "", "\\\\server\\share", false},
        {"\\\\server\\share", "share", "", true},          {"\\\\server\\share\\", "", "", true},
        {"\\\\server", "server", "", true},                {"name", "name", "", false},
        {"\\name", "name", "", false},                     {"x\\", "", "", false},
        {"C:\\a\\b\\", "", "C:\\a", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ItemName(c.path), c.name) << c.path;
        EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
        EXPECT_EQ(IsRoot(c.path), c.root) << c.path;
    }
}

TEST(DropNames, ShortcutsQuestionsAndPassingNames) {
    // "への", then half-width "ｼｮｰﾄｶｯﾄ", then ".lnk".
    EXPECT_EQ(ShortcutFileName("a"), "a\xE3\x81\xB8\xE3\x81\xAE\xEF\xBD\xBC\xEF\xBD\xAE\xEF\xBD\xB0\xEF\xBE\x84"
                                     "\xEF\xBD\xB6\xEF\xBD\xAF\xEF\xBE\x84.lnk");
    EXPECT_EQ(InFolder("C:\\Desk", ""), "C:\\Desk\\");
    EXPECT_EQ(OverwriteQuestion("a.lnk"), "a.lnkはすでに存在します。\r\n上書きして置換えますか？");
    EXPECT_EQ(TempName("C:\\Desk", 12), "C:\\Desk\\~lumbra12.tmp");
}

}  // namespace
}  // namespace lumbra::drop
