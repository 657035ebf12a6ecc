#pragma once
// The main window as the logic sees it: geometry in twips (single precision, each value read
// back as the window actually took it), the picture panel picDT with its element model, the
// window icon, and the window-system requests the start-up makes.
#include <cstdint>
#include <vector>

#include "platform/DropData.h"
#include "platform/Scene.h"

namespace lumbra::platform {

// The program's own icon resources.
enum class AppIcon : int { Grey = 101, Colour = 102 };

struct TwipsRect {
    float left = 0.0f;
    float top = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// Why the window is closing (the reason passed to the query before unloading).
enum class UnloadMode : int { FormControlMenu = 0, FormCode = 1, AppWindows = 2, AppTaskManager = 3 };

// Messages the message hook reacts to, by their window-system numbers.
enum HookMessage : std::uint32_t {
    kMsgPaint = 0x000F,
    kMsgSettingChange = 0x001A,
    kMsgSysColorChange = 0x0015,
    kMsgMouseWheel = 0x020A,
};

// Mouse buttons and shift-key bits of the element mouse events.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

class MainWindowEvents {
public:
    virtual ~MainWindowEvents() = default;
    // A size change of the window (not while minimised), and the first showing.
    virtual void Form_Resize() = 0;
    virtual void Form_QueryUnload(bool& cancel, UnloadMode mode) = 0;
    virtual void Form_Unload(bool& cancel) = 0;
    // The message hook, once installed: every message of the main window passes here before
    // the window's previous procedure handles it.
    virtual void WindowProc(std::uint32_t message, std::int32_t wParam, std::int32_t lParam) = 0;
    // Mouse releases over the panel: over the shown wallpaper element, or over the rest of it.
    // x and y are twips inside the element that reports them.
    virtual void picDT_MouseUp(int button, int shift, float x, float y) = 0;
    virtual void imgWall_MouseUp(int button, int shift, float x, float y) = 0;
    virtual void imgWall_DblClick() = 0;

    // A drag moving over the panel (entering it included), on the wallpaper element or on the
    // rest of the panel: the pressed mouse buttons (MouseButton bits), the shift bits and the
    // point in twips of the element. The drag source's proposed effect is left as it is.
    virtual void picDT_OLEDragOver(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
    virtual void imgWall_OLEDragOver(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
    // A drop on the panel, with what was dropped. It comes after the drop itself has returned
    // to the drag source, and ends with MainWindowView::EndDrop.
    virtual void picDT_OLEDragDrop(const DropData& /*data*/, int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
    virtual void imgWall_OLEDragDrop(const DropData& /*data*/, int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
    // The items of the drop menu dmymn_A; its "キャンセル" item has no handler. (These drop
    // events do nothing unless overridden, so that a listener may leave them out.)
    virtual void mnuMove_Click() {}
    virtual void mnuCopy_Click() {}
    virtual void mnuShortCut_Click() {}
    // The context-menu key or Shift+F10 on the window.
    virtual void Form_ContextMenu() {}
    // The items of the notification-area icon's menu (PopupIconMenu).
    virtual void mnuShow_Click() {}
    virtual void mnuStartup_Click() {}
    virtual void mnuExit_Click() {}
    // The program was started again in this session; that start ends, asking this one to come back.
    virtual void Form_SecondStart() {}
};

class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    virtual float Left() const = 0;
    virtual float Top() const = 0;
    virtual float Width() const = 0;
    virtual float Height() const = 0;
    virtual void SetLeft(float twips) = 0;
    virtual void SetTop(float twips) = 0;
    virtual void SetWidth(float twips) = 0;
    virtual void SetHeight(float twips) = 0;

    // The picture panel picDT.
    virtual float PanelWidth() const = 0;
    virtual float PanelHeight() const = 0;
    virtual void SetPanelWidth(float twips) = 0;
    virtual void SetPanelHeight(float twips) = 0;
    virtual Scene& Panel() = 0;
    // The panel's elements changed: paint them again.
    virtual void RefreshPanel() = 0;

    virtual bool Minimised() const = 0;
    virtual bool IsVisible() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;

    virtual void SetIcon(AppIcon icon) = 0;
    // The window's current icon, as a handle value the notification-area icon can show.
    virtual std::uintptr_t IconHandle() const = 0;
    virtual std::uintptr_t Handle() const = 0;

    virtual void MakeTopmost() = 0;
    // Routes every later message through MainWindowEvents::WindowProc before the window's
    // previous procedure.
    virtual void InstallMessageHook() = 0;

    // Work areas of the monitors, the primary first.
    virtual std::vector<TwipsRect> MonitorWorkAreas() const = 0;

    // Shows the drop menu dmymn_A at the mouse pointer and returns when it closes; the chosen
    // item's click event has run by then.
    virtual void PopupDropMenu() = 0;
    // Shows the notification-area icon's menu at the mouse pointer, "表示(&S)" checked when `shown`
    // and "Windows の起動時に開始(&W)" when `startsWithWindows`; the chosen item's click event has
    // run when it returns.
    virtual void PopupIconMenu(bool shown, bool startsWithWindows) = 0;
    // Restores the window when it is minimised and brings it to the foreground.
    virtual void BringToFront() = 0;
    // Closes the window as its close button does: the unload events run, then the window goes.
    virtual void Close() = 0;
    // The drop being handled has come to this: the drag source is told, and the panel takes
    // drops again.
    virtual void EndDrop(DropOutcome /*outcome*/) {}
};

}  // namespace lumbra::platform
