#include "platform/win32/PopupMenu.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <set>
#include <utility>

#include "platform/ImageList.h"
#include "platform/MenuCaption.h"
#include "platform/win32/MenuIcons.h"
#include "platform/win32/Picture.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x4C4D;  // "LM"
constexpr UINT kAlignmentFlags = TPM_CENTERALIGN | TPM_RIGHTALIGN | TPM_VCENTERALIGN | TPM_BOTTOMALIGN;
// Identifiers of the entries of desktop folders' sub-menus, after every index of the tree.
constexpr UINT kFirstEntryId = 0x8000;
constexpr UINT kLastEntryId = 0xFFFF;
// How much of a greyed item's image still shows.
constexpr BYTE kGreyedImageOpacity = 96;
// Space on either side of an image the menu asks the owner to draw, so that it does not touch
// the caption.
constexpr int kImageMargin = 2;

void UnhookChecked(HHOOK hook) noexcept { ::UnhookWindowsHookEx(hook); }
using unique_hhook = unique_handle<HHOOK, UnhookChecked>;

bool RunsOnWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool AppThemed() {
    using IsAppThemedFunction = BOOL(WINAPI*)();
    static const IsAppThemedFunction isAppThemed = [] {
        HMODULE uxtheme = ::LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (uxtheme == nullptr) return IsAppThemedFunction{};
        return reinterpret_cast<IsAppThemedFunction>(
            reinterpret_cast<void (*)()>(::GetProcAddress(uxtheme, "IsAppThemed")));
    }();
    return isAppThemed != nullptr && isAppThemed() != FALSE;
}

// "&" in a heading is text, not a mnemonic.
std::wstring Literal(std::string_view text) {
    std::wstring out;
    for (wchar_t c : Widen(text)) {
        if (c == L'&') out += L'&';
        out += c;
    }
    return out;
}

UINT IdAt(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID;
    return ::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) ? info.wID : 0;
}

// The menus of this thread on the screen now.
std::set<HMENU> OpenMenus() {
    std::set<HMENU> open;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (std::wstring_view(name) == L"#32768" && ::IsWindowVisible(window)) {
                reinterpret_cast<std::set<HMENU>*>(data)->insert(
                    reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0)));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&open));
    return open;
}

}  // namespace

thread_local Win32PopupMenu* Win32PopupMenu::tracking_ = nullptr;

MenuImageMode DefaultMenuImageMode() {
    return !RunsOnWine() && AppThemed() ? MenuImageMode::Bitmaps : MenuImageMode::OwnerDrawn;
}

Win32PopupMenu::Win32PopupMenu(platform::PopupMenuEvents& events, platform::CodePageCounter& codePage,
                               MenuImageMode mode)
    : events_(events), codePage_(codePage), mode_(mode) {}

Win32PopupMenu::~Win32PopupMenu() = default;

void Win32PopupMenu::SetImageSource(platform::ImageList& images) { images_ = &images; }

void Win32PopupMenu::SetOwnerWindow(std::uintptr_t window) { owner_ = reinterpret_cast<HWND>(window); }

unique_hmenu Win32PopupMenu::BuildMenu(std::int32_t defaultItem) {
    // Children by parent, in order of addition; a parent must come before its children.
    std::vector<std::vector<std::int32_t>> children(static_cast<std::size_t>(tree_.Count()) + 1);
    for (const platform::MenuItem& item : tree_.Items()) {
        const std::int32_t parent = item.parent >= 0 && item.parent < item.index ? item.parent : 0;
        children[static_cast<std::size_t>(parent)].push_back(item.index);
    }
    return unique_hmenu(BuildLevel(0, children, defaultItem));
}

