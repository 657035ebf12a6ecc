// The wallpaper is decoded once per file version and kept at the size the panel shows; the
// composition after a rewrite, a new file or a much larger panel decodes again.
#include <gtest/gtest.h>

#include <memory>

#include "desktop/Composer.h"
#include "desktop/PictureCache.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::desktop {
namespace {

class WallpaperCache : public ::testing::Test, protected fakes::WallpaperWorld {
protected:
    void Compose(const std::string& path, std::int16_t tile = 0, std::int16_t style = 0) {
        composer.Compose(panel, {path, tile, style, "-1", 0}, metrics);
    }
    const platform::PictureRef& Shown() { return panel.Find("imgWall")->Picture(); }
    int DecodeOfShown() { return dynamic_cast<const fakes::FakePicture&>(*Shown()).Decode(); }
    // The wheel zoom: the panel grows or shrinks, proportions kept.
    void Zoom(float panelWidth) {
        metrics.height = metrics.height * panelWidth / metrics.width;
        metrics.width = panelWidth;
    }

    Composer composer{services, [] {}};
    platform::Scene panel{15.0f, 15.0f};
    // A 1024 x 768 screen, the panel a fifth of it: 204.8 x 153.6 pixels, taken as 205 x 154.
    PanelMetrics metrics{3075.0f, 2310.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}};
};

TEST_F(WallpaperCache, RepeatedCompositionsOfTheSameFileDecodeOnce) {
    files.PutPicture("C:\\w\\4k.jpg", 3840, 2160);
    Compose("C:\\w\\4k.jpg", 0, 10);
    const platform::PictureRef first = Shown();
    for (int i = 0; i < 20; ++i) Compose("C:\\w\\4k.jpg", 0, 10);
    EXPECT_EQ(files.Loads(), 1);
    EXPECT_EQ(Shown(), first);  // the very same copy, not even scaled again
    EXPECT_EQ(composer.Cache().Decodes(), 1);
    EXPECT_EQ(files.Scales(), 1);
}

TEST_F(WallpaperCache, TheFullSizePictureIsNeverDecodedForASmallPanel) {
    files.PutPicture("C:\\w\\4k.jpg", 3840, 2160);
    Compose("C:\\w\\4k.jpg", 0, 10);  // filled: 274 x 154 pixels
    EXPECT_EQ(Shown()->PixelWidth(), 274);
    EXPECT_EQ(Shown()->PixelHeight(), 154);
    ASSERT_EQ(files.DecodedSizes().size(), 1u);
    const platform::PixelSize master = files.DecodedSizes()[0];
    // With the headroom, half as large again as shown, far below 3840 x 2160.
    EXPECT_GE(master.width, 274);
    EXPECT_GE(master.height, 154);
    EXPECT_LE(master.width, 274 * 3 / 2 + 1);
    EXPECT_LE(master.height, 154 * 3 / 2 + 1);
}

TEST_F(WallpaperCache, AFileRewrittenOrOfAnotherLengthIsDecodedAgainOnce) {
    files.PutPicture("C:\\w\\slide.jpg", 800, 600, 5000);
    Compose("C:\\w\\slide.jpg");
    files.Touch("C:\\w\\slide.jpg");  // same length, later write time
    Compose("C:\\w\\slide.jpg");
    EXPECT_EQ(files.Loads(), 2);
    EXPECT_EQ(DecodeOfShown(), 2);
    Compose("C:\\w\\slide.jpg");
    EXPECT_EQ(files.Loads(), 2);
    files.Resize("C:\\w\\slide.jpg", 5001);  // another length, the same write time
    Compose("C:\\w\\slide.jpg");
    EXPECT_EQ(files.Loads(), 3);
}

TEST_F(WallpaperCache, AnotherFileReplacesTheKeptCopies) {
    files.PutPicture("C:\\w\\a.jpg", 800, 600);
    files.PutPicture("C:\\w\\b.jpg", 800, 600);
    Compose("C:\\w\\a.jpg");
    std::weak_ptr<const platform::Picture> old = Shown();
    Compose("C:\\w\\b.jpg");
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(files.LoadedPaths(), (std::vector<std::string>{"C:\\w\\a.jpg", "C:\\w\\b.jpg"}));
    // Back to the first: it was not kept, so it is read again.
    Compose("C:\\w\\a.jpg");
    EXPECT_EQ(files.Loads(), 3);
}

TEST_F(WallpaperCache, NoWallpaperFreesThePicture) {
    files.PutPicture("C:\\w\\a.jpg", 800, 600);
    Compose("C:\\w\\a.jpg");
    std::weak_ptr<const platform::Picture> old = Shown();
    Compose("(なし)");
    EXPECT_TRUE(old.expired());
}

TEST_F(WallpaperCache, ChangingModeAtTheSameSizeNeedsNoDecode) {
    files.PutPicture("C:\\w\\4k.jpg", 3840, 2160);
    Compose("C:\\w\\4k.jpg", 0, 10);  // fill: 274 x 154, the master 411 x 231
    Compose("C:\\w\\4k.jpg", 0, 6);   // fit: 205 x 115
    EXPECT_EQ(files.Loads(), 1);
    Compose("C:\\w\\4k.jpg", 0, 0);   // centre: 769 x 433 is more than the master holds
    EXPECT_EQ(files.Loads(), 2);
    EXPECT_EQ(Shown()->PixelWidth(), 769);
    Compose("C:\\w\\4k.jpg", 0, 6);
    EXPECT_EQ(files.Loads(), 2);
    EXPECT_EQ(Shown()->PixelWidth(), 205);
}

