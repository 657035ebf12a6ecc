#include "platform/win32/MainWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/Dpi.h"
#include "platform/win32/DropTarget.h"
#include "platform/win32/Picture.h"
#include "platform/win32/ScenePainter.h"
#include "platform/win32/SingleInstance.h"
#include "platform/win32/WinText.h"
#include "res/resource.h"

namespace lumbra::win32 {
namespace {

// The designed layout, in twips: a client area of 3915 x 2955 with the panel at 30, 30 and
// 3840 x 2880, leaving margins of 30 at the left and top and 45 at the right and bottom.
constexpr float kClientWidthTwips = 3915.0f;
constexpr float kClientHeightTwips = 2955.0f;
constexpr float kPanelLeftTwips = 30.0f;
constexpr float kPanelTopTwips = 30.0f;
constexpr float kPanelWidthTwips = 3840.0f;
constexpr float kPanelHeightTwips = 2880.0f;
constexpr COLORREF kWindowBackground = RGB(64, 64, 64);
constexpr wchar_t kCaption[] = L"LumbraPanel";

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The window's own messages.
enum WindowMessage : UINT {
    // Runs the command of the drop that the panel took last (posted by the drop, which has
    // returned to the drag source by then).
    kMsgRunDrop = WM_APP + 0x40,
};

// The window procedure the message hook replaced; every message goes on to it.
WNDPROC previousWindowProc = nullptr;

// A wheel message's pointer, physical screen pixels, in logical pixels for the logic.
LPARAM LogicalPointer(LPARAM position, int dpiX, int dpiY) {
    const int x = platform::LogicalPixels(GET_X_LPARAM(position), dpiX);
    const int y = platform::LogicalPixels(GET_Y_LPARAM(position), dpiY);
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
}

COLORREF ResolveColor(platform::OleColor color) {
    const auto value = static_cast<std::uint32_t>(color);
    if ((value & 0x80000000u) != 0) {
        const std::uint32_t index = value & 0x00FFFFFFu;
        // A system colour; anything that is not one stands for the desktop's own.
        return ::GetSysColor(index <= COLOR_MENUBAR ? static_cast<int>(index) : COLOR_DESKTOP);
    }
    return static_cast<COLORREF>(value & 0x00FFFFFFu);
}

int ShiftBits(WPARAM keys) {
    int shift = 0;
    if (keys & MK_SHIFT) shift |= 1;
    if (keys & MK_CONTROL) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

// At the system's size for the kind (the small one is the notification area's too), scaled down
// from a larger image where the resource has none of that size.
HICON LoadAppIcon(HINSTANCE instance, int id, int kind) {
    HICON icon = nullptr;
    return SUCCEEDED(::LoadIconMetric(instance, MAKEINTRESOURCEW(id), kind, &icon)) ? icon : nullptr;
}

}  // namespace

Win32MainWindow::Win32MainWindow(HINSTANCE instance, const platform::ScreenMetrics& screen)
    : instance_(instance), dpiX_(platform::UsableDpi(screen.dpiX)), dpiY_(platform::UsableDpi(screen.dpiY)),
      tppX_(platform::DeviceTwipsPerPixel(dpiX_)), tppY_(platform::DeviceTwipsPerPixel(dpiY_)), scene_(tppX_, tppY_) {
    colourBig_.reset(LoadAppIcon(instance, IDI_LUMBRA, LIM_LARGE));
    colourSmall_.reset(LoadAppIcon(instance, IDI_LUMBRA, LIM_SMALL));
    greyBig_.reset(LoadAppIcon(instance, IDI_LUMBRA_GREY, LIM_LARGE));
    greySmall_.reset(LoadAppIcon(instance, IDI_LUMBRA_GREY, LIM_SMALL));
    secondStartMessage_ = SecondStartMessage();
    background_.reset(::CreateSolidBrush(kWindowBackground));

    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.style = 0;
    main.lpfnWndProc = &Win32MainWindow::WindowProcedure;
    main.hInstance = instance;
    main.hIcon = colourBig_.get();
    main.hIconSm = colourSmall_.get();
    main.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    main.hbrBackground = background_.get();
    main.lpszClassName = kMainWindowClass;
    ::RegisterClassExW(&main);

    WNDCLASSEXW panel{};
    panel.cbSize = sizeof panel;
    panel.style = CS_DBLCLKS;
    panel.lpfnWndProc = &Win32MainWindow::PanelProcedure;
    panel.hInstance = instance;
    panel.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    panel.hbrBackground = nullptr;  // the panel paints every pixel itself
    panel.lpszClassName = kPanelWindowClass;
    ::RegisterClassExW(&panel);

    RECT frame{0, 0, platform::TwipsToDevicePixels(kClientWidthTwips, dpiX_),
               platform::TwipsToDevicePixels(kClientHeightTwips, dpiY_)};
    ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    hwnd_ = ::CreateWindowExW(0, kMainWindowClass, kCaption, kWindowStyle, 0, 0, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, this);
    panel_ = ::CreateWindowExW(0, kPanelWindowClass, L"", WS_CHILD | WS_VISIBLE,
                               platform::TwipsToDevicePixels(kPanelLeftTwips, dpiX_),
                               platform::TwipsToDevicePixels(kPanelTopTwips, dpiY_),
                               panelWidth_.Request(kPanelWidthTwips, tppX_),
                               panelHeight_.Request(kPanelHeightTwips, tppY_), hwnd_, nullptr, instance, this);

    // The two elements of the design: the shown wallpaper inside the panel, and the hidden
    // holder that measures a picture's natural size.
    scene_.Add("imgWall");
    scene_.Add("picWall");

    RegisterPanelDropTarget();
}

Win32MainWindow::~Win32MainWindow() {
    if (dropTarget_ && panel_ && ::IsWindow(panel_)) ::RevokeDragDrop(panel_);
    if (backDc_ && backDcOriginalBitmap_) ::SelectObject(backDc_.get(), backDcOriginalBitmap_);
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

// ---- geometry -------------------------------------------------------------------------------

RECT Win32MainWindow::OuterRect() const {
    RECT r{};
    if (::IsIconic(hwnd_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        ::GetWindowPlacement(hwnd_, &placement);
        r = placement.rcNormalPosition;
        // The restored position is in work-area coordinates; make it screen coordinates.
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (::GetMonitorInfoW(::MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &info)) {
            ::OffsetRect(&r, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
        }
        return r;
    }
    ::GetWindowRect(hwnd_, &r);
    return r;
}

float Win32MainWindow::Left() const { return platform::PixelsToTwips(OuterRect().left, dpiX_); }
float Win32MainWindow::Top() const { return platform::PixelsToTwips(OuterRect().top, dpiY_); }
float Win32MainWindow::Width() const {
    RECT r = OuterRect();
    return platform::PixelsToTwips(r.right - r.left, dpiX_);
}
float Win32MainWindow::Height() const {
    RECT r = OuterRect();
    return platform::PixelsToTwips(r.bottom - r.top, dpiY_);
}

void Win32MainWindow::MoveTo(int x, int y) {
    ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainWindow::ResizeTo(int width, int height) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, std::max(width, 0), std::max(height, 0),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainWindow::SetLeft(float twips) {
    RECT r = OuterRect();
    MoveTo(platform::TwipsToDevicePixels(twips, dpiX_), r.top);
}

void Win32MainWindow::SetTop(float twips) {
    RECT r = OuterRect();
    MoveTo(r.left, platform::TwipsToDevicePixels(twips, dpiY_));
}

void Win32MainWindow::SetWidth(float twips) {
    RECT r = OuterRect();
    ResizeTo(platform::TwipsToDevicePixels(twips, dpiX_), r.bottom - r.top);
}

void Win32MainWindow::SetHeight(float twips) {
    RECT r = OuterRect();
    ResizeTo(r.right - r.left, platform::TwipsToDevicePixels(twips, dpiY_));
}

float Win32MainWindow::PanelWidth() const {
    RECT r{};
    ::GetWindowRect(panel_, &r);
    return panelWidth_.Read(r.right - r.left, tppX_);
}

float Win32MainWindow::PanelHeight() const {
    RECT r{};
    ::GetWindowRect(panel_, &r);
    return panelHeight_.Read(r.bottom - r.top, tppY_);
}

void Win32MainWindow::SetPanelWidth(float twips) {
    RECT r{};
    ::GetWindowRect(panel_, &r);
    ::SetWindowPos(panel_, nullptr, 0, 0, panelWidth_.Request(twips, tppX_), r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainWindow::SetPanelHeight(float twips) {
    RECT r{};
    ::GetWindowRect(panel_, &r);
    ::SetWindowPos(panel_, nullptr, 0, 0, r.right - r.left, panelHeight_.Request(twips, tppY_),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainWindow::RefreshPanel() { ::InvalidateRect(panel_, nullptr, FALSE); }

bool Win32MainWindow::Minimised() const { return ::IsIconic(hwnd_) != FALSE; }
bool Win32MainWindow::IsVisible() const { return ::IsWindowVisible(hwnd_) != FALSE; }

void Win32MainWindow::Show() {
    if (!shown_) {
        // The first showing runs the resize handling once; from then on every size change does.
        shown_ = true;
        if (events_) events_->Form_Resize();
    }
    // No UpdateWindow: the first paint must come through the message loop, after loading has
    // finished, or it would find the composition still switched off.
    ::ShowWindow(hwnd_, SW_SHOW);
}

void Win32MainWindow::Hide() { ::ShowWindow(hwnd_, SW_HIDE); }

void Win32MainWindow::BringToFront() {
    if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
    ::SetForegroundWindow(hwnd_);
}

// Posted, as the close button's command is: the window goes once the handler that asked returns.
void Win32MainWindow::Close() { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void Win32MainWindow::SetIcon(platform::AppIcon icon) {
    icon_ = icon;
    const bool grey = icon == platform::AppIcon::Grey;
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(grey ? greyBig_.get() : colourBig_.get()));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(grey ? greySmall_.get() : colourSmall_.get()));
}

std::uintptr_t Win32MainWindow::IconHandle() const {
    return reinterpret_cast<std::uintptr_t>(icon_ == platform::AppIcon::Grey ? greySmall_.get() : colourSmall_.get());
}

void Win32MainWindow::MakeTopmost() {
    ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void Win32MainWindow::InstallMessageHook() {
    if (previousWindowProc != nullptr) return;
    previousWindowProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32MainWindow::HookProcedure)));
}

std::vector<platform::TwipsRect> Win32MainWindow::MonitorWorkAreas() const {
    struct Collect {
        std::vector<platform::TwipsRect> areas;
        int dpiX;
        int dpiY;
    } collect{{}, dpiX_, dpiY_};
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            auto* c = reinterpret_cast<Collect*>(data);
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
            const RECT& w = info.rcWork;
            platform::TwipsRect area{platform::PixelsToTwips(w.left, c->dpiX), platform::PixelsToTwips(w.top, c->dpiY),
                                     platform::PixelsToTwips(w.right - w.left, c->dpiX),
                                     platform::PixelsToTwips(w.bottom - w.top, c->dpiY)};
            if (info.dwFlags & MONITORINFOF_PRIMARY) {
                c->areas.insert(c->areas.begin(), area);
            } else {
                c->areas.push_back(area);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&collect));
    return collect.areas;
}

// ---- the window's own procedure -------------------------------------------------------------

LRESULT CALLBACK Win32MainWindow::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Win32MainWindow*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK Win32MainWindow::HookProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Win32MainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && self->events_ != nullptr) {
        try {
            const LPARAM forLogic =
                message == WM_MOUSEWHEEL ? LogicalPointer(lParam, self->dpiX_, self->dpiY_) : lParam;
            self->events_->WindowProc(message, static_cast<std::int32_t>(wParam), static_cast<std::int32_t>(forLogic));
        } catch (...) {
            // The message still goes on to the window below.
        }
    }
    return ::CallWindowProcW(previousWindowProc, hwnd, message, wParam, lParam);
}

LRESULT Win32MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && shown_ && events_ != nullptr) events_->Form_Resize();
        return 0;
    case WM_GETMINMAXINFO: {
        // The resize handling keeps its own minimum (half the default size), which may be
        // smaller than the system's; and the wheel zoom may take the window past the screen.
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = 1;
        info->ptMinTrackSize.y = 1;
        info->ptMaxTrackSize.x = std::max<LONG>(info->ptMaxTrackSize.x, 8 * ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
        info->ptMaxTrackSize.y = std::max<LONG>(info->ptMaxTrackSize.y, 8 * ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
        return 0;
    }
    case WM_CLOSE:
        OnClose(platform::UnloadMode::FormControlMenu);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) OnClose(platform::UnloadMode::AppWindows);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    case WM_DEVICECHANGE:
        if (deviceChange_) deviceChange_(wParam, lParam);
        return TRUE;  // a removal is never refused
    case kMsgRunDrop:
        RunDrop();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_CONTEXTMENU:
        if (OnContextMenuKey(message, wParam, lParam)) return 0;
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    default:
        if (message == secondStartMessage_ && message != 0) {
            if (events_ != nullptr) events_->Form_SecondStart();
            return 0;
        }
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

// The context-menu key (on its release) and Shift+F10 open the popup menu, and so does a
// context-menu request without a pointer position from anywhere else. The keys are taken here
// rather than left to the default handling, which would turn them into such a request as well
// (or not, depending on the system).
bool Win32MainWindow::OnContextMenuKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (events_ == nullptr) return false;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_APPS) return true;
        if (wParam == VK_F10 && shift) break;
        return false;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F10 && shift) break;
        return false;
    case WM_KEYUP:
        if (wParam == VK_APPS) break;
        return false;
    case WM_CONTEXTMENU:
        if (lParam == -1) break;
        return false;
    default:
        return false;
    }
    events_->Form_ContextMenu();
    return true;
}

