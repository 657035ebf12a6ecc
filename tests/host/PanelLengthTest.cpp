// A length of the picture panel: whole pixels for the window system, the twips as set for the
// resize handling, which takes the picture's proportions from it at every pass.
#include <gtest/gtest.h>

#include <limits>

#include "platform/Scene.h"

namespace lumbra::platform {
namespace {

// 168 dots per inch: 1440 / 168 = 8.5714283 twips per pixel (in single precision).
const float k168Dpi = 1440.0f / 168.0f;

TEST(PanelLength, ARequestTakesTheNearestWholePixelsAndReadsBackAsAskedWhileTheyMatch) {
    const struct {
        float twips;
        float twipsPerPixel;
        int pixels;
        float readBack;
        const char* why;
    } cases[] = {
        {3072.0f, 15.0f, 205, 3072.0f, "204.8 px; as bare pixels it would read 3075"},
        {2283.75f, 15.0f, 152, 2283.75f, "152.25 px: the fraction of a twip is kept (2280 as bare pixels)"},
        {2272.5f, 15.0f, 152, 2272.5f, "151.5 px: a half pixel goes up"},
        {7.5f, 15.0f, 1, 7.5f, "0.5 px -> 1 px"},
        {7.0f, 15.0f, 0, 0.0f, "0.47 px -> 0 px: a panel without pixels has no length, whatever was asked"},
        {0.0f, 15.0f, 0, 0.0f, "nothing"},
        // What loading asks for when a stored window is smaller than its frame (150 - 315): the
        // resize pass must find no picture there, not a negative one.
        {-165.0f, 15.0f, 0, 0.0f, "negative"},
        {-7.4f, 15.0f, 0, 0.0f, "-0.49 px rounds to no pixel either"},
        {std::numeric_limits<float>::quiet_NaN(), 15.0f, 0, 0.0f, "not a number"},
        {3072.0f, k168Dpi, 358, 3072.0f, "3072 / 8.5714283 = 358.4 px"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.twips << " twips at " << c.twipsPerPixel << ": " << c.why);
        PanelLength length;
        EXPECT_EQ(length.Request(c.twips, c.twipsPerPixel), c.pixels);
        EXPECT_EQ(length.Read(c.pixels, c.twipsPerPixel), c.readBack);
        EXPECT_EQ(length.Read(c.pixels, c.twipsPerPixel), c.readBack) << "reading changes nothing";
    }
}

TEST(PanelLength, ReadsBarePixelsOnceThePanelHasAnotherSizeAndANewRequestReplacesTheOld) {
    PanelLength length;
    ASSERT_EQ(length.Request(3072.0f, 15.0f), 205);
    // Something else sized the panel (the window system, another caller): its pixels count.
    EXPECT_EQ(length.Read(204, 15.0f), 3060.0f);
    EXPECT_EQ(length.Read(206, 15.0f), 3090.0f);
    EXPECT_EQ(length.Read(0, 15.0f), 0.0f);
    // A new request replaces the old one; the pixels of the first are bare pixels now.
    EXPECT_EQ(length.Request(3000.0f, 15.0f), 200);
    EXPECT_EQ(length.Read(200, 15.0f), 3000.0f);
    EXPECT_EQ(length.Read(205, 15.0f), 3075.0f);
    // Even one that takes the same pixels: 2283.75 and then 2272.5 twips are both 152 px.
    ASSERT_EQ(length.Request(2283.75f, 15.0f), 152);
    ASSERT_EQ(length.Request(2272.5f, 15.0f), 152);
    EXPECT_EQ(length.Read(152, 15.0f), 2272.5f);
    // 357 px at 168 dots per inch = 3060 twips (357 = 7 * 51, 51 * 60 = 3060), to single precision.
    EXPECT_FLOAT_EQ(length.Read(357, k168Dpi), 3060.0f);
}

TEST(PanelLength, BeforeAnyRequestReadsBarePixels) {
    const PanelLength length;
    EXPECT_EQ(length.Read(0, 15.0f), 0.0f);
    EXPECT_EQ(length.Read(256, 15.0f), 3840.0f);
}

TEST(PanelLength, EachAxisRemembersItsOwnRequest) {
    PanelLength width;
    PanelLength height;
    ASSERT_EQ(width.Request(3072.0f, 15.0f), 205);
    ASSERT_EQ(height.Request(3075.0f, 15.0f), 205);
    EXPECT_EQ(width.Read(205, 15.0f), 3072.0f);
    EXPECT_EQ(height.Read(205, 15.0f), 3075.0f);
}

}  // namespace
}  // namespace lumbra::platform