HMENU Win32PopupMenu::BuildLevel(std::int32_t parent, const std::vector<std::vector<std::int32_t>>& children,
                                 std::int32_t defaultItem) {
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr) return nullptr;
    UINT position = 0;
    for (std::int32_t index : children[static_cast<std::size_t>(parent)]) {
        const platform::MenuItem& item = *tree_.Item(index);
        const platform::CaptionText caption = platform::VisibleCaption(item.caption, codePage_);

        if (caption.separator) {
            // A line, and below it the heading as a greyed caption that cannot be chosen.
            if (position > 0) {
                MENUITEMINFOW line{};
                line.cbSize = sizeof line;
                line.fMask = MIIM_FTYPE;
                line.fType = MFT_SEPARATOR;
                ::InsertMenuItemW(menu, position++, TRUE, &line);
            }
            if (!caption.text.empty()) {
                std::wstring text = Literal(caption.text);
                MENUITEMINFOW heading{};
                heading.cbSize = sizeof heading;
                heading.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE;
                heading.fType = MFT_STRING;
                heading.fState = MFS_DISABLED;
                heading.wID = static_cast<UINT>(index);
                heading.dwTypeData = text.data();
                ::InsertMenuItemW(menu, position++, TRUE, &heading);
            }
            continue;
        }

        std::wstring text = Widen(caption.text);
        if (!caption.shortcut.empty()) text += L"\t" + Widen(caption.shortcut);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_DATA;
        info.fType = MFT_STRING;
        info.fState = (item.enabled ? MFS_ENABLED : MFS_DISABLED) | (index == defaultItem ? MFS_DEFAULT : 0u);
        info.wID = static_cast<UINT>(index);
        info.dwTypeData = text.data();
        info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
        if (!children[static_cast<std::size_t>(index)].empty()) {
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = BuildLevel(index, children, defaultItem);
        } else if (item.folder && !item.path.empty()) {
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = NewCascade(item.path);
        }
        if (const Win32Picture* image = ImageOf(info.wID)) {
            info.fMask |= MIIM_BITMAP;
            info.hbmpItem = mode_ == MenuImageMode::Bitmaps ? image->Bitmap() : HBMMENU_CALLBACK;
        }
        ::InsertMenuItemW(menu, position++, TRUE, &info);
    }
    return menu;
}

// An empty sub-menu for a desktop folder, filled when it first opens.
HMENU Win32PopupMenu::NewCascade(std::string_view folder) {
    HMENU menu = ::CreatePopupMenu();
    if (menu != nullptr) cascades_[menu] = {std::string(folder), false};
    return menu;
}

void Win32PopupMenu::FillCascade(HMENU menu) {
    auto found = cascades_.find(menu);
    if (found == cascades_.end() || found->second.second) return;
    found->second.second = true;
    const std::string folder = found->second.first;
    UINT position = 0;
    for (const platform::MenuEntry& entry : events_.objPMn_FolderPopup(folder)) {
        std::wstring text = Widen(platform::VisibleCaption(entry.caption, codePage_).text);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_STATE | MIIM_DATA;
        info.fType = MFT_STRING;
        info.dwTypeData = text.data();
        info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
        // A note (an empty folder, the reason it cannot be read) is greyed and stands for nothing.
        info.fState = MFS_DISABLED;
        if (!entry.path.empty() && kFirstEntryId + entries_.size() <= kLastEntryId) {
            info.fState = MFS_ENABLED;
            info.fMask |= MIIM_ID;
            info.wID = kFirstEntryId + static_cast<UINT>(entries_.size());
            entries_.push_back({entry.path, entry.folder, entry.picture ? MenuImageOf(entry.picture) : nullptr});
            if (entry.folder) {
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = NewCascade(entry.path);
            }
            if (const Win32Picture* image = entries_.back().image.get()) {
                info.fMask |= MIIM_BITMAP;
                info.hbmpItem = mode_ == MenuImageMode::Bitmaps ? image->Bitmap() : HBMMENU_CALLBACK;
            }
        }
        ::InsertMenuItemW(menu, position++, TRUE, &info);
    }
}

std::string Win32PopupMenu::PathOf(UINT id, bool* folder) const {
    if (id >= kFirstEntryId && id - kFirstEntryId < entries_.size()) {
        const Entry& entry = entries_[id - kFirstEntryId];
        if (folder) *folder = entry.folder;
        return entry.path;
    }
    const platform::MenuItem* item = id < kFirstEntryId ? tree_.Item(static_cast<std::int32_t>(id)) : nullptr;
    if (item == nullptr || !item->enabled) return {};
    if (folder) *folder = item->folder;
    return item->path;
}

