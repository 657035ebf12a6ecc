#pragma once
// The shell's execute call.
#include "platform/ShellLauncher.h"

namespace lumbra::win32 {

class Win32ShellLauncher final : public platform::ShellLauncher {
public:
    void Execute(std::uintptr_t ownerWindow, std::string_view verb, std::string_view file, std::string_view parameters,
                 std::string_view directory, int showCommand) override;
};

}  // namespace lumbra::win32
