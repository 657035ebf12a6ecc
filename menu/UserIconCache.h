#pragma once
// The finished menu pictures of desktop entries, kept while an entry's path and last write time
// stay the same, so that a desktop of hundreds of entries does not extract every icon again at
// every showing.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/Scene.h"

namespace lumbra::menu {

class UserIconCache {
public:
    // nullptr when the entry is not kept or was written since.
    platform::PictureRef Find(const std::string& path, std::int64_t writeTime);
    void Store(const std::string& path, std::int64_t writeTime, platform::PictureRef picture);
    // Forgets every entry neither found nor stored since the last sweep: what left the desktop.
    void Sweep();
    std::size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        std::int64_t writeTime = 0;
        platform::PictureRef picture;
        bool used = false;
    };
    std::unordered_map<std::string, Entry> entries_;
};

}  // namespace lumbra::menu
