// The main window's side of the miniature: composed again when the file changes, and a
// double-click opens the wallpaper the settings name.
#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeNotifyIcon.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/FakeSystemInfo.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::app {
namespace {

struct WallpaperForm : fakes::WallpaperWorld {
    explicit WallpaperForm(const char* wallpaper) {
        window.PlacePanel(3840.0f, 2880.0f);
        if (wallpaper) profile.Put("WIN.INI", "Desktop", "Wallpaper", wallpaper);
        profile.Put("WIN.INI", "Desktop", "WallPaperStyle", "2");
        profile.Put("WIN.INI", "Desktop", "TileWallpaper", "0");
    }
    fakes::FakeSettingsStore settings;
    fakes::FakeProfileFile profile;
    fakes::FakeRegistry registry;
    fakes::FakeSystemInfo system;
    fakes::FakeMainWindow window;
    fakes::FakeNotifyIcon prcIcon;
    frmMain form{FormServices{.settings = settings, .profile = profile, .registry = registry, .system = system,
                              .window = window, .prcIcon = prcIcon, .wallpaper = &services}};
};

TEST(DrawScreen, AWallpaperFileRewrittenInPlaceIsComposedAgainWithoutAnyMessage) {
    WallpaperForm h("C:\\w\\photo.jpg");
    h.files.PutPicture("C:\\w\\photo.jpg", 800, 600);
    h.form.DrawScreen();
    h.files.Touch("C:\\w\\photo.jpg");
    h.watch.Send(platform::FolderEvent::Changed);
    EXPECT_EQ(h.window.RefreshCount(), 2);
}

TEST(imgWall_DblClick, OpensTheWallpaperAsTheSettingsNameItWithTheShellsOpenVerb) {
    const struct {
        const char *profile, *registry, *opened;  // nullptr: none
    } cases[] = {
        {"C:\\w\\photo.jpg", nullptr, "C:\\w\\photo.jpg"}, {"%WALLS%\\sea.bmp", nullptr, "%WALLS%\\sea.bmp"},  // unexpanded
        {nullptr, nullptr, nullptr}, {"C:\\w\\photo.jpg", "C:\\w\\reg.jpg", "C:\\w\\reg.jpg"},  // the settings' choice
    };
    for (const auto& c : cases) {
        WallpaperForm h(c.profile);
        h.env.Set("WALLS", "D:\\Walls");
        if (c.registry) h.registry.PutString(platform::RootKey::CurrentUser, desktop::kDesktopGeneralKey, "Wallpaper", c.registry);
        h.form.imgWall_DblClick();
        using Call = fakes::FakeShellLauncher::Call;
        const std::vector<Call> expected{Call{fakes::FakeMainWindow::kWindowHandle, "open", c.opened ? c.opened : "", "", "", 1}};
        EXPECT_EQ(h.shell.calls, c.opened ? expected : std::vector<Call>{}) << (c.profile ? c.profile : "none");
    }
}

}  // namespace
}  // namespace lumbra::app
