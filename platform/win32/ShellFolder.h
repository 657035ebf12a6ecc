#pragma once
// Special folders through SHGetFolderPathW.
#include <windows.h>

#include "platform/ShellFolder.h"

namespace lumbra::win32 {

class Win32ShellFolder final : public platform::ShellFolder {
public:
    explicit Win32ShellFolder(HWND owner) : owner_(owner) {}
    std::string GetFolderPath(std::int32_t folder) override;

private:
    HWND owner_;
};

}  // namespace lumbra::win32