void Win32MainWindow::OnClose(platform::UnloadMode mode) {
    if (unloaded_) return;
    bool cancel = false;
    if (events_ != nullptr) events_->Form_QueryUnload(cancel, mode);
    if (cancel) return;
    if (events_ != nullptr) events_->Form_Unload(cancel);
    if (cancel) return;
    unloaded_ = true;
    ::DestroyWindow(hwnd_);
}

// ---- the picture panel ----------------------------------------------------------------------

LRESULT CALLBACK Win32MainWindow::PanelProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->panel_ == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return self->OnPanelMessage(message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT Win32MainWindow::OnPanelMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPanelPaint();
        return 0;
    case WM_LBUTTONUP:
        OnPanelMouseUp(platform::kLeftButton, wParam, lParam);
        return 0;
    case WM_RBUTTONUP:
        OnPanelMouseUp(platform::kRightButton, wParam, lParam);
        return 0;
    case WM_MBUTTONUP:
        OnPanelMouseUp(platform::kMiddleButton, wParam, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnPanelDoubleClick(lParam);
        return 0;
    case WM_DESTROY:
        // The drop target goes with the panel, before the window system forgets it; a source
        // still waiting for a drop's outcome hears that nothing came of it.
        if (dropTarget_) {
            ::RevokeDragDrop(panel_);
            dropTarget_->Finish(platform::DropOutcome::Nothing);
        }
        dropTarget_.Reset();
        return 0;
    default:
        // Wheel messages travel on to the main window through the default handling.
        return ::DefWindowProcW(panel_, message, wParam, lParam);
    }
}

