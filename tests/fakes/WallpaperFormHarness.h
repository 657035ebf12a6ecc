#pragma once
// frmMain over the in-memory fakes with the wallpaper services wired in: a screen of 15360 x
// 11520 twips (1024 x 768 pixels) and a panel of 3840 x 2880 holding the window's two elements.
#include <string>

#include "app/frmMain.h"
#include "desktop/Composer.h"
#include "desktop/modMain.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeNotifyIcon.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/FakeSystemInfo.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::fakes {

struct WallpaperFormHarness : WallpaperWorld {
    explicit WallpaperFormHarness(bool withServices = true)
        : form(app::FormServices{.settings = settings,
                                 .profile = profile,
                                 .registry = registry,
                                 .system = system,
                                 .window = window,
                                 .prcIcon = prcIcon,
                                 .wallpaper = withServices ? &services : nullptr}) {
        window.PlacePanel(3840.0f, 2880.0f);
        window.Panel().Add("imgWall");
        window.Panel().Add("picWall");
        window.SetEvents(&form);
    }

    void SetWallpaper(const std::string& path, const std::string& tile, const std::string& style) {
        profile.Put("WIN.INI", "Desktop", "Wallpaper", path);
        profile.Put("WIN.INI", "Desktop", "TileWallpaper", tile);
        profile.Put("WIN.INI", "Desktop", "WallPaperStyle", style);
    }
    void SetColour(const std::string& text) { profile.Put("WIN.INI", "colors", "BackGround", text); }
    void SetRegistryWallpaper(const std::string& name, const std::string& value) {
        registry.PutString(platform::RootKey::CurrentUser, desktop::kDesktopGeneralKey, name, value);
    }

    FakeSettingsStore settings;
    FakeProfileFile profile;
    FakeRegistry registry;
    FakeSystemInfo system;
    FakeMainWindow window;
    FakeNotifyIcon prcIcon;
    app::frmMain form;
};

}  // namespace lumbra::fakes
