#pragma once
// A change notification on one folder, waited on by the user-interface thread's message loop.
#include <windows.h>

#include "platform/FolderWatch.h"
#include "platform/win32/Handles.h"
#include "platform/win32/MessageLoop.h"

namespace lumbra::win32 {

class Win32FolderWatch final : public platform::FolderWatch {
public:
    // A writer reports a file in several steps (created, grown, closed); the callback waits until
    // the folder has been quiet this long, so that one rewrite is read once, complete.
    static constexpr UINT kSettleMilliseconds = 120;

    explicit Win32FolderWatch(MessageLoop& loop) : loop_(loop) {}
    ~Win32FolderWatch() override;
    Win32FolderWatch(const Win32FolderWatch&) = delete;
    Win32FolderWatch& operator=(const Win32FolderWatch&) = delete;

    bool Watch(std::string_view file, std::function<void()> changed) override;
    void Stop() override;

private:
    static void CALLBACK OnSettled(HWND, UINT, UINT_PTR id, DWORD) noexcept;
    void OnSignalled(HANDLE handle);
    void CancelTimer();
    void Notify() noexcept;

    MessageLoop& loop_;
    unique_change_notification handle_;
    std::function<void()> changed_;
    UINT_PTR timer_ = 0;
};

}  // namespace lumbra::win32