const platform::ImageElement* Win32MainWindow::WallpaperElementAt(int x, int y) const {
    const platform::ImageElement* wall = scene_.Find("imgWall");
    if (wall == nullptr || !wall->Visible()) return nullptr;
    const int left = wall->PixelLeft();
    const int top = wall->PixelTop();
    if (x < left || y < top || x >= left + wall->PixelWidth() || y >= top + wall->PixelHeight()) return nullptr;
    return wall;
}

void Win32MainWindow::OnPanelMouseUp(int button, WPARAM keys, LPARAM position) {
    if (events_ == nullptr) return;
    const int x = GET_X_LPARAM(position);
    const int y = GET_Y_LPARAM(position);
    const int shift = ShiftBits(keys);
    if (const platform::ImageElement* wall = WallpaperElementAt(x, y)) {
        events_->imgWall_MouseUp(button, shift, static_cast<float>(x) * tppX_ - wall->Left(),
                                 static_cast<float>(y) * tppY_ - wall->Top());
    } else {
        events_->picDT_MouseUp(button, shift, static_cast<float>(x) * tppX_, static_cast<float>(y) * tppY_);
    }
}

void Win32MainWindow::OnPanelDoubleClick(LPARAM position) {
    if (events_ == nullptr) return;
    if (WallpaperElementAt(GET_X_LPARAM(position), GET_Y_LPARAM(position)) != nullptr) events_->imgWall_DblClick();
}

