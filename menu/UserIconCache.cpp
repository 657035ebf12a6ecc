#include "menu/UserIconCache.h"

namespace lumbra::menu {

platform::PictureRef UserIconCache::Find(const std::string& path, std::int64_t writeTime) {
    auto found = entries_.find(path);
    if (found == entries_.end() || found->second.writeTime != writeTime) return nullptr;
    found->second.used = true;
    return found->second.picture;
}

void UserIconCache::Store(const std::string& path, std::int64_t writeTime, platform::PictureRef picture) {
    Entry& entry = entries_[path];
    entry.writeTime = writeTime;
    entry.picture = std::move(picture);
    entry.used = true;
}

void UserIconCache::Sweep() {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (!it->second.used) {
            it = entries_.erase(it);
        } else {
            it->second.used = false;
            ++it;
        }
    }
}

}  // namespace lumbra::menu
