#pragma once
// The file-system calls the file commands are built from. Every failing call comes back with
// the system's own description of the failure, in the system's language.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra::platform {

enum FileAttribute : std::uint32_t {
    kAttrReadOnly = 0x1,
    kAttrHidden = 0x2,
    kAttrSystem = 0x4,
    kAttrDirectory = 0x10,
    kAttrReparsePoint = 0x400,
};

struct FileResult {
    enum class Status {
        Ok,
        Failed,
        // A rename that would have to cross to another volume; nothing was changed.
        OtherVolume,
    };
    Status status = Status::Ok;
    std::string error;

    static FileResult Ok() { return {}; }
    static FileResult Fail(std::string description) { return {Status::Failed, std::move(description)}; }
    bool ok() const { return status == Status::Ok; }
};

struct FolderEntry {
    std::string name;
    std::uint32_t attributes = 0;
};

// Told about the bytes of the file being copied.
class CopyProgress {
public:
    virtual ~CopyProgress() = default;
    virtual void Bytes(std::uint64_t done, std::uint64_t total) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Fails when nothing is at the path.
    virtual FileResult GetAttributes(std::string_view path, std::uint32_t& attributes) = 0;
    // Whether anything, file or folder, is at the path.
    virtual bool Exists(std::string_view path) = 0;
    // A directory search for the path that finds read-only, hidden and system files as well;
    // a folder of that name does not count.
    virtual bool FileExists(std::string_view path) = 0;
    // Whether both paths reach the same file or folder, however they are spelt.
    virtual bool SameItem(std::string_view a, std::string_view b) = 0;
    // The root of the volume that holds the path ("C:\", "\\server\share\").
    virtual std::string VolumeRoot(std::string_view path) = 0;

    // The entries of a folder, without "." and "..".
    virtual FileResult ListFolder(std::string_view path, std::vector<FolderEntry>& entries) = 0;
    // A new folder, with the attributes of `like` when it is given; fails when anything is
    // already at the path.
    virtual FileResult CreateFolder(std::string_view path, std::string_view like) = 0;
    // Copies one file with its attributes. Without `replace` it fails when anything is at the
    // destination.
    virtual FileResult CopyFileTo(std::string_view from, std::string_view to, bool replace, CopyProgress* progress) = 0;
    // Renames a file or folder within its volume; fails when anything is at the destination.
    virtual FileResult Rename(std::string_view from, std::string_view to) = 0;
    // Deletes one file, read-only or not.
    virtual FileResult DeleteFileAt(std::string_view path) = 0;
    // Removes an empty folder, or a link to a folder without touching what it leads to.
    virtual FileResult RemoveFolder(std::string_view path) = 0;
};

}  // namespace lumbra::platform