void Win32MainWindow::OnPanelPaint() {
    PAINTSTRUCT ps{};
    HDC dc = ::BeginPaint(panel_, &ps);
    scope_exit endPaint([&] { ::EndPaint(panel_, &ps); });
    const RECT& update = ps.rcPaint;
    const SIZE size{update.right - update.left, update.bottom - update.top};
    if (size.cx <= 0 || size.cy <= 0) return;
    const COLORREF colour = ResolveColor(scene_.BackColor());

    // Only the part being painted is buffered: a panel zoomed far beyond the screen never asks
    // for a bitmap of its whole size.
    if (!backDc_ || size.cx > backSize_.cx || size.cy > backSize_.cy) {
        if (backDc_ && backDcOriginalBitmap_) ::SelectObject(backDc_.get(), backDcOriginalBitmap_);
        backDcOriginalBitmap_ = nullptr;
        backSize_ = {std::max(size.cx, backSize_.cx), std::max(size.cy, backSize_.cy)};
        backBitmap_.reset(::CreateCompatibleBitmap(dc, backSize_.cx, backSize_.cy));
        if (!backDc_) backDc_.reset(::CreateCompatibleDC(dc));
        if (backDc_ && backBitmap_) backDcOriginalBitmap_ = ::SelectObject(backDc_.get(), backBitmap_.get());
    }
    if (backDcOriginalBitmap_ == nullptr) {
        // No buffer (no memory for it): the desktop colour rather than whatever the screen held.
        backSize_ = {0, 0};
        unique_hbrush fill(::CreateSolidBrush(colour));
        ::FillRect(dc, &update, fill.get());
        return;
    }
    HDC back = backDc_.get();
    const HRGN noClip = nullptr;
    ::SelectClipRgn(back, noClip);
    ::SetViewportOrgEx(back, -update.left, -update.top, nullptr);
    ::IntersectClipRect(back, update.left, update.top, update.right, update.bottom);
    PaintScene(back, scene_, colour);
    ::SetViewportOrgEx(back, 0, 0, nullptr);
    ::BitBlt(dc, update.left, update.top, size.cx, size.cy, back, 0, 0, SRCCOPY);
}

