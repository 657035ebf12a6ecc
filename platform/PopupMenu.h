#pragma once
// The popup-menu component objPMn: an ordered tree of items with captions, images from an image
// list, keys and an enabled flag, shown as a modal popup. Every item gets the next index in order
// of addition across all levels, starting at 1; parent index 0 is the top level.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Scene.h"

namespace lumbra::platform {

class ImageList;

// An entry of a desktop folder's sub-menu. Sub-menus are built when they first open; their
// entries have no index of the tree and their pictures are not in the image list.
struct MenuEntry {
    std::string caption;  // padded like every caption
    std::string path;     // "" for a greyed note (an empty folder, the reason it cannot be read)
    bool folder = false;  // cascades again
    PictureRef picture;   // nullptr for none
};

class PopupMenuEvents {
public:
    virtual ~PopupMenuEvents() = default;
    // Raised once per choice, before ShowAt returns; separators, headings and sub-menu parents
    // raise none. A desktop folder's own item is chosen by a click on it or Enter while it is
    // highlighted, though it opens a sub-menu.
    virtual void objPMn_Click(std::int32_t index) = 0;
    // A desktop folder's sub-menu opens for the first time in this showing: its entries.
    virtual std::vector<MenuEntry> objPMn_FolderPopup(std::string_view folder) = 0;
    // An entry of a sub-menu chosen, before ShowAt returns.
    virtual void objPMn_EntryClick(std::string_view path) = 0;
    // A right-button release on a desktop entry at any level ended the menu; x, y: the pointer
    // on the screen. Raised after the menu has closed, before ShowAt returns.
    virtual void objPMn_EntryMenu(std::string_view path, std::int32_t x, std::int32_t y) = 0;
};

// Where ShowAt puts the menu on the screen.
enum class MenuAnchor {
    Pointer,        // at the pointer's position of the input that is being handled
    OwnerTopLeft,   // at the owner window's top-left corner (opened from the keyboard)
};

// Images: 0-based image numbers into the image source; kNoImage shows none.
inline constexpr std::int32_t kNoImage = -1;
inline constexpr std::int32_t kTopLevel = 0;
// FindItemByKey when no item has the key.
inline constexpr std::int32_t kNoItem = -1;

class PopupMenu {
public:
    virtual ~PopupMenu() = default;

    // The list is read when the menu shows, so images added or removed later are seen.
    virtual void SetImageSource(ImageList& images) = 0;
    // The window the menu belongs to (a window handle value).
    virtual void SetOwnerWindow(std::uintptr_t window) = 0;

    // caption: text before an optional tab, shortcut text after it; "&" marks the mnemonic; a
    // leading "-" makes a separator whose heading is the rest. The text before the tab carries a
    // padding of "x" that the menu never shows (see platform/MenuCaption.h).
    // helpText, itemData and checked are kept but not shown. Returns the new item's index.
    virtual std::int32_t AppendItem(std::string_view caption, std::string_view helpText, std::int32_t itemData,
                                    std::int32_t parent, std::int32_t image, bool checked, bool enabled,
                                    std::string_view key) = 0;
    // kNoItem when no item has that key (an empty key is never found).
    virtual std::int32_t FindItemByKey(std::string_view key) = 0;
    // Keeps a copy of the whole tree under the name, indices included.
    virtual void SaveItems(std::string_view name) = 0;
    virtual void ResetItems() = 0;
    // The tree is again as saved; the next AppendItem gets the index after the last saved item.
    virtual void LoadSavedItems(std::string_view name) = 0;
    virtual void SetItemEnabled(std::int32_t index, bool enabled) = 0;
    virtual void SetItemIcon(std::int32_t index, std::int32_t image) = 0;
    // Marks an item as the desktop file or folder at path: the shell's menu on a right-button
    // release, and for a folder a sub-menu of its contents.
    virtual void SetItemEntry(std::int32_t index, std::string_view path, bool folder) = 0;

    // Shows the menu and returns when it closes, after the Click of a choice has run. Where it
    // shows is decided by the anchor; x and y are the caller's coordinates of the point and are
    // kept for it. alignment: 0 puts the menu's top-left corner at the point. excludeWidth and
    // excludeHeight: a rectangle at the point that the menu must not cover (0: none).
    // defaultItem: the item shown in bold, -1 for none. Returns the chosen index, 0 for none.
    virtual std::int32_t ShowAt(std::int32_t x, std::int32_t y, std::int32_t alignment, std::int32_t excludeWidth,
                                std::int32_t excludeHeight, std::int32_t reserved, std::int32_t defaultItem) = 0;
    virtual void SetAnchor(MenuAnchor anchor) = 0;
};

// Creates the component; its Click goes to events.
class PopupMenuFactory {
public:
    virtual ~PopupMenuFactory() = default;
    virtual std::unique_ptr<PopupMenu> CreatePopupMenu(PopupMenuEvents& events) = 0;
};

}  // namespace lumbra::platform
