#pragma once
// The drop menu's commands: copying, moving and linking dropped items into the user's desktop
// folder. Each runs to its end on the calling thread and reports its first failure in a message
// box. None of them replaces a file without asking, and none ever leaves a file neither whole at
// its source nor whole at its destination: new content is written beside its destination under
// a passing name and takes its place only when complete.
#include <string>
#include <vector>

#include "platform/DropData.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Progress.h"
#include "platform/ShellFolder.h"
#include "platform/ShellLink.h"

namespace lumbra::drop {

inline constexpr std::string_view kAppTitle = "Lumbra";
inline constexpr std::string_view kOverwriteTitle = "上書き確認";

struct DropServices {
    platform::ShellFolder& folders;
    platform::FileSystem& files;
    platform::MessageBoxes& boxes;
    platform::ShellLinks& links;
    platform::ProgressWindows& progress;
};

// The items are taken as they are when the command starts: a message box lets other events in,
// and a later drop must not change the list of a command that is running. Each command answers
// what it did, for the drag source: Nothing unless it ran to its end and did something.

// Copies (or moves) every item into the desktop folder under its own name, in list order.
platform::DropOutcome TransferToDesktop(const DropServices& services, platform::TransferKind kind,
                                        std::vector<std::string> items);

// Writes a shortcut to every item into the desktop folder, in list order.
platform::DropOutcome CreateDesktopShortcuts(const DropServices& services, std::vector<std::string> items);

}  // namespace lumbra::drop
