#include "platform/win32/NotifyIcon.h"

#include <shellapi.h>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

constexpr UINT kCallbackMessage = WM_APP + 1;

}  // namespace

bool TranslateIconMouse(UINT mouseMessage, std::int32_t& button, std::int32_t& action) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN: button = platform::kIconLeft; action = platform::kIconButtonDown; return true;
    case WM_LBUTTONUP: button = platform::kIconLeft; action = platform::kIconButtonUp; return true;
    case WM_LBUTTONDBLCLK: button = platform::kIconLeft; action = platform::kIconDoubleClick; return true;
    case WM_RBUTTONDOWN: button = platform::kIconRight; action = platform::kIconButtonDown; return true;
    case WM_RBUTTONUP: button = platform::kIconRight; action = platform::kIconButtonUp; return true;
    case WM_RBUTTONDBLCLK: button = platform::kIconRight; action = platform::kIconDoubleClick; return true;
    case WM_MBUTTONDOWN: button = platform::kIconMiddle; action = platform::kIconButtonDown; return true;
    case WM_MBUTTONUP: button = platform::kIconMiddle; action = platform::kIconButtonUp; return true;
    case WM_MBUTTONDBLCLK: button = platform::kIconMiddle; action = platform::kIconDoubleClick; return true;
    default: return false;
    }
}

Win32NotifyIcon::Win32NotifyIcon(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Win32NotifyIcon::WindowProcedure;
    wc.hInstance = instance;
    wc.lpszClassName = kNotifyWindowClass;
    ::RegisterClassExW(&wc);
    // A top-level window (never shown), not a message-only one: those miss broadcasts.
    window_.reset(::CreateWindowExW(0, kNotifyWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this));
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
}

Win32NotifyIcon::~Win32NotifyIcon() { RemoveIcon(); }

bool Win32NotifyIcon::Notify(DWORD what) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_.get();
    data.uID = kNotifyIconId;
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    tip_.copy(data.szTip, std::min<std::size_t>(tip_.size(), std::size(data.szTip) - 1));
    return ::Shell_NotifyIconW(what, &data) != FALSE;
}

void Win32NotifyIcon::AddIcon(std::uintptr_t icon, std::string_view tip) {
    icon_ = reinterpret_cast<HICON>(icon);
    tip_ = Widen(tip);
    added_ = true;
    Notify(NIM_ADD);
}

void Win32NotifyIcon::ChangeIcon(std::uintptr_t icon, std::string_view tip) {
    icon_ = reinterpret_cast<HICON>(icon);
    tip_ = Widen(tip);
    if (added_ && !Notify(NIM_MODIFY)) Notify(NIM_ADD);
}

void Win32NotifyIcon::RemoveIcon() {
    if (!added_) return;
    added_ = false;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_.get();
    data.uID = kNotifyIconId;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

LRESULT CALLBACK Win32NotifyIcon::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32NotifyIcon*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return self->OnMessage(hwnd, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT Win32NotifyIcon::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallbackMessage) {
        std::int32_t button = 0;
        std::int32_t action = 0;
        const UINT mouse = LOWORD(lParam);
        if (events_ == nullptr) return 0;
        if (TranslateIconMouse(mouse, button, action)) events_->prcIcon_IconMouse(button, action);
        // The right button, released, asks for the icon's menu; so does the keyboard on the icon.
        if (mouse == WM_RBUTTONUP || mouse == WM_CONTEXTMENU) events_->prcIcon_IconMenu();
        return 0;
    }
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        if (added_) Notify(NIM_ADD);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace lumbra::win32
