#include "menu/RecycleBin.h"

#include <string>

namespace lumbra::menu {

bool QueryRecycleBinFull(platform::Shell& shell) {
    auto holdsSomething = [](const platform::RecycleBinInfo& info) { return info.size > 0 || info.items > 0; };

    platform::RecycleBinInfo all;
    shell.QueryRecycleBin("", all);
    const bool allFull = holdsSomething(all);

    // One record for every drive, never reset: a failed query repeats the previous drive's
    // answer, which can only repeat a finding already made.
    platform::RecycleBinInfo drive;
    bool driveFull = false;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (shell.GetDriveType(root) != platform::DriveType::Fixed) continue;
        shell.QueryRecycleBin(root, drive);
        if (holdsSomething(drive)) driveFull = true;
    }
    return allFull || driveFull;
}

}  // namespace lumbra::menu
