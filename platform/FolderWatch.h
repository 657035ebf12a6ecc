#pragma once
// Change notifications for one folder, delivered on the user-interface thread.
#include <functional>
#include <string_view>

namespace lumbra::platform {

class FolderWatch {
public:
    virtual ~FolderWatch() = default;
    // Watches the folder that holds `file` for files created, removed, renamed, resized or
    // written; `changed` runs after each burst of such changes until the next Watch or Stop.
    // Replaces the previous watch. False when the folder cannot be watched.
    virtual bool Watch(std::string_view file, std::function<void()> changed) = 0;
    virtual void Stop() = 0;
};

}  // namespace lumbra::platform