const Win32Picture* Win32PopupMenu::ImageOf(UINT id) const {
    if (id >= kFirstEntryId) return id - kFirstEntryId < entries_.size() ? entries_[id - kFirstEntryId].image.get() : nullptr;
    const platform::MenuItem* item = tree_.Item(static_cast<std::int32_t>(id));
    if (item == nullptr || item->image < 0 || images_ == nullptr) return nullptr;
    const platform::PictureRef picture = images_->Picture(item->image + 1);
    return dynamic_cast<const Win32Picture*>(picture.get());
}

// The item of an open menu under a point of the screen (0 for none).
UINT Win32PopupMenu::ItemAt(POINT screen) const {
    HWND window = ::WindowFromPoint(screen);
    wchar_t name[16] = {};
    if (window == nullptr || !::GetClassNameW(window, name, 16) || std::wstring_view(name) != L"#32768") return 0;
    auto menu = reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0));
    const int position = ::MenuItemFromPoint(window, menu, screen);
    return position < 0 ? 0 : IdAt(menu, position);
}

// The highlighted item of the innermost open menu that has one: the one Enter would choose.
UINT Win32PopupMenu::HighlightedItem() const {
    const std::set<HMENU> open = OpenMenus();
    UINT id = 0;
    for (HMENU menu = top_; menu != nullptr && open.count(menu);) {
        HMENU next = nullptr;
        for (int position = 0, count = ::GetMenuItemCount(menu); position < count; ++position) {
            if (::GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_HILITE) {
                id = IdAt(menu, position);
                next = ::GetSubMenu(menu, position);
                break;
            }
        }
        menu = next;
    }
    return id;
}

// Standard menus send no command for an item that opens a sub-menu, and no notice of a
// right-button release at all under Wine: the menu loop's message filter sees both. A click on
// a desktop folder's own item, or Enter while it is highlighted, chooses it; a right-button
// release on any desktop entry asks for its shell menu. Either ends the menu.
bool Win32PopupMenu::OnMenuMessage(const MSG& message) {
    bool folder = false;
    switch (message.message) {
    case WM_LBUTTONUP:
    case WM_KEYDOWN: {
        if (message.message == WM_KEYDOWN && message.wParam != VK_RETURN) return false;
        const UINT id = message.message == WM_KEYDOWN ? HighlightedItem() : ItemAt(message.pt);
        if (PathOf(id, &folder).empty() || !folder) return false;
        taken_ = {Taken::Kind::Choice, id, message.pt};
        break;
    }
    case WM_RBUTTONUP: {
        const UINT id = ItemAt(message.pt);
        if (PathOf(id).empty()) return false;
        taken_ = {Taken::Kind::ShellMenu, id, message.pt};
        break;
    }
    default:
        return false;
    }
    ::EndMenu();
    return true;
}

