// The main window's side of the miniature: DrawScreen composes from the settings (nothing while
// loading) and a double-click opens the wallpaper as the settings name it.
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

// frmMain on a 1024 x 768 screen with a panel of 3840 x 2880 twips.
struct WallpaperForm : fakes::WallpaperWorld {
    WallpaperForm() {
        window.PlacePanel(3840.0f, 2880.0f);
        window.Panel().Add("imgWall");
        window.Panel().Add("picWall");
    }
    void Set(const std::string& wallpaper, const std::string& tile, const std::string& style) {
        profile.Put("WIN.INI", "Desktop", "Wallpaper", wallpaper);
        profile.Put("WIN.INI", "Desktop", "TileWallpaper", tile);
        profile.Put("WIN.INI", "Desktop", "WallPaperStyle", style);
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

TEST(DrawScreen, ComposesTheSettingsAndRepaintsButNothingChangesWhileLoading) {
    WallpaperForm h;
    h.files.PutPicture("C:\\w\\photo.jpg", 800, 600);
    h.Set("C:\\w\\photo.jpg", "0", "2");
    h.profile.Put("WIN.INI", "colors", "BackGround", "0 128 128");
    platform::Scene& panel = h.window.Panel();
    h.form.formLoading = true;
    h.form.DrawScreen();
    EXPECT_FALSE(panel.Find("imgWall")->Visible());
    EXPECT_EQ(panel.BackColor(), platform::kSystemDesktopColor);
    EXPECT_EQ(h.window.RefreshCount(), 0);
    h.form.formLoading = false;
    h.form.WindowProc(platform::kMsgPaint, 0, 0);
    EXPECT_EQ(panel.BackColor(), 0x808000);
    EXPECT_TRUE(panel.Find("imgWall")->Visible());
    EXPECT_FLOAT_EQ(panel.Find("imgWall")->Width(), 3840.0f);
    EXPECT_EQ(h.window.RefreshCount(), 1);
    h.files.Touch("C:\\w\\photo.jpg");  // rewritten in place: composed again without any message
    h.watch.Send(platform::FolderEvent::Changed);
    EXPECT_EQ(h.window.RefreshCount(), 2);
    EXPECT_EQ(h.files.loads, 2);
}

TEST(imgWall_DblClick, OpensTheWallpaperAsTheSettingsNameItWithTheShellsOpenVerb) {
    const struct {
        const char* profile;  // nullptr for none
        const char* registry;
        const char* opened;  // nullptr for nothing
    } cases[] = {
        {"C:\\w\\photo.jpg", nullptr, "C:\\w\\photo.jpg"},
        {"%WALLS%\\sea.bmp", nullptr, "%WALLS%\\sea.bmp"},  // unexpanded
        {nullptr, nullptr, nullptr},
        {"", nullptr, nullptr},
        {"C:\\w\\photo.jpg", "C:\\web\\page.HTM", "C:\\w\\photo.jpg"},
        {"C:\\w\\photo.jpg", "C:\\w\\reg.jpg", "C:\\w\\reg.jpg"},
    };
    for (const auto& c : cases) {
        WallpaperForm h;
        h.env.Set("WALLS", "D:\\Walls");
        if (c.profile) h.Set(c.profile, "0", "0");
        if (c.registry) h.registry.PutString(platform::RootKey::CurrentUser, desktop::kDesktopGeneralKey, "Wallpaper", c.registry);
        h.form.imgWall_DblClick();
        using Call = fakes::FakeShellLauncher::Call;
        const std::vector<Call> expected{Call{fakes::FakeMainWindow::kWindowHandle, "open", c.opened ? c.opened : "", "", "", 1}};
        EXPECT_EQ(h.shell.calls, c.opened ? expected : std::vector<Call>{});
    }
}

}  // namespace
}  // namespace lumbra::app
