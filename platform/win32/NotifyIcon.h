#pragma once
// The notification-area icon: one icon with a tip, reporting mouse actions as IconMouse. A
// hidden top-level window receives the icon's callbacks and the "TaskbarCreated" broadcast, on
// which the icon is put back (the task bar was restarted).
#include <windows.h>

#include <string>

#include "platform/NotifyIcon.h"
#include "platform/win32/Handles.h"

namespace lumbra::win32 {

inline constexpr wchar_t kNotifyWindowClass[] = L"LumbraNotifyIcon";
inline constexpr UINT kNotifyIconId = 1;

// The button code and action code of a callback message; false for messages that are none.
bool TranslateIconMouse(UINT mouseMessage, std::int32_t& button, std::int32_t& action);

class Win32NotifyIcon final : public platform::NotifyIcon {
public:
    explicit Win32NotifyIcon(HINSTANCE instance);
    ~Win32NotifyIcon() override;
    Win32NotifyIcon(const Win32NotifyIcon&) = delete;
    Win32NotifyIcon& operator=(const Win32NotifyIcon&) = delete;

    void SetEvents(platform::NotifyIconEvents* events) { events_ = events; }

    void AddIcon(std::uintptr_t icon, std::string_view tip) override;
    void ChangeIcon(std::uintptr_t icon, std::string_view tip) override;
    void RemoveIcon() override;

private:
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool Notify(DWORD what);

    unique_hwnd window_;
    UINT taskbarCreated_ = 0;
    platform::NotifyIconEvents* events_ = nullptr;
    HICON icon_ = nullptr;  // not owned: the main window keeps its icons alive
    std::wstring tip_;
    bool added_ = false;
};

}  // namespace lumbra::win32
