#pragma once
// The popup-menu component objPMn as a native popup menu (TrackPopupMenuEx): images from the
// image list, sub-menus, headed separators, mnemonics, shortcut texts, greyed items, and desktop
// folders whose sub-menus are filled when they first open.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/MenuTree.h"
#include "platform/PopupMenu.h"
#include "platform/win32/Handles.h"

namespace lumbra::win32 {

class Win32Picture;

// How item images reach the screen. Themed Windows menus draw a 32-bit premultiplied bitmap
// with its transparency; Wine and the classic look copy the bitmap as it is (black where it is
// transparent, inverted when highlighted), so there the menu asks its owner to draw each image.
enum class MenuImageMode { Bitmaps, OwnerDrawn };
MenuImageMode DefaultMenuImageMode();

class Win32PopupMenu final : public platform::TreePopupMenu {
public:
    Win32PopupMenu(platform::PopupMenuEvents& events, platform::CodePageCounter& codePage,
                   MenuImageMode mode = DefaultMenuImageMode());
    ~Win32PopupMenu() override;
    Win32PopupMenu(const Win32PopupMenu&) = delete;
    Win32PopupMenu& operator=(const Win32PopupMenu&) = delete;

    void SetImageSource(platform::ImageList& images) override;
    void SetOwnerWindow(std::uintptr_t window) override;
    std::int32_t ShowAt(std::int32_t x, std::int32_t y, std::int32_t alignment, std::int32_t excludeWidth,
                        std::int32_t excludeHeight, std::int32_t reserved, std::int32_t defaultItem) override;
    void SetAnchor(platform::MenuAnchor anchor) override { anchor_ = anchor; }

    // Builds the native menu as it would be shown (for inspection); the caller owns it.
    unique_hmenu BuildMenu(std::int32_t defaultItem = -1);
    // Runs once the menu is open, inside its modal loop (tests answer it from here).
    std::function<void(HWND owner)> onOpen;

private:
    // An entry of a desktop folder's sub-menu in this showing; its native item's identifier is
    // kFirstEntryId plus its place in entries_.
    struct Entry {
        std::string path;
        bool folder = false;
        std::shared_ptr<const Win32Picture> image;
    };
    // What the message filter took over from the menu loop: a desktop folder's own item chosen,
    // or the shell's menu of an entry asked for.
    struct Taken {
        enum class Kind { None, Choice, ShellMenu } kind = Kind::None;
        UINT id = 0;
        POINT at{};
    };

    HMENU BuildLevel(std::int32_t parent, const std::vector<std::vector<std::int32_t>>& children,
                     std::int32_t defaultItem);
    HMENU NewCascade(std::string_view folder);
    void FillCascade(HMENU menu);
    // The desktop file or folder a native item stands for ("" for none), and whether it cascades.
    std::string PathOf(UINT id, bool* folder = nullptr) const;
    UINT ItemAt(POINT screen) const;
    UINT HighlightedItem() const;
    bool OnMenuMessage(const MSG& message);
    static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self) noexcept;
    bool OnMeasureItem(MEASUREITEMSTRUCT& measure) const;
    bool OnDrawItem(const DRAWITEMSTRUCT& draw) const;
    const Win32Picture* ImageOf(UINT id) const;

    platform::PopupMenuEvents& events_;
    platform::CodePageCounter& codePage_;
    MenuImageMode mode_;
    platform::ImageList* images_ = nullptr;
    HWND owner_ = nullptr;
    platform::MenuAnchor anchor_ = platform::MenuAnchor::Pointer;
    bool opened_ = false;  // onOpen has run for the current showing
    // The current showing: its top menu, the folders' sub-menus (filled or not), their entries,
    // and what the message filter took.
    HMENU top_ = nullptr;
    std::map<HMENU, std::pair<std::string, bool>> cascades_;
    std::vector<Entry> entries_;
    Taken taken_;
    static thread_local Win32PopupMenu* tracking_;
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
