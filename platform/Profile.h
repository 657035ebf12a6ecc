#pragma once
// The classic profile file (WIN.INI and friends).
#include <cstdint>
#include <string>
#include <string_view>

namespace lumbra::platform {

struct ProfileRead {
    // Characters copied, not counting the terminating NUL; 0 when the file, section or key is
    // missing or the value is empty.
    std::uint32_t count = 0;
    // The buffer as the call left it, up to (not including) the terminating NUL it wrote.
    std::string text;
};

class ProfileFile {
public:
    virtual ~ProfileFile() = default;
    // Reads into a buffer of `size` characters: the value is cut to size - 1 characters.
    virtual ProfileRead ReadProfileString(std::string_view section, std::string_view key,
                                                std::string_view defaultValue, std::uint32_t size,
                                                std::string_view file) = 0;
};

}  // namespace lumbra::platform
