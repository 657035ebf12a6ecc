#include "platform/MenuTree.h"

namespace lumbra::platform {

std::int32_t MenuTree::Append(MenuItem item) {
    item.index = Count() + 1;
    items_.push_back(std::move(item));
    return items_.back().index;
}

std::int32_t MenuTree::Append(std::string_view caption, std::string_view helpText, std::int32_t itemData,
                             std::int32_t parent, std::int32_t image, bool checked, bool enabled,
                             std::string_view key) {
    return Append(MenuItem{0, std::string(caption), std::string(helpText), itemData, parent, image, checked, enabled,
                           std::string(key), "", false});
}

std::int32_t MenuTree::FindByKey(std::string_view key) const {
    if (key.empty()) return -1;
    for (const MenuItem& item : items_) {
        if (item.key == key) return item.index;
    }
    return -1;
}

void MenuTree::Save(std::string_view name) {
    auto found = saved_.find(name);
    if (found != saved_.end()) {
        found->second = items_;
    } else {
        saved_.emplace(std::string(name), items_);
    }
}

void MenuTree::Reset() { items_.clear(); }

bool MenuTree::Load(std::string_view name) {
    auto found = saved_.find(name);
    if (found == saved_.end()) return false;
    items_ = found->second;
    return true;
}

MenuItem* MenuTree::Item(std::int32_t index) {
    if (index < 1 || index > Count()) return nullptr;
    return &items_[static_cast<std::size_t>(index - 1)];
}

const MenuItem* MenuTree::Item(std::int32_t index) const {
    if (index < 1 || index > Count()) return nullptr;
    return &items_[static_cast<std::size_t>(index - 1)];
}

bool MenuTree::HasChildren(std::int32_t index) const {
    for (const MenuItem& item : items_) {
        if (item.parent == index) return true;
    }
    return false;
}

void TreePopupMenu::SetItemEnabled(std::int32_t index, bool enabled) {
    if (MenuItem* item = tree_.Item(index)) item->enabled = enabled;
}

void TreePopupMenu::SetItemIcon(std::int32_t index, std::int32_t image) {
    if (MenuItem* item = tree_.Item(index)) item->image = image;
}

void TreePopupMenu::SetItemEntry(std::int32_t index, std::string_view path, bool folder) {
    if (MenuItem* item = tree_.Item(index)) {
        item->path = std::string(path);
        item->folder = folder;
    }
}

}  // namespace lumbra::platform
