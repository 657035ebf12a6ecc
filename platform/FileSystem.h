#pragma once
// The file-system calls the file commands are built from. Paths are absolute and taken exactly
// as they are spelt: a name that ends in a dot or a space, or a path longer than the old limit,
// reaches the very item it names. Every failing call comes back with the system's own
// description of the failure, in the system's language.
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

// One file or folder as it is, a link not followed. A link is a symbolic link or a junction;
// other reparse points (files kept in the cloud, for one) are plain files and folders.
struct ItemFacts {
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    bool link = false;
    bool Folder() const { return (attributes & kAttrDirectory) != 0; }
};

struct FolderEntry {
    std::string name;
    ItemFacts facts;
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
    virtual FileResult Facts(std::string_view path, ItemFacts& facts) = 0;
    // Whether both paths reach the same file or folder, however they are spelt.
    virtual bool SameItem(std::string_view a, std::string_view b) = 0;
    // The root of the volume that holds the path.
    virtual std::string VolumeRoot(std::string_view path) = 0;

    // The entries of a folder, without "." and "..".
    virtual FileResult ListFolder(std::string_view path, std::vector<FolderEntry>& entries) = 0;
    // A new folder, with the attributes of `like` when it is given; fails when anything is
    // already at the path.
    virtual FileResult CreateFolder(std::string_view path, std::string_view like) = 0;
    // Copies one file with its attributes; fails when anything is at the destination.
    virtual FileResult CopyFileTo(std::string_view from, std::string_view to, CopyProgress* progress) = 0;
    // Makes `to` a link to where the link `from` leads, and makes sure it is there; fails and
    // leaves nothing at `to` where the system does not allow it.
    virtual FileResult CopyLink(std::string_view from, std::string_view to) = 0;
    // Renames a file or folder within its volume; fails when anything is at the destination.
    virtual FileResult Rename(std::string_view from, std::string_view to) = 0;
    // Puts the file `from` in the place of the file `to` in one step, written through to the
    // disk; a read-only `to` is replaced too. On failure both stay as they were.
    virtual FileResult ReplaceFileAt(std::string_view from, std::string_view to) = 0;
    // Deletes one file (or a link to a file), read-only or not.
    virtual FileResult DeleteFileAt(std::string_view path) = 0;
    // Removes an empty folder, or a link to a folder without touching what it leads to.
    virtual FileResult RemoveFolder(std::string_view path) = 0;
};

}  // namespace lumbra::platform
