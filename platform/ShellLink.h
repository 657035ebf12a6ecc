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
    // Writes a shortcut to `target` as a new file at `path`. With a `model` (the shortcut it is
    // to replace) everything but the target, its attributes included, is taken from the model.
    virtual FileResult SaveShortcut(std::string_view path, std::string_view target, std::string_view model) = 0;
};

class ShellLinks {
public:
    virtual ~ShellLinks() = default;
    // The shell object that writes shortcuts; nullptr with `error` set when it cannot be made.
    virtual std::unique_ptr<ShortcutShell> CreateShell(std::string& error) = 0;
};

}  // namespace lumbra::platform
