// A length of the picture panel: whole pixels for the window system, the twips as set for the
// resize handling, which takes the picture's proportions from it at every pass.
#include <gtest/gtest.h>

#include <limits>

#include "platform/Scene.h"

namespace lumbra::platform {
namespace {

TEST(PanelLength, ReadsTheRequestBackWhileThePixelsMatch) {
    PanelLength length;
    // 3072 / 15 = 204.8 -> 205 px; as bare pixels that would read 3075.
    EXPECT_EQ(length.Request(3072.0f, 15.0f), 205);
    EXPECT_EQ(length.Read(205, 15.0f), 3072.0f);
    // Reading changes nothing: the same length again.
    EXPECT_EQ(length.Read(205, 15.0f), 3072.0f);
}

TEST(PanelLength, KeepsTheFractionOfATwip) {
    PanelLength length;
    // 2283.75 / 15 = 152.25 -> 152 px (2280 as bare pixels).
    EXPECT_EQ(length.Request(2283.75f, 15.0f), 152);
    EXPECT_EQ(length.Read(152, 15.0f), 2283.75f);
    // A half pixel goes up: 2272.5 / 15 = 151.5 -> 152 px.
    EXPECT_EQ(length.Request(2272.5f, 15.0f), 152);
    EXPECT_EQ(length.Read(152, 15.0f), 2272.5f);
}

TEST(PanelLength, ReadsBarePixelsOnceThePanelHasAnotherSize) {
    PanelLength length;
    ASSERT_EQ(length.Request(3072.0f, 15.0f), 205);
    // Something else sized the panel (the window system, another caller): its pixels count.
    EXPECT_EQ(length.Read(204, 15.0f), 3060.0f);
    EXPECT_EQ(length.Read(206, 15.0f), 3090.0f);
    EXPECT_EQ(length.Read(0, 15.0f), 0.0f);
}

TEST(PanelLength, ANewRequestReplacesTheOldOne) {
    PanelLength length;
    ASSERT_EQ(length.Request(3072.0f, 15.0f), 205);
    EXPECT_EQ(length.Request(3000.0f, 15.0f), 200);
    EXPECT_EQ(length.Read(200, 15.0f), 3000.0f);
    // The pixels of the first request are bare pixels now.
    EXPECT_EQ(length.Read(205, 15.0f), 3075.0f);
}

TEST(PanelLength, BeforeAnyRequestReadsBarePixels) {
    const PanelLength length;
    EXPECT_EQ(length.Read(0, 15.0f), 0.0f);
    EXPECT_EQ(length.Read(256, 15.0f), 3840.0f);
}

TEST(PanelLength, ZeroRequestTakesNoPixelsAndReadsZero) {
    PanelLength length;
    EXPECT_EQ(length.Request(0.0f, 15.0f), 0);
    EXPECT_EQ(length.Read(0, 15.0f), 0.0f);
}

TEST(PanelLength, NegativeRequestTakesNoPixelsAndReadsZeroNotTheRequest) {
    // What loading asks for when a stored window is smaller than its frame (150 - 315): the resize
    // pass must find no picture there, not a negative one.
    PanelLength length;
    EXPECT_EQ(length.Request(-165.0f, 15.0f), 0);
    EXPECT_EQ(length.Read(0, 15.0f), 0.0f);
    // -7.4 twips is -0.49 px, which rounds to no pixel too.
    EXPECT_EQ(length.Request(-7.4f, 15.0f), 0);
    EXPECT_EQ(length.Read(0, 15.0f), 0.0f);
}

TEST(PanelLength, RequestBelowHalfAPixelTakesNoPixelsAndReadsZero) {
    // 7 / 15 = 0.47 px -> 0 px: a panel without pixels has no length, whatever was asked.
    PanelLength length;
    EXPECT_EQ(length.Request(7.0f, 15.0f), 0);
    EXPECT_EQ(length.Read(0, 15.0f), 0.0f);
    // 7.5 / 15 = 0.5 px -> 1 px, and then the request reads back.
    EXPECT_EQ(length.Request(7.5f, 15.0f), 1);
    EXPECT_EQ(length.Read(1, 15.0f), 7.5f);
}

TEST(PanelLength, NotANumberTakesNoPixelsAndReadsZero) {
    PanelLength length;
    EXPECT_EQ(length.Request(std::numeric_limits<float>::quiet_NaN(), 15.0f), 0);
    EXPECT_EQ(length.Read(0, 15.0f), 0.0f);
}

TEST(PanelLength, FractionalTwipsPerPixel) {
    // 168 dots per inch: 1440 / 168 = 8.5714283 twips per pixel (in single precision).
    const float tpp = 1440.0f / 168.0f;
    PanelLength length;
    // 3072 / 8.5714283 = 358.4 -> 358 px.
    EXPECT_EQ(length.Request(3072.0f, tpp), 358);
    EXPECT_EQ(length.Read(358, tpp), 3072.0f);
    // 357 px = 3060 twips (357 = 7 * 51, 51 * 60 = 3060), to single precision.
    EXPECT_FLOAT_EQ(length.Read(357, tpp), 3060.0f);
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
