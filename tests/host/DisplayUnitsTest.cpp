// Twips and pixels: the conversions at the system DPI, and a panel length that reads back the
// twips it was given while it keeps their pixels.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "platform/Dpi.h"
#include "platform/Scene.h"

namespace lumbra::platform {
namespace {

// At a DPI: pixels, their twips, a request in twips and the physical pixels it takes, and the
// pixels as logical ones.
TEST(Dpi, PhysicalPixelsAndTwipsAtTheSystemDpi) {
    const struct {
        int dpi, pixels;
        float twips, ask;
        int askPixels, logical;
    } cases[] = {
        {96, 1024, 15360, 3072, 205, 1024},  {96, -112, -1680, -7.5f, 0, -112}, {120, 1024, 12288, 3072, 256, 819},
        {144, 1024, 10240, 2048, 205, 683},  {144, 307, 3070, 375, 38, 205},    {144, -113, -1130, -375, -37, -75},
        {168, 7, 60, 3060, 357, 4},          {192, 3, 22.5f, 11.25f, 2, 2},     {0, 1024, 15360, 3072, 205, 1024},
        {-5, 10, 150, 30, 2, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.dpi << " DPI, " << c.pixels << " px");
        EXPECT_EQ(PixelsToTwips(c.pixels, c.dpi), c.twips);
        EXPECT_EQ(TwipsToDevicePixels(c.twips, c.dpi), c.pixels);
        EXPECT_EQ(TwipsToDevicePixels(c.ask, c.dpi), c.askPixels);
        EXPECT_EQ(LogicalPixels(c.pixels, c.dpi), c.logical);
        EXPECT_FLOAT_EQ(DeviceTwipsPerPixel(c.dpi), c.twips / static_cast<float>(c.pixels));
    }
    // Past 2^24 pixels, below -2^24, not a number, pixels of no size; DPIs the system can tell and not.
    EXPECT_EQ(std::vector<int>({TwipsToDevicePixels(251658256.0f, 96), TwipsToDevicePixels(-1e30f, 96),
                                TwipsToDevicePixels(std::numeric_limits<float>::quiet_NaN(), 96), TwipsToPixels(15, 0),
                                UsableDpi(144), UsableDpi(1), UsableDpi(0)}),
              std::vector<int>({1 << 24, -(1 << 24), 0, 0, 144, 1, 96}));
}

TEST(PanelLength, ReadsBackTheTwipsAskedForWhileThePanelKeepsTheirPixels) {
    const struct {
        float twips, tpp;
        int pixels;
        float readBack;
    } cases[] = {{3072, 15, 205, 3072}, {2283.75f, 15, 152, 2283.75f}, {7.5f, 15, 1, 7.5f}, {7, 15, 0, 0},
                 {-165, 15, 0, 0},      {3072, 1440.0f / 168, 358, 3072}};
    for (const auto& c : cases) {
        PanelLength length;
        EXPECT_EQ(length.Request(c.twips, c.tpp), c.pixels) << c.twips;
        EXPECT_EQ(length.Read(c.pixels, c.tpp), c.readBack) << c.twips;
    }
    PanelLength length;
    EXPECT_EQ(length.Read(256, 15.0f), 3840.0f) << "before any request: bare pixels";
    length.Request(3072.0f, 15.0f);
    length.Request(2272.5f, 15.0f);  // the last request counts; other pixels read bare
    EXPECT_EQ(std::vector<float>({length.Read(152, 15.0f), length.Read(205, 15.0f)}), std::vector<float>({2272.5f, 3075}));
}

}  // namespace
}  // namespace lumbra::platform
