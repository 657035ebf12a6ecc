// The miniature follows a wallpaper file that changes without a settings-change message: the
// folder of the shown file is watched, and a change of that file (not of its neighbours)
// recomposes.
#include <gtest/gtest.h>

#include "desktop/Composer.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::desktop {
namespace {

class WallpaperWatch : public ::testing::Test, protected fakes::WallpaperWorld {
protected:
    void Compose(const std::string& path) {
        current = path;
        composer.Compose(panel, {path, 0, 2, "-1", 0}, metrics);
    }
    // What the window does when told the file changed: compose again from the settings.
    void Recompose() {
        ++recompositions;
        Compose(current);
    }

    std::string current;
    int recompositions = 0;
    Composer composer{services, [this] { Recompose(); }};
    platform::Scene panel{15.0f, 15.0f};
    PanelMetrics metrics{3075.0f, 2310.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}};
};

TEST_F(WallpaperWatch, TheShownFileIsWatchedWithItsVariableExpanded) {
    env.Set("SLIDES", "C:\\Slides");
    files.PutPicture("C:\\Slides\\now.jpg", 800, 600);
    Compose("%SLIDES%\\now.jpg");
    EXPECT_TRUE(watch.Active());
    EXPECT_EQ(watch.WatchedFile(), "C:\\Slides\\now.jpg");
    EXPECT_TRUE(composer.Watching());
}

TEST_F(WallpaperWatch, RepaintsKeepTheWatchInPlace) {
    files.PutPicture("C:\\w\\a.jpg", 800, 600);
    Compose("C:\\w\\a.jpg");
    Compose("C:\\w\\a.jpg");
    Compose("C:\\w\\a.jpg");
    EXPECT_EQ(watch.WatchCalls(), 1);
}

TEST_F(WallpaperWatch, AnotherWallpaperMovesTheWatchAndNoneStopsIt) {
    files.PutPicture("C:\\w\\a.jpg", 800, 600);
    files.PutPicture("D:\\other\\b.jpg", 800, 600);
    Compose("C:\\w\\a.jpg");
    Compose("D:\\other\\b.jpg");
    EXPECT_EQ(watch.WatchCalls(), 2);
    EXPECT_EQ(watch.WatchedFile(), "D:\\other\\b.jpg");
    Compose("(なし)");
    EXPECT_FALSE(watch.Active());
    EXPECT_FALSE(composer.Watching());
    EXPECT_EQ(watch.StopCalls(), 1);
}

TEST_F(WallpaperWatch, RewritingTheFileInPlaceRecomposesWithTheNewPicture) {
    files.PutPicture("C:\\w\\slide.jpg", 800, 600);
    Compose("C:\\w\\slide.jpg");
    const platform::PictureRef before = panel.Find("imgWall")->Picture();
    files.Touch("C:\\w\\slide.jpg");
    watch.Fire();
    EXPECT_EQ(recompositions, 1);
    EXPECT_EQ(files.Loads(), 2);
    EXPECT_NE(panel.Find("imgWall")->Picture(), before);
    // The watch stays on the same file and fires no more without a change.
    watch.Fire();
    EXPECT_EQ(recompositions, 1);
    EXPECT_EQ(watch.WatchCalls(), 1);
}

TEST_F(WallpaperWatch, ChangesToOtherFilesOfTheFolderAreIgnored) {
    files.PutPicture("C:\\w\\slide.jpg", 800, 600);
    Compose("C:\\w\\slide.jpg");
    files.PutPicture("C:\\w\\next.jpg", 800, 600);
    watch.Fire();
    EXPECT_EQ(recompositions, 0);
    EXPECT_EQ(files.Loads(), 1);
}

TEST_F(WallpaperWatch, FileThatAppearsOrDisappearsRecomposes) {
    Compose("C:\\w\\soon.jpg");
    EXPECT_TRUE(watch.Active());  // the folder is there even if the file is not yet
    watch.Fire();
    EXPECT_EQ(recompositions, 0);
    files.PutPicture("C:\\w\\soon.jpg", 800, 600);
    watch.Fire();
    EXPECT_EQ(recompositions, 1);
    EXPECT_NE(panel.Find("imgWall")->Picture(), nullptr);
    files.Remove("C:\\w\\soon.jpg");
    watch.Fire();
    EXPECT_EQ(recompositions, 2);
    EXPECT_EQ(panel.Find("imgWall")->Picture(), nullptr);
}

TEST_F(WallpaperWatch, FolderThatCannotBeWatchedIsTriedAgainAtTheNextComposition) {
    watch.SetFailing(true);
    Compose("Q:\\gone\\a.jpg");
    EXPECT_FALSE(composer.Watching());
    watch.SetFailing(false);
    Compose("Q:\\gone\\a.jpg");
    EXPECT_TRUE(composer.Watching());
    EXPECT_EQ(watch.WatchCalls(), 2);
}

TEST(WallpaperWatchLifetime, TheWatchEndsWithTheComposer) {
    fakes::WallpaperWorld world;
    {
        Composer composer(world.services, [] {});
        platform::Scene panel;
        composer.Compose(panel, {"C:\\w\\a.jpg", 0, 0, "-1", 0}, {3075.0f, 2310.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}});
        ASSERT_TRUE(world.watch.Active());
    }
    EXPECT_FALSE(world.watch.Active());
}

}  // namespace
}  // namespace lumbra::desktop
