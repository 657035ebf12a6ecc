#pragma once
// The miniature desktop inside the panel picDT: the desktop colour with the wallpaper centred,
// tiled, stretched, fitted or filled at the panel's scale, over the panel's element model.
//
// The elements are those of the window: imgWall (the shown wallpaper, and in tile mode the
// hidden size template of the tiles), picWall (the hidden holder that measures the picture's
// natural size) and the panel's grid of tiles "imgTile0", "imgTile1", ... Every composition
// starts again from the settings; the picture itself comes from a cache, so a composition at an
// unchanged size and file decodes nothing, and every tile shows the one copy.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "desktop/Composition.h"
#include "desktop/PictureCache.h"
#include "desktop/WallpaperWatch.h"
#include "desktop/modMain.h"
#include "platform/Environment.h"
#include "platform/FileFacts.h"
#include "platform/FolderWatch.h"
#include "platform/PictureLoader.h"
#include "platform/Scene.h"
#include "platform/ShellLauncher.h"

namespace lumbra::desktop {

inline constexpr std::string_view kWallElement = "imgWall";
inline constexpr std::string_view kWallHolder = "picWall";
inline constexpr std::string_view kTilePrefix = "imgTile";
// Where Windows keeps its own copy of the wallpaper it shows (a file without extension).
inline constexpr std::string_view kTranscodedWallpaper = "%APPDATA%\\Microsoft\\Windows\\Themes\\TranscodedWallpaper";

// What the miniature and the double-click need of the platform.
struct WallpaperServices {
    platform::Environment& environment;
    platform::PictureLoader& pictures;
    platform::FileFacts& files;
    platform::FolderWatch& watch;
    platform::ShellLauncher& shell;
};

// Services that find no picture, watch nothing and start nothing: the desktop colour alone.
const WallpaperServices& NoWallpaperServices();

class Composer {
public:
    // fileChanged runs (on the user-interface thread) when the wallpaper file of the last
    // composition was rewritten, created or removed without any settings change.
    Composer(WallpaperServices services, std::function<void()> fileChanged);
    Composer(const Composer&) = delete;
    Composer& operator=(const Composer&) = delete;

    // One composition: the colour, then the wallpaper in its layout. A wallpaper file that is
    // gone shows the copy Windows keeps of it, as the desktop does.
    void Compose(platform::Scene& panel, const WallpaperInfo& info, const PanelMetrics& metrics);

    // The tiles of the last tiled composition, standing in the panel's grid.
    bool tilesShown = false;
    std::int32_t tileColumns = 0;
    std::int32_t tileRows = 0;

    // The wallpaper path of the last composition, its environment variable expanded.
    const std::string& ShownPath() const { return shownPath_; }
    // The folder watch follows ShownPath(): true while it is in place.
    bool Watching() const { return watch_.Watching(); }
    const PictureCache& Cache() const { return cache_; }

private:
    void CheckFile();

    WallpaperServices s_;
    std::function<void()> fileChanged_;
    PictureCache cache_;
    std::string shownPath_ = std::string(kNoWallpaper);
    std::optional<platform::FileStamp> shownStamp_;
    WallpaperWatch watch_;  // last: its reports use the members above
};

}  // namespace lumbra::desktop
