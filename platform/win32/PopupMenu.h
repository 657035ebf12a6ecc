#pragma once
// The popup-menu component objPMn as a native popup menu (TrackPopupMenuEx): images from the
// image list, sub-menus, headed separators, mnemonics, shortcut texts, greyed items.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/CodePage.h"
#include "platform/MenuTree.h"
#include "platform/PopupMenu.h"
#include "platform/win32/Handles.h"

namespace lumbra::win32 {

class Win32ImageList;

// How item images reach the screen. Themed Windows menus draw a 32-bit premultiplied bitmap
// with its transparency; Wine and the classic look copy the bitmap as it is (black where it is
// transparent, inverted when highlighted), so there the menu asks its owner to draw each image.
enum class MenuImageMode { Bitmaps, OwnerDrawn };
MenuImageMode DefaultMenuImageMode();

class Win32PopupMenu final : public platform::PopupMenu {
public:
    Win32PopupMenu(platform::PopupMenuEvents& events, platform::CodePageCounter& codePage,
                   MenuImageMode mode = DefaultMenuImageMode());
    ~Win32PopupMenu() override;
    Win32PopupMenu(const Win32PopupMenu&) = delete;
    Win32PopupMenu& operator=(const Win32PopupMenu&) = delete;

    void SetImageSource(platform::ImageList& images) override;
    void SetOwnerWindow(std::uintptr_t window) override;
    std::int32_t AppendItem(std::string_view caption, std::string_view helpText, std::int32_t itemData,
                            std::int32_t parent, std::int32_t image, bool checked, bool enabled,
                            std::string_view key) override;
    std::int32_t FindItemByKey(std::string_view key) override { return tree_.FindByKey(key); }
    void SaveItems(std::string_view name) override { tree_.Save(name); }
    void ResetItems() override { tree_.Reset(); }
    void LoadSavedItems(std::string_view name) override { tree_.Load(name); }
    void SetItemEnabled(std::int32_t index, bool enabled) override;
    void SetItemIcon(std::int32_t index, std::int32_t image) override;
    std::int32_t ShowAt(std::int32_t x, std::int32_t y, std::int32_t alignment, std::int32_t excludeWidth,
                        std::int32_t excludeHeight, std::int32_t reserved, std::int32_t defaultItem) override;
    void SetAnchor(platform::MenuAnchor anchor) override { anchor_ = anchor; }

    const platform::MenuTree& Tree() const { return tree_; }
    // Builds the native menu as it would be shown (for inspection); the caller owns it.
    unique_hmenu BuildMenu(std::int32_t defaultItem = -1);
    // Runs once the menu is open, inside its modal loop (tests answer it from here).
    std::function<void(HWND owner)> onOpen;

private:
    HMENU BuildLevel(std::int32_t parent, const std::vector<std::vector<std::int32_t>>& children,
                     std::int32_t defaultItem);
    static LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self) noexcept;
    bool OnMeasureItem(MEASUREITEMSTRUCT& measure) const;
    bool OnDrawItem(const DRAWITEMSTRUCT& draw) const;

    platform::PopupMenuEvents& events_;
    platform::CodePageCounter& codePage_;
    MenuImageMode mode_;
    platform::MenuTree tree_;
    platform::ImageList* images_ = nullptr;
    HWND owner_ = nullptr;
    platform::MenuAnchor anchor_ = platform::MenuAnchor::Pointer;
    bool opened_ = false;  // onOpen has run for the current showing
};

class Win32PopupMenuFactory final : public platform::PopupMenuFactory {
public:
    explicit Win32PopupMenuFactory(platform::CodePageCounter& codePage) : codePage_(codePage) {}
    std::unique_ptr<platform::PopupMenu> CreatePopupMenu(platform::PopupMenuEvents& events) override {
        return std::make_unique<Win32PopupMenu>(events, codePage_);
    }

private:
    platform::CodePageCounter& codePage_;
};

}  // namespace lumbra::win32
