#pragma once
// The watch on the folder of the shown wallpaper, kept alive without ever holding anything up:
// set up once for each wallpaper path (a folder that cannot be reached is not tried again at
// every repaint), set up again at the next composition after it broke, let go while its drive is
// being removed and taken up again when the drive is back.
#include <functional>
#include <string>

#include "platform/FolderWatch.h"

namespace lumbra::desktop {

class WallpaperWatch {
public:
    // `check` runs, on the user-interface thread, whenever the watched file may have changed.
    WallpaperWatch(platform::FolderWatch& watch, std::function<void()> check);
    ~WallpaperWatch();
    WallpaperWatch(const WallpaperWatch&) = delete;
    WallpaperWatch& operator=(const WallpaperWatch&) = delete;

    // At every composition: the wallpaper file shown, or kNoWallpaper.
    void Follow(const std::string& file);
    // The folder is open and watched.
    bool Watching() const { return state_ == State::Watching; }

private:
    enum class State { Idle, Opening, Watching, Failed, Broken, Away };
    void Open();
    void OnEvent(platform::FolderEvent event);

    platform::FolderWatch& watch_;
    std::function<void()> check_;
    std::string file_;
    State state_ = State::Idle;
};

}  // namespace lumbra::desktop
