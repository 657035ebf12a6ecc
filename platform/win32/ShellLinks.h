#pragma once
// Shortcut files through IShellLinkW and IPersistFile.
#include "platform/ShellLink.h"

namespace lumbra::win32 {

class Win32ShellLinks final : public platform::ShellLinks {
public:
    std::unique_ptr<platform::ShortcutShell> CreateShell(std::string& error) override;
};

// The target path stored in a shortcut file; empty when it cannot be read.
std::string ReadShortcutTarget(std::string_view path);

}  // namespace lumbra::win32
