#pragma once
// The item tree of the popup-menu component, shared by every implementation of it: consecutive
// indices from 1 across all levels, lookup by key, named saved copies.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PopupMenu.h"

namespace lumbra::platform {

struct MenuItem {
    std::int32_t index = 0;
    std::string caption;
    std::string helpText;
    std::int32_t itemData = 0;
    std::int32_t parent = 0;
    std::int32_t image = -1;
    bool checked = false;
    bool enabled = true;
    std::string key;
    std::string path;     // a desktop entry's file or folder, else ""
    bool folder = false;  // the entry is a folder: it has a sub-menu of its contents
};

class MenuTree {
public:
    std::int32_t Append(MenuItem item);
    // The item of a component's AppendItem call.
    std::int32_t Append(std::string_view caption, std::string_view helpText, std::int32_t itemData,
                        std::int32_t parent, std::int32_t image, bool checked, bool enabled, std::string_view key);
    // -1 when no item has the key; an empty key is never found.
    std::int32_t FindByKey(std::string_view key) const;
    void Save(std::string_view name);
    void Reset();
    // False (and the tree unchanged) when nothing was saved under the name.
    bool Load(std::string_view name);

    // nullptr outside 1..Count().
    MenuItem* Item(std::int32_t index);
    const MenuItem* Item(std::int32_t index) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    const std::vector<MenuItem>& Items() const { return items_; }
    bool HasChildren(std::int32_t index) const;

private:
    std::vector<MenuItem> items_;
    std::map<std::string, std::vector<MenuItem>, std::less<>> saved_;
};

// The operations of the popup-menu component that touch its item tree alone, shared by every
// implementation. An index outside the tree is ignored.
class TreePopupMenu : public PopupMenu {
public:
    std::int32_t AppendItem(std::string_view caption, std::string_view helpText, std::int32_t itemData,
                            std::int32_t parent, std::int32_t image, bool checked, bool enabled,
                            std::string_view key) override {
        return tree_.Append(caption, helpText, itemData, parent, image, checked, enabled, key);
    }
    std::int32_t FindItemByKey(std::string_view key) override { return tree_.FindByKey(key); }
    void SaveItems(std::string_view name) override { tree_.Save(name); }
    void ResetItems() override { tree_.Reset(); }
    void LoadSavedItems(std::string_view name) override { tree_.Load(name); }
    void SetItemEnabled(std::int32_t index, bool enabled) override;
    void SetItemIcon(std::int32_t index, std::int32_t image) override;
    void SetItemEntry(std::int32_t index, std::string_view path, bool folder) override;
    const MenuTree& Tree() const { return tree_; }

protected:
    MenuTree tree_;
};

}  // namespace lumbra::platform
