#include "desktop/WallpaperWatch.h"

#include "desktop/modMain.h"

namespace lumbra::desktop {

WallpaperWatch::WallpaperWatch(platform::FolderWatch& watch, std::function<void()> check)
    : watch_(watch), check_(std::move(check)) {
    watch_.Listen([this](platform::FolderEvent event) { OnEvent(event); });
}

WallpaperWatch::~WallpaperWatch() {
    watch_.Close();
    watch_.Listen(nullptr);
}

void WallpaperWatch::Follow(const std::string& file) {
    if (file == kNoWallpaper) {
        if (state_ != State::Idle) watch_.Close();
        state_ = State::Idle;
        file_.clear();
        return;
    }
    // A new path is tried once; the same one again only after its watch broke. A folder that
    // could not be opened is not asked for at every repaint: a share that is gone takes seconds
    // to answer each time.
    if (file == file_ && state_ != State::Broken) return;
    file_ = file;
    Open();
}

void WallpaperWatch::Open() {
    state_ = State::Opening;  // before the call, which may report at once
    watch_.Open(file_);
}

void WallpaperWatch::OnEvent(platform::FolderEvent event) {
    using platform::FolderEvent;
    if (state_ == State::Idle) return;
    switch (event) {
    case FolderEvent::Opened:
        state_ = State::Watching;
        check_();  // the file may have changed while nothing watched it
        break;
    case FolderEvent::OpenFailed:
        state_ = State::Failed;
        break;
    case FolderEvent::Changed:
        check_();
        break;
    case FolderEvent::Broken:
        state_ = State::Broken;
        check_();
        break;
    case FolderEvent::VolumeLeaving:
        // An open handle would make the removal fail.
        watch_.Close();
        state_ = State::Away;
        break;
    case FolderEvent::VolumeBack:
        if (state_ == State::Away || state_ == State::Failed || state_ == State::Broken) Open();
        break;
    }
}

}  // namespace lumbra::desktop
