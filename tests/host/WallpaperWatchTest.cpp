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
        composer.Compose(panel, {path, 0, 2, "-1", 0}, {3075.0f, 2310.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}});
    }
    std::string current;
    int recompositions = 0;
    Composer composer{services, [this] {
                          ++recompositions;
                          Compose(current);
                      }};
    platform::Scene panel{15.0f, 15.0f};
};

TEST_F(WallpaperWatch, TheShownFilesChangesRecomposeAndOtherFilesDoNot) {
    env.Set("SLIDES", "C:\\Slides");
    Compose("%SLIDES%\\now.jpg");
    EXPECT_EQ(watch.watched, "C:\\Slides\\now.jpg");
    watch.Fire();  // the folder is watched even before the file is there
    EXPECT_EQ(recompositions, 0);
    files.PutPicture("C:\\Slides\\now.jpg", 800, 600);
    watch.Fire();
    EXPECT_EQ(recompositions, 1);
    EXPECT_NE(panel.Find("imgWall")->Picture(), nullptr);
    files.PutPicture("C:\\Slides\\next.jpg", 800, 600);
    watch.Fire();
    files.Touch("C:\\Slides\\now.jpg");
    watch.Fire();
    EXPECT_EQ(recompositions, 2);
    files.Remove("C:\\Slides\\now.jpg");
    watch.Fire();
    EXPECT_EQ(recompositions, 3);
    EXPECT_EQ(panel.Find("imgWall")->Picture(), nullptr);
    EXPECT_EQ(watch.watchCalls, 1);  // compositions keep the watch in place
}

TEST_F(WallpaperWatch, AnotherWallpaperMovesTheWatchNoneStopsItAndAFailedOneIsTriedAgain) {
    Compose("C:\\w\\a.jpg");
    Compose("D:\\other\\b.jpg");
    EXPECT_EQ(watch.watched, "D:\\other\\b.jpg");
    Compose("(なし)");
    EXPECT_FALSE(watch.callback);
    EXPECT_FALSE(composer.Watching());
    watch.failing = true;
    Compose("Q:\\gone\\a.jpg");
    EXPECT_FALSE(composer.Watching());
    watch.failing = false;
    Compose("Q:\\gone\\a.jpg");
    EXPECT_TRUE(composer.Watching());
    EXPECT_EQ(watch.watchCalls, 4);
}

TEST(WallpaperWatchLifetime, TheWatchEndsWithTheComposer) {
    fakes::WallpaperWorld world;
    {
        Composer composer(world.services, [] {});
        platform::Scene panel;
        composer.Compose(panel, {"C:\\w\\a.jpg", 0, 0, "-1", 0}, {3075.0f, 2310.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}});
        ASSERT_TRUE(world.watch.callback);
    }
    EXPECT_FALSE(world.watch.callback);
}

}  // namespace
}  // namespace lumbra::desktop
