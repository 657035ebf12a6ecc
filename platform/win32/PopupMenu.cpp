#include "platform/win32/PopupMenu.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/ImageList.h"
#include "platform/MenuCaption.h"
#include "platform/win32/Picture.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x4C4D;  // "LM"
constexpr UINT kAlignmentFlags = TPM_CENTERALIGN | TPM_RIGHTALIGN | TPM_VCENTERALIGN | TPM_BOTTOMALIGN;
// How much of a greyed item's image still shows.
constexpr BYTE kGreyedImageOpacity = 96;
// Space on either side of an image the menu asks the owner to draw, so that it does not touch
// the caption.
constexpr int kImageMargin = 2;

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

}  // namespace

MenuImageMode DefaultMenuImageMode() {
    return !RunsOnWine() && AppThemed() ? MenuImageMode::Bitmaps : MenuImageMode::OwnerDrawn;
}

Win32PopupMenu::Win32PopupMenu(platform::PopupMenuEvents& events, platform::CodePageCounter& codePage,
                               MenuImageMode mode)
    : events_(events), codePage_(codePage), mode_(mode) {}

Win32PopupMenu::~Win32PopupMenu() = default;

void Win32PopupMenu::SetImageSource(platform::ImageList& images) { images_ = &images; }

void Win32PopupMenu::SetOwnerWindow(std::uintptr_t window) { owner_ = reinterpret_cast<HWND>(window); }

std::int32_t Win32PopupMenu::AppendItem(std::string_view caption, std::string_view helpText, std::int32_t itemData,
                                        std::int32_t parent, std::int32_t image, bool checked, bool enabled,
                                        std::string_view key) {
    return tree_.Append(caption, helpText, itemData, parent, image, checked, enabled, key);
}

void Win32PopupMenu::SetItemEnabled(std::int32_t index, bool enabled) {
    if (platform::MenuItem* item = tree_.Item(index)) item->enabled = enabled;
}

void Win32PopupMenu::SetItemIcon(std::int32_t index, std::int32_t image) {
    if (platform::MenuItem* item = tree_.Item(index)) item->image = image;
}

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
        }
        if (item.image >= 0 && images_ != nullptr) {
            const platform::PictureRef picture = images_->Picture(item.image + 1);
            if (const auto* bitmap = dynamic_cast<const Win32Picture*>(picture.get())) {
                info.fMask |= MIIM_BITMAP;
                info.hbmpItem = mode_ == MenuImageMode::Bitmaps ? bitmap->Bitmap() : HBMMENU_CALLBACK;
            }
        }
        ::InsertMenuItemW(menu, position++, TRUE, &info);
    }
    return menu;
}

std::int32_t Win32PopupMenu::ShowAt(std::int32_t /*x*/, std::int32_t /*y*/, std::int32_t alignment,
                                    std::int32_t excludeWidth, std::int32_t excludeHeight, std::int32_t /*reserved*/,
                                    std::int32_t defaultItem) {
    if (owner_ == nullptr || !::IsWindow(owner_)) return 0;
    unique_hmenu menu = BuildMenu(defaultItem);
    if (!menu) return 0;

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

    // The owner draws the images (when asked to) and learns when the menu is open.
    opened_ = false;
    const bool subclassed = ::SetWindowSubclass(owner_, &Win32PopupMenu::OwnerProcedure, kSubclassId,
                                                reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    // A popup menu closes properly on a click elsewhere only when its owner is in the foreground.
    ::SetForegroundWindow(owner_);
    const BOOL chosen = ::TrackPopupMenuEx(menu.get(), flags, at.x, at.y, owner_, exclude ? &exclusion : nullptr);
    if (subclassed) ::RemoveWindowSubclass(owner_, &Win32PopupMenu::OwnerProcedure, kSubclassId);
    // The next menu of this window would otherwise need two clicks to close.
    ::PostMessageW(owner_, WM_NULL, 0, 0);
    menu.reset();

    const std::int32_t index = static_cast<std::int32_t>(chosen);
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
    measure.itemWidth = platform::kMenuImageSize + 2 * kImageMargin;
    measure.itemHeight = platform::kMenuImageSize;
    return true;
}

bool Win32PopupMenu::OnDrawItem(const DRAWITEMSTRUCT& draw) const {
    if (draw.CtlType != ODT_MENU || draw.itemData != reinterpret_cast<ULONG_PTR>(this)) return false;
    const platform::MenuItem* item = tree_.Item(static_cast<std::int32_t>(draw.itemID));
    if (item == nullptr || item->image < 0 || images_ == nullptr) return true;
    const platform::PictureRef picture = images_->Picture(item->image + 1);
    const auto* bitmap = dynamic_cast<const Win32Picture*>(picture.get());
    if (bitmap == nullptr) return true;
    const int size = platform::kMenuImageSize;
    const int x = draw.rcItem.left + (draw.rcItem.right - draw.rcItem.left - size) / 2;
    const int y = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - size) / 2;
    unique_hdc source(::CreateCompatibleDC(draw.hDC));
    if (!source) return true;
    select_object selected(source.get(), bitmap->Bitmap());
    const bool greyed = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, greyed ? kGreyedImageOpacity : BYTE{255}, AC_SRC_ALPHA};
    ::GdiAlphaBlend(draw.hDC, x, y, size, size, source.get(), 0, 0, bitmap->PixelWidth(), bitmap->PixelHeight(), blend);
    return true;
}

}  // namespace lumbra::win32
