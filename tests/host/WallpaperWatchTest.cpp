// The miniature follows its wallpaper file through a folder watch that never holds anything up:
// set up once per path, set up again after it broke, let go while its drive is removed and taken
// up again when the drive is back; a change of the shown file recomposes.
#include <gtest/gtest.h>

#include <sstream>

#include "desktop/Composer.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::desktop {
namespace {

using platform::FolderEvent;

class WallpaperWatch : public ::testing::Test, protected fakes::WallpaperWorld {
protected:
    void Compose(const std::string& path) {
        current = path;
        composer.Compose(panel, {path, 0, 2, "-1", 0}, {3075.0f, 2310.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}});
    }
    // Words: "a" or "b" composes that wallpaper, "none" none; "fail", "slow" and "ok" make the
    // folders opened from then on fail, answer only later or open at once; "touch" and "other" rewrite the shown
    // file or another one; the rest are the events of the watch.
    void Run(const std::string& script) {
        std::istringstream words(script);
        const std::map<std::string, FolderEvent> events{
            {"Opened", FolderEvent::Opened}, {"OpenFailed", FolderEvent::OpenFailed}, {"Changed", FolderEvent::Changed},
            {"Broken", FolderEvent::Broken}, {"Leaving", FolderEvent::VolumeLeaving}, {"Back", FolderEvent::VolumeBack}};
        for (std::string word; words >> word;) {
            if (word == "a" || word == "b") Compose("C:\\" + word + "\\wall.jpg");
            if (word == "none") Compose("(なし)");
            if (word == "fail") watch.answer = FolderEvent::OpenFailed;
            if (word == "slow") watch.answer.reset();
            if (word == "ok") watch.answer = FolderEvent::Opened;
            if (word == "touch") files.Touch("C:\\a\\wall.jpg");
            if (word == "other") files.PutPicture("C:\\a\\other.jpg", 10, 10);
            if (events.contains(word)) watch.Send(events.at(word));
        }
    }

    std::string current;
    int recompositions = 0;
    Composer composer{services, [this] {
                          ++recompositions;
                          Compose(current);
                      }};
    platform::Scene panel{15.0f, 15.0f};
};

TEST_F(WallpaperWatch, FoldersAreOpenedOncePerPathAgainAfterABreakAndWhenTheirDriveIsBack) {
    const struct {
        const char* script;
        const char* opened;  // the folders' files opened, in order
        bool open, watching;
        int recompositions;
    } cases[] = {
        {"a a a", "a", true, true, 0}, {"fail a a a", "a", true, false, 0},  // a share that is gone is asked once
        {"fail a a b", "a b", true, false, 0}, {"slow a a a", "a", true, false, 0},  // no composition waits for it
        {"slow a a Opened", "a", true, true, 0}, {"a Broken", "a", true, false, 0},
        {"a Broken a a", "a a", true, true, 0},  // set up again at the next composition, once
        {"a Leaving", "a", false, false, 0}, {"a Leaving a Back", "a a", true, true, 0},  // the drive let go, taken up again
        {"fail a Back", "a a", true, false, 0}, {"a Back Opened", "a", true, true, 0},
        {"a none Back Broken Changed", "a", false, false, 0}, {"a Changed other Changed", "a", true, true, 0},
        {"a touch Changed Changed", "a", true, true, 1}, {"a touch Broken", "a a", true, true, 1},
        {"fail a touch Back", "a a", true, false, 0}, {"fail a touch ok Back", "a a", true, true, 1},  // back with the file
    };
    for (const auto& c : cases) {
        watch.answer = FolderEvent::Opened;
        watch.opened.clear();
        watch.open = false;
        recompositions = 0;
        files.PutPicture("C:\\a\\wall.jpg", 800, 600);
        Compose("(なし)");
        Run(c.script);
        std::string opened;
        for (const std::string& file : watch.opened) opened += (opened.empty() ? "" : " ") + file.substr(3, 1);
        EXPECT_EQ(opened, c.opened) << c.script;
        EXPECT_EQ(watch.open, c.open) << c.script;
        EXPECT_EQ(composer.Watching(), c.watching) << c.script;
        EXPECT_EQ(recompositions, c.recompositions) << c.script;
    }
}

TEST_F(WallpaperWatch, TheWatchedFileIsTheExpandedPathAndTheWatchEndsWithTheComposer) {
    env.Set("SLIDES", "C:\\Slides");
    Compose("%SLIDES%\\now.jpg");
    EXPECT_EQ(watch.opened.back(), "C:\\Slides\\now.jpg");
    fakes::WallpaperWorld world;
    {
        Composer other(world.services, [] {});
        other.Compose(panel, {"C:\\a\\wall.jpg", 0, 0, "-1", 0}, {3075.0f, 2310.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}});
        ASSERT_TRUE(world.watch.open);
    }
    EXPECT_FALSE(world.watch.open);
    EXPECT_FALSE(world.watch.listener);
}

}  // namespace
}  // namespace lumbra::desktop
