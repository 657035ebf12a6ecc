#pragma once
// What the file system says about a file without opening it.
#include <cstdint>
#include <optional>
#include <string_view>

namespace lumbra::platform {

// Enough to tell that a file was rewritten: its length and its last write time (the file
// system's own units; only compared for equality).
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

class FileFacts {
public:
    virtual ~FileFacts() = default;
    // nullopt when there is no file of that name (nothing there, a folder, or no access).
    virtual std::optional<FileStamp> Stamp(std::string_view path) = 0;
};

}  // namespace lumbra::platform
