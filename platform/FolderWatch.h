#pragma once
// A watch on one folder, reporting on the user-interface thread.
#include <functional>
#include <string_view>

namespace lumbra::platform {

enum class FolderEvent {
    Opened,         // the folder is open and watched
    OpenFailed,     // it could not be opened: missing, no access, a share that is gone
    Changed,        // files in it were created, removed, renamed, resized or written (a burst, settled)
    Broken,         // the watch could not go on (the folder deleted, the drive gone); it is closed
    VolumeLeaving,  // the folder's volume is about to be removed: close it, or the removal fails
    VolumeBack,     // its volume came back, or its removal was called off: it may be opened again
};

class FolderWatch {
public:
    virtual ~FolderWatch() = default;
    // Where the events go; set once, before the first Open.
    virtual void Listen(std::function<void(FolderEvent)> report) = 0;
    // Opens the folder that holds `file` and watches it, in place of any earlier one. The outcome
    // is reported as Opened or OpenFailed, possibly before Open returns, and later for a folder
    // that is slow to reach: the calling thread never waits for the folder.
    virtual void Open(std::string_view file) = 0;
    // Closes the folder. Volume events still come, so that it can be opened again.
    virtual void Close() = 0;
};

}  // namespace lumbra::platform
