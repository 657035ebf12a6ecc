#pragma once
// Starting the shell's action for a file, as the shell's execute call takes it.
#include <cstdint>
#include <string_view>

namespace lumbra::platform {

inline constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

class ShellLauncher {
public:
    virtual ~ShellLauncher() = default;
    // Starts `verb` ("open", ...) on `file` with the given window as owner; the other program
    // is not waited for and the outcome is not reported.
    virtual void Execute(std::uintptr_t ownerWindow, std::string_view verb, std::string_view file,
                         std::string_view parameters, std::string_view directory, int showCommand) = 0;
};

}  // namespace lumbra::platform
