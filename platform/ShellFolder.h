#pragma once
// The shell's special folders by their folder identifier.
#include <cstdint>
#include <string>

namespace lumbra::platform {

// The user's desktop directory (16), created when it is missing (flag 0x8000).
inline constexpr std::int32_t kDesktopDirectoryCreate = 32784;

class ShellFolder {
public:
    virtual ~ShellFolder() = default;
    // The folder's current path, cut at the first NUL of a 261-character answer; empty when the
    // shell has none.
    virtual std::string GetFolderPath(std::int32_t folder) = 0;
};

}  // namespace lumbra::platform