LRESULT CALLBACK Win32PopupMenu::MessageFilter(int code, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (code == MSGF_MENU && tracking_ != nullptr && tracking_->OnMenuMessage(*reinterpret_cast<MSG*>(lParam))) {
            return TRUE;
        }
    } catch (...) {
        // The menu goes on as if nothing had been seen.
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::int32_t Win32PopupMenu::ShowAt(std::int32_t /*x*/, std::int32_t /*y*/, std::int32_t alignment,
                                    std::int32_t excludeWidth, std::int32_t excludeHeight, std::int32_t /*reserved*/,
                                    std::int32_t defaultItem) {
    if (owner_ == nullptr || !::IsWindow(owner_)) return 0;
    cascades_.clear();
    entries_.clear();
    taken_ = {};
    unique_hmenu menu = BuildMenu(defaultItem);
    if (!menu) return 0;
    top_ = menu.get();

    // The caller's point is in its own element's units; the screen position comes from where
    // the pointer was at the input being handled, or from the window for the keyboard.
    POINT at{0, 0};
    if (anchor_ == platform::MenuAnchor::OwnerTopLeft) {
        ::ClientToScreen(owner_, &at);
    } else {
        const DWORD position = ::GetMessagePos();
        at = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    }
    TPMPARAMS exclusion{};
    exclusion.cbSize = sizeof exclusion;
    exclusion.rcExclude = {at.x, at.y, at.x + std::max(excludeWidth, 0), at.y + std::max(excludeHeight, 0)};
    const bool exclude = excludeWidth > 0 || excludeHeight > 0;
    const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | (static_cast<UINT>(alignment) & kAlignmentFlags);

    // The owner draws the images (when asked to), fills the folders' sub-menus and learns when
    // the menu is open; the message filter sees the menu loop's input.
    opened_ = false;
    const bool subclassed = ::SetWindowSubclass(owner_, &Win32PopupMenu::OwnerProcedure, kSubclassId,
                                                reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    Win32PopupMenu* const outer = std::exchange(tracking_, this);
    UINT chosen = 0;
    {
        const unique_hhook filter(::SetWindowsHookExW(WH_MSGFILTER, &Win32PopupMenu::MessageFilter, nullptr,
                                                      ::GetCurrentThreadId()));
        // A popup menu closes properly on a click elsewhere only when its owner is in the foreground.
        ::SetForegroundWindow(owner_);
        chosen = static_cast<UINT>(
            ::TrackPopupMenuEx(menu.get(), flags, at.x, at.y, owner_, exclude ? &exclusion : nullptr));
    }
    tracking_ = outer;
    if (subclassed) ::RemoveWindowSubclass(owner_, &Win32PopupMenu::OwnerProcedure, kSubclassId);
    // The next menu of this window would otherwise need two clicks to close.
    ::PostMessageW(owner_, WM_NULL, 0, 0);

    // What was chosen, read before the showing's menus and entries go.
    const Taken taken = taken_;
    const UINT id = taken.kind == Taken::Kind::None ? chosen : taken.id;
    const std::string path = PathOf(id);
    const bool entry = id >= kFirstEntryId;
    menu.reset();
    top_ = nullptr;
    cascades_.clear();
    entries_.clear();

    if (taken.kind == Taken::Kind::ShellMenu) {
        events_.objPMn_EntryMenu(path, taken.at.x, taken.at.y);
        return 0;
    }
    if (entry) {
        if (!path.empty()) events_.objPMn_EntryClick(path);
        return 0;
    }
    const auto index = static_cast<std::int32_t>(id);
    const platform::MenuItem* item = tree_.Item(index);
    if (item == nullptr || !item->enabled || item->caption.starts_with("-") || tree_.HasChildren(index)) return 0;
    events_.objPMn_Click(index);
    return index;
}

LRESULT CALLBACK Win32PopupMenu::OwnerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR /*id*/, DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<Win32PopupMenu*>(data);
    try {
        switch (message) {
        case WM_ENTERIDLE:
            if (wParam == MSGF_MENU && !self->opened_) {
                self->opened_ = true;
                if (self->onOpen) self->onOpen(hwnd);
            }
            break;
        case WM_INITMENUPOPUP:
            self->FillCascade(reinterpret_cast<HMENU>(wParam));
            break;
        case WM_MEASUREITEM:
            if (self->OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_DRAWITEM:
            if (self->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
            break;
        default:
            break;
        }
    } catch (...) {
        // The menu goes on; the window below still gets the message.
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

bool Win32PopupMenu::OnMeasureItem(MEASUREITEMSTRUCT& measure) const {
    if (measure.CtlType != ODT_MENU || measure.itemData != reinterpret_cast<ULONG_PTR>(this)) return false;
    measure.itemWidth = static_cast<UINT>(MenuImageSize() + 2 * kImageMargin);
    measure.itemHeight = static_cast<UINT>(MenuImageSize());
    return true;
}

bool Win32PopupMenu::OnDrawItem(const DRAWITEMSTRUCT& draw) const {
    if (draw.CtlType != ODT_MENU || draw.itemData != reinterpret_cast<ULONG_PTR>(this)) return false;
    const Win32Picture* image = ImageOf(draw.itemID);
    if (image == nullptr) return true;
    const int size = MenuImageSize();
    const int x = draw.rcItem.left + (draw.rcItem.right - draw.rcItem.left - size) / 2;
    const int y = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - size) / 2;
    unique_hdc source(::CreateCompatibleDC(draw.hDC));
    if (!source) return true;
    select_object selected(source.get(), image->Bitmap());
    const bool greyed = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, greyed ? kGreyedImageOpacity : BYTE{255}, AC_SRC_ALPHA};
    ::GdiAlphaBlend(draw.hDC, x, y, size, size, source.get(), 0, 0, image->PixelWidth(), image->PixelHeight(), blend);
    return true;
}

}  // namespace lumbra::win32
