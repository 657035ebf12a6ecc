#include <gtest/gtest.h>

#include "desktop/NumericValue.h"

namespace lumbra::desktop {
namespace {

TEST(NumericValue, ReadsTheNumberAtTheStart) {
    EXPECT_EQ(NumericValue("42"), 42.0);
}

}  // namespace
}  // namespace lumbra::desktop
