// Twips and pixels: the conversions at the system DPI, and a panel length that reads back the
// twips it was given while it keeps their pixels.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "platform/Dpi.h"
#include "platform/Scene.h"

namespace lumbra::platform {
namespace {

TEST(Dpi, PhysicalPixelsAndTwipsAtTheSystemDpi) {
    const struct {
        int dpi, pixels;
        float twips;     // of those pixels
        float ask;       // a request in twips ...
        int askPixels;   // ... and the physical pixels it takes
        int logical;     // the pixels as logical ones
    } cases[] = {
        {96, 1024, 15360, 3072, 205, 1024},  {96, -112, -1680, -7.5f, 0, -112}, {120, 1024, 12288, 3072, 256, 819},
        {144, 1024, 10240, 2048, 205, 683},  {144, 307, 3070, 375, 38, 205},    {144, -113, -1130, -375, -37, -75},
        {168, 7, 60, 3060, 357, 4},          {192, 3, 22.5f, 11.25f, 2, 2},     {0, 1024, 15360, 3072, 205, 1024},
        {-5, 10, 150, 30, 2, 10},
    };
    for (const auto& c : cases) {
        const int back = TwipsToDevicePixels(PixelsToTwips(c.pixels, c.dpi), c.dpi);
        EXPECT_EQ(std::vector<float>({PixelsToTwips(c.pixels, c.dpi), static_cast<float>(back),
                                      static_cast<float>(TwipsToDevicePixels(c.ask, c.dpi)),
                                      static_cast<float>(LogicalPixels(c.pixels, c.dpi)), DeviceTwipsPerPixel(c.dpi)}),
                  std::vector<float>({c.twips, static_cast<float>(c.pixels), static_cast<float>(c.askPixels),
                                      static_cast<float>(c.logical), 1440.0f / static_cast<float>(UsableDpi(c.dpi))}))
            << c.dpi << " DPI, " << c.pixels << " px";
    }
    EXPECT_EQ(std::vector<int>({UsableDpi(144), UsableDpi(1), UsableDpi(0)}), std::vector<int>({144, 1, 96}));
}

TEST(PanelLength, ReadsBackTheTwipsAskedForWhileThePanelKeepsTheirPixels) {
    const struct {
        float twips, tpp;
        int pixels;
        float readBack;
    } cases[] = {{3072, 15, 205, 3072}, {2283.75f, 15, 152, 2283.75f}, {7.5f, 15, 1, 7.5f}, {7, 15, 0, 0},
                 {-165, 15, 0, 0},      {std::numeric_limits<float>::quiet_NaN(), 15, 0, 0},
                 {3072, 1440.0f / 168, 358, 3072}};
    for (const auto& c : cases) {
        PanelLength length;
        EXPECT_EQ(length.Request(c.twips, c.tpp), c.pixels) << c.twips;
        EXPECT_EQ(length.Read(c.pixels, c.tpp), c.readBack) << c.twips;
    }
    PanelLength length;
    EXPECT_EQ(length.Read(256, 15.0f), 3840.0f) << "before any request: bare pixels";
    ASSERT_EQ(length.Request(3072.0f, 15.0f), 205);
    EXPECT_EQ(std::vector<float>({length.Read(204, 15.0f), length.Read(206, 15.0f)}), std::vector<float>({3060, 3090}))
        << "sized by something else: its pixels count";
    ASSERT_EQ(length.Request(2272.5f, 15.0f), 152);
    EXPECT_EQ(std::vector<float>({length.Read(152, 15.0f), length.Read(205, 15.0f)}), std::vector<float>({2272.5f, 3075}))
        << "the last request counts";
}

}  // namespace
}  // namespace lumbra::platform