// ---- file drop ------------------------------------------------------------------------------

namespace {

// The items of the drop menu dmymn_A.
enum DropMenuCommand : UINT {
    kMnuMove = 0x4101,
    kMnuCopy = 0x4102,
    kMnuShortCut = 0x4103,
    kMnuCancel = 0x4104,
};

}  // namespace

void Win32MainWindow::RegisterPanelDropTarget() {
    // The whole panel window takes drops, the margins around the picture included.
    DropTargetEvents events;
    events.dragOver = [this](DWORD keyState, POINTL screen) { OnPanelDragOver(keyState, screen); };
    events.drop = [this](const platform::DropData& data, DWORD keyState, POINTL screen) {
        return OnPanelDrop(data, keyState, screen);
    };
    Microsoft::WRL::ComPtr<PanelDropTarget> target;
    target.Attach(new (std::nothrow) PanelDropTarget(std::move(events)));
    if (target && panel_ && SUCCEEDED(::RegisterDragDrop(panel_, target.Get()))) dropTarget_ = target;

    dropMenu_.reset(::CreatePopupMenu());
    ::AppendMenuW(dropMenu_.get(), MF_STRING, kMnuMove, Widen("移動(&M)").c_str());
    ::AppendMenuW(dropMenu_.get(), MF_STRING, kMnuCopy, Widen("コピー(&C)").c_str());
    ::AppendMenuW(dropMenu_.get(), MF_STRING, kMnuShortCut, Widen("ショートカットを作成(&S)").c_str());
    ::AppendMenuW(dropMenu_.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(dropMenu_.get(), MF_STRING, kMnuCancel, Widen("キャンセル").c_str());
}

void Win32MainWindow::OnPanelDragOver(DWORD keyState, POINTL screen) {
    if (events_ == nullptr) return;
    POINT p{screen.x, screen.y};
    ::ScreenToClient(panel_, &p);
    const int button = DragButtons(keyState);
    const int shift = DragShift(keyState);
    if (const platform::ImageElement* wall = WallpaperElementAt(p.x, p.y)) {
        events_->imgWall_OLEDragOver(button, shift, static_cast<float>(p.x) * tppX_ - wall->Left(),
                                     static_cast<float>(p.y) * tppY_ - wall->Top());
    } else {
        events_->picDT_OLEDragOver(button, shift, static_cast<float>(p.x) * tppX_, static_cast<float>(p.y) * tppY_);
    }
}

// The drop returns to the drag source at once: the menu, the questions and the copying run
// from the window's own message loop, and the source's program goes on meanwhile.
bool Win32MainWindow::OnPanelDrop(const platform::DropData& data, DWORD keyState, POINTL screen) {
    pendingDrop_ = {data, keyState, screen};
    return ::PostMessageW(hwnd_, kMsgRunDrop, 0, 0) != FALSE;
}

void Win32MainWindow::RunDrop() {
    const PendingDrop drop = std::move(pendingDrop_);
    if (events_ != nullptr) {
        POINT p{drop.screen.x, drop.screen.y};
        ::ScreenToClient(panel_, &p);
        const int button = DragButtons(drop.keyState);
        const int shift = DragShift(drop.keyState);
        if (const platform::ImageElement* wall = WallpaperElementAt(p.x, p.y)) {
            events_->imgWall_OLEDragDrop(drop.data, button, shift, static_cast<float>(p.x) * tppX_ - wall->Left(),
                                         static_cast<float>(p.y) * tppY_ - wall->Top());
        } else {
            events_->picDT_OLEDragDrop(drop.data, button, shift, static_cast<float>(p.x) * tppX_,
                                       static_cast<float>(p.y) * tppY_);
        }
    }
    // A handler that said nothing of the outcome did nothing.
    EndDrop(platform::DropOutcome::Nothing);
}

void Win32MainWindow::EndDrop(platform::DropOutcome outcome) {
    if (dropTarget_) dropTarget_->Finish(outcome);
}

void Win32MainWindow::PopupDropMenu() {
    if (!dropMenu_) return;
    POINT pointer{};
    ::GetCursorPos(&pointer);
    // Without the foreground the menu neither takes keys nor closes on a click elsewhere.
    ::SetForegroundWindow(hwnd_);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenuEx(dropMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON, pointer.x,
                           pointer.y, hwnd_, nullptr));
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
    if (events_ == nullptr) return;
    // The chosen item's handler runs before the menu call returns, as the caller expects.
    switch (chosen) {
    case kMnuMove:
        events_->mnuMove_Click();
        break;
    case kMnuCopy:
        events_->mnuCopy_Click();
        break;
    case kMnuShortCut:
        events_->mnuShortCut_Click();
        break;
    default:
        break;  // "キャンセル", Escape, or a click outside
    }
}

