// The name rule of the file drop: item names, parents and roots. (The names the commands make,
// shortcuts, questions and passing names, are read back in the commands' tests.)
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

}  // namespace
}  // namespace lumbra::drop
