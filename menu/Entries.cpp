#include "menu/Entries.h"

#include <algorithm>
#include <string_view>

namespace lumbra::menu {
namespace {

std::string_view NameOf(const platform::ListedEntry& entry) {
    const std::string_view path = entry.path;
    return path.substr(path.rfind('\\') + 1);
}

}  // namespace

Entries ListEntries(platform::FileLister& lister, const std::vector<std::string>& folders) {
    Entries entries;
    for (const std::string& folder : folders) {
        platform::FolderListing listing = lister.List(folder);
        if (entries.error.empty()) entries.error = listing.error;
        for (platform::ListedEntry& entry : listing.entries) {
            if (entry.attributes & (platform::kListedHidden | platform::kListedSystem)) continue;
            (entry.attributes & platform::kListedDirectory ? entries.folders : entries.files).push_back(std::move(entry));
        }
    }
    auto byName = [&](const platform::ListedEntry& a, const platform::ListedEntry& b) {
        return lister.CompareNames(NameOf(a), NameOf(b)) < 0;
    };
    std::stable_sort(entries.files.begin(), entries.files.end(), byName);
    std::stable_sort(entries.folders.begin(), entries.folders.end(), byName);
    return entries;
}

PictureSource ChoosePictureSource(std::optional<std::uint32_t> attributes) {
    constexpr std::uint32_t kNotHere =
        platform::kListedOffline | platform::kListedRecallOnOpen | platform::kListedRecallOnDataAccess;
    if (!attributes) return {false, platform::kListedNormal};
    return {(*attributes & kNotHere) == 0, *attributes};
}

}  // namespace lumbra::menu
