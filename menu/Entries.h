#pragma once
// The desktop entries the menu lists, and where an entry's picture may come from.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileLister.h"

namespace lumbra::menu {

struct Entries {
    std::vector<platform::ListedEntry> files;
    std::vector<platform::ListedEntry> folders;
    std::string error;  // the reason of the first folder that could not be read, else ""
};

// The entries of several folders as one: first every file, then every folder, each run in the
// shell's order of names; hidden and system entries left out; equal names in the order of the
// folders given.
Entries ListEntries(platform::FileLister& lister, const std::vector<std::string>& folders);

struct PictureSource {
    bool readsFile = true;         // the shell may open the file, and the older calls may follow
    std::uint32_t attributes = 0;  // else the picture comes from the name and these attributes alone
};

// A file whose data is not here (offline, or fetched when it is opened or read: a cloud file),
// or that is gone (no attributes), is never read for its picture.
PictureSource ChoosePictureSource(std::optional<std::uint32_t> attributes);

}  // namespace lumbra::menu