TEST_F(WallpaperCache, ZoomingInWithinTheHeadroomScalesTheKeptCopyWithoutDecoding) {
    files.PutPicture("C:\\w\\4k.jpg", 3840, 2160);
    Compose("C:\\w\\4k.jpg", 0, 2);
    const int scales = files.Scales();
    Zoom(3450.0f);  // 230 x 173 pixels, within the master's 411 x 231
    Compose("C:\\w\\4k.jpg", 0, 2);
    EXPECT_EQ(files.Loads(), 1);
    EXPECT_EQ(files.Scales(), scales + 1);
    EXPECT_EQ(Shown()->PixelWidth(), 230);
    EXPECT_EQ(Shown()->PixelHeight(), 173);
    Zoom(2250.0f);  // smaller than ever: still from the kept copy
    Compose("C:\\w\\4k.jpg", 0, 2);
    EXPECT_EQ(files.Loads(), 1);
    EXPECT_EQ(Shown()->PixelWidth(), 150);
}

TEST_F(WallpaperCache, ZoomingBeyondTheKeptCopyDecodesOnceMore) {
    files.PutPicture("C:\\w\\4k.jpg", 3840, 2160);
    Compose("C:\\w\\4k.jpg", 0, 2);
    Zoom(6000.0f);  // 400 x 300 pixels: taller than the master's 411 x 231
    Compose("C:\\w\\4k.jpg", 0, 2);
    EXPECT_EQ(files.Loads(), 2);
    EXPECT_EQ(Shown()->PixelWidth(), 400);
    EXPECT_GE(files.DecodedSizes().back().width, 400);
}

TEST_F(WallpaperCache, PictureSmallerThanItsShownSizeIsDecodedWholeAndScaledUp) {
    files.PutPicture("C:\\w\\small.png", 40, 30);
    Compose("C:\\w\\small.png", 0, 2);
    EXPECT_EQ(files.DecodedSizes().back(), (platform::PixelSize{40, 30}));
    EXPECT_EQ(Shown()->PixelWidth(), 205);
    Zoom(9000.0f);
    Compose("C:\\w\\small.png", 0, 2);
    EXPECT_EQ(files.Loads(), 1);  // the whole picture is already there
    EXPECT_EQ(Shown()->PixelWidth(), 600);
}

TEST_F(WallpaperCache, MissingFileIsNotOpenedAndIsReadOnceItAppears) {
    Compose("C:\\w\\later.jpg");
    EXPECT_EQ(files.Loads(), 0);
    EXPECT_EQ(Shown(), nullptr);
    files.PutPicture("C:\\w\\later.jpg", 800, 600);
    Compose("C:\\w\\later.jpg");
    EXPECT_EQ(files.Loads(), 1);
    EXPECT_NE(Shown(), nullptr);
}

TEST_F(WallpaperCache, DamagedFileIsNotRetriedUntilItChanges) {
    files.PutDamaged("C:\\w\\half.jpg");
    Compose("C:\\w\\half.jpg");
    Compose("C:\\w\\half.jpg");
    EXPECT_EQ(files.Loads(), 1);
    EXPECT_EQ(Shown(), nullptr);
    files.PutPicture("C:\\w\\half.jpg", 800, 600);  // the writer finished
    Compose("C:\\w\\half.jpg");
    EXPECT_EQ(files.Loads(), 2);
    EXPECT_NE(Shown(), nullptr);
}

TEST(CopySizes, CopiesAreCappedWithTheirProportions) {
    EXPECT_EQ(CappedCopySize({1000, 500}), (platform::PixelSize{1000, 500}));
    const platform::PixelSize capped = CappedCopySize({100000, 400});  // a banner, filled
    EXPECT_LE(static_cast<std::uint64_t>(capped.width) * capped.height, PictureCache::kMaxCopyPixels);
    EXPECT_NEAR(static_cast<double>(capped.width) / capped.height, 250.0, 1.0);
}

TEST(CopySizes, MasterHasHeadroomButNeverExceedsTheNaturalSize) {
    EXPECT_EQ(MasterSize({200, 100}, {4000, 2000}), (platform::PixelSize{300, 150}));
    EXPECT_EQ(MasterSize({200, 100}, {250, 125}), (platform::PixelSize{250, 125}));
    EXPECT_EQ(MasterSize({500, 100}, {250, 125}), (platform::PixelSize{250, 125}));
    // Shown out of the picture's proportions (stretched): the master covers both directions.
    const platform::PixelSize m = MasterSize({200, 200}, {4000, 1000});
    EXPECT_GE(m.width, 200);
    EXPECT_GE(m.height, 200);
    EXPECT_EQ(m.width, 4 * m.height);
}

}  // namespace
}  // namespace lumbra::desktop