// ---- the notification-area icon's menu --------------------------------------------------------

namespace {

enum IconMenuCommand : UINT { kMnuShow = 0x4201, kMnuStartup = 0x4202, kMnuExit = 0x4203 };

}  // namespace

void Win32MainWindow::PopupIconMenu(bool shown, bool startsWithWindows) {
    unique_hmenu menu(::CreatePopupMenu());
    if (!menu) return;
    ::AppendMenuW(menu.get(), MF_STRING | (shown ? MF_CHECKED : 0), kMnuShow, Widen("表示(&S)").c_str());
    ::AppendMenuW(menu.get(), MF_STRING | (startsWithWindows ? MF_CHECKED : 0), kMnuStartup,
                  Widen("Windows の起動時に開始(&W)").c_str());
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, kMnuExit, Widen("終了(&X)").c_str());
    POINT pointer{};
    ::GetCursorPos(&pointer);
    // The menu's owner must be in the foreground, or the menu neither takes keys nor closes on a
    // click elsewhere; the null message after it lets the menu close properly when dismissed. The
    // main window may be hidden, and a hidden window does not take the keyboard everywhere, so
    // the owner is a pixel-sized tool window under the pointer, shown while the menu is open.
    unique_hwnd owner(::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP, pointer.x,
                                        pointer.y, 1, 1, nullptr, nullptr, instance_, nullptr));
    if (!owner) return;
    ::ShowWindow(owner.get(), SW_SHOW);
    ::SetForegroundWindow(owner.get());
    const UINT chosen = static_cast<UINT>(::TrackPopupMenuEx(
        menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, pointer.x, pointer.y, owner.get(), nullptr));
    owner.reset();
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
    if (events_ == nullptr) return;
    switch (chosen) {
    case kMnuShow:
        events_->mnuShow_Click();
        break;
    case kMnuStartup:
        events_->mnuStartup_Click();
        break;
    case kMnuExit:
        events_->mnuExit_Click();
        break;
    default:
        break;  // Escape, or a click elsewhere
    }
}

}  // namespace lumbra::win32
