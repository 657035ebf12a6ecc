#pragma once
// The file lister glnFile: the entries of one folder, not recursive, with what the directory
// search tells of each without opening it, and the order in which the shell shows names.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra::platform {

// Attribute bits of a listed entry (the file system's own values).
enum ListedAttribute : std::uint32_t {
    kListedHidden = 0x2,
    kListedSystem = 0x4,
    kListedDirectory = 0x10,
    kListedNormal = 0x80,
    kListedOffline = 0x1000,               // the data is not at hand
    kListedRecallOnOpen = 0x40000,         // opening it fetches it from elsewhere
    kListedRecallOnDataAccess = 0x400000,  // reading it fetches it from elsewhere (a cloud file)
};

struct ListedEntry {
    std::string path;  // full path
    std::uint32_t attributes = 0;
    std::int64_t writeTime = 0;  // last write, in the file system's units
};

struct FolderListing {
    std::vector<ListedEntry> entries;  // every entry but "." and "..", in no particular order
    std::string error;                 // the system's reason when the folder cannot be read, else ""
};

class FileLister {
public:
    virtual ~FileLister() = default;
    // No folder ("") lists nothing, and is no error.
    virtual FolderListing List(std::string_view folder) = 0;
    // Negative, zero or positive as the shell orders the two names (digits by their value, case
    // not counted).
    virtual int CompareNames(std::string_view a, std::string_view b) = 0;
};

}  // namespace lumbra::platform
