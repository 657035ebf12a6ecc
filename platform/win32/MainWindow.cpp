#include "platform/win32/MainWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/win32/DropTarget.h"
#include "platform/win32/Picture.h"
#include "platform/win32/ScenePainter.h"
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

int ToPixels(float twips, float tpp) { return platform::TwipsToPixels(twips, tpp); }

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

HICON LoadAppIcon(HINSTANCE instance, int id, int size) {
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

Win32MainWindow::Win32MainWindow(HINSTANCE instance, const platform::ScreenMetrics& screen)
    : instance_(instance), tppX_(screen.twipsPerPixelX), tppY_(screen.twipsPerPixelY),
      scene_(screen.twipsPerPixelX, screen.twipsPerPixelY) {
    const int bigX = ::GetSystemMetrics(SM_CXICON);
    const int smallX = ::GetSystemMetrics(SM_CXSMICON);
    colourBig_.reset(LoadAppIcon(instance, IDI_LUMBRA, bigX));
    colourSmall_.reset(LoadAppIcon(instance, IDI_LUMBRA, smallX));
    greyBig_.reset(LoadAppIcon(instance, IDI_LUMBRA_GREY, bigX));
    greySmall_.reset(LoadAppIcon(instance, IDI_LUMBRA_GREY, smallX));
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

    RECT frame{0, 0, ToPixels(kClientWidthTwips, tppX_), ToPixels(kClientHeightTwips, tppY_)};
    ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    hwnd_ = ::CreateWindowExW(0, kMainWindowClass, kCaption, kWindowStyle, 0, 0, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, this);
    panel_ = ::CreateWindowExW(0, kPanelWindowClass, L"", WS_CHILD | WS_VISIBLE, ToPixels(kPanelLeftTwips, tppX_),
                               ToPixels(kPanelTopTwips, tppY_), panelWidth_.Request(kPanelWidthTwips, tppX_),
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

float Win32MainWindow::Left() const { return static_cast<float>(OuterRect().left) * tppX_; }
float Win32MainWindow::Top() const { return static_cast<float>(OuterRect().top) * tppY_; }
float Win32MainWindow::Width() const {
    RECT r = OuterRect();
    return static_cast<float>(r.right - r.left) * tppX_;
}
float Win32MainWindow::Height() const {
    RECT r = OuterRect();
    return static_cast<float>(r.bottom - r.top) * tppY_;
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
    MoveTo(ToPixels(twips, tppX_), r.top);
}

void Win32MainWindow::SetTop(float twips) {
    RECT r = OuterRect();
    MoveTo(r.left, ToPixels(twips, tppY_));
}

void Win32MainWindow::SetWidth(float twips) {
    RECT r = OuterRect();
    ResizeTo(ToPixels(twips, tppX_), r.bottom - r.top);
}

void Win32MainWindow::SetHeight(float twips) {
    RECT r = OuterRect();
    ResizeTo(r.right - r.left, ToPixels(twips, tppY_));
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
        float tppX;
        float tppY;
    } collect{{}, tppX_, tppY_};
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            auto* c = reinterpret_cast<Collect*>(data);
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
            const RECT& w = info.rcWork;
            platform::TwipsRect area{static_cast<float>(w.left) * c->tppX, static_cast<float>(w.top) * c->tppY,
                                     static_cast<float>(w.right - w.left) * c->tppX,
                                     static_cast<float>(w.bottom - w.top) * c->tppY};
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
            self->events_->WindowProc(message, static_cast<std::int32_t>(wParam), static_cast<std::int32_t>(lParam));
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
    RECT client{};
    ::GetClientRect(panel_, &client);
    const SIZE size{client.right, client.bottom};
    if (size.cx <= 0 || size.cy <= 0) return;

    if (!backDc_ || size.cx != backSize_.cx || size.cy != backSize_.cy) {
        if (backDc_ && backDcOriginalBitmap_) ::SelectObject(backDc_.get(), backDcOriginalBitmap_);
        backBitmap_.reset(::CreateCompatibleBitmap(dc, size.cx, size.cy));
        if (!backDc_) backDc_.reset(::CreateCompatibleDC(dc));
        backDcOriginalBitmap_ = ::SelectObject(backDc_.get(), backBitmap_.get());
        backSize_ = size;
    }
    HDC back = backDc_.get();

    unique_hbrush fill(::CreateSolidBrush(ResolveColor(scene_.BackColor())));
    ::FillRect(back, &client, fill.get());
    PaintElements(back, scene_);
    ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, back, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
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

}  // namespace lumbra::win32
