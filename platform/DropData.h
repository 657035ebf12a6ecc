#pragma once
// What a drop on the main window carries, as the logic sees it, and what came of it.
#include <string>
#include <vector>

namespace lumbra::platform {

struct DropData {
    // The source offered the file-list format (CF_HDROP).
    bool hasFileList = false;
    // The full paths of the dropped files and folders, UTF-8, in the order the source gave them.
    std::vector<std::string> files;
};

// What a drop's command did with the items: nothing (cancelled, declined or failed), copied
// them, moved them itself, or made shortcuts to them.
enum class DropOutcome { Nothing, Copied, Moved, Linked };

}  // namespace lumbra::platform
