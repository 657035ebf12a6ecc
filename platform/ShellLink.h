#pragma once
// Shortcut files (.lnk).
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace lumbra::platform {

class ShortcutShell {
public:
    virtual ~ShortcutShell() = default;
    // Opens the shortcut at `path` (the file there, when there is one, else a new one), sets its
    // target and saves it.
    virtual FileResult SaveShortcut(std::string_view path, std::string_view target) = 0;
};

class ShellLinks {
public:
    virtual ~ShellLinks() = default;
    // The shell object that writes shortcuts; nullptr with `error` set when it cannot be made.
    virtual std::unique_ptr<ShortcutShell> CreateShell(std::string& error) = 0;
};

}  // namespace lumbra::platform
