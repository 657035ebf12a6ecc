#pragma once
// The process's window system objects (GDI and USER), counted to see that what a showing makes it
// gives back.
#include <windows.h>

namespace lumbra::bench {

struct GuiObjects {
    long gdi = 0;   // bitmaps, DCs, fonts, brushes, ...
    long user = 0;  // icons, menus, windows, ...
    bool operator==(const GuiObjects&) const = default;
};

// GetGuiResources where the system counts them; under Wine, which does not, by walking the
// handle tables (Wine takes a bare table index for a handle).
inline GuiObjects CountGuiObjects() {
    GuiObjects counts{static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)),
                      static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS))};
    if (counts.gdi != 0 || counts.user != 0) return counts;
    for (UINT i = 1; i < 0x10000; ++i) {
        const auto handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(i));
        counts.gdi += ::GetObjectType(static_cast<HGDIOBJ>(handle)) != 0;
        counts.user += ::IsMenu(static_cast<HMENU>(handle)) + ::IsWindow(static_cast<HWND>(handle));
        ICONINFO info{};
        if (::GetIconInfo(static_cast<HICON>(handle), &info)) {
            ++counts.user;
            // The copies the query made are not the icon's own.
            if (info.hbmColor) ::DeleteObject(info.hbmColor);
            if (info.hbmMask) ::DeleteObject(info.hbmMask);
        }
    }
    return counts;
}

}  // namespace lumbra::bench
