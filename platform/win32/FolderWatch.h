#pragma once
// A folder opened with CreateFileW and watched with overlapped ReadDirectoryChangesW, whose
// completions the user-interface thread's message loop waits on. The folder is opened on a thread
// of its own, so that a share that is gone never holds up the user interface, and its handle is
// registered for device events, so that the watch never keeps a drive from being removed.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/FolderWatch.h"
#include "platform/win32/Handles.h"
#include "platform/win32/MessageLoop.h"

namespace lumbra::win32 {

class Win32FolderWatch final : public platform::FolderWatch {
public:
    // A writer reports a file in several steps (created, grown, closed); a change is reported
    // once the folder has been quiet this long, so that one rewrite is read once, complete.
    static constexpr UINT kSettleMilliseconds = 120;

    // notifyWindow receives the device events (hand them to OnDeviceChange); without one the
    // watch does not follow drives that go and come back.
    explicit Win32FolderWatch(MessageLoop& loop, HWND notifyWindow = nullptr);
    ~Win32FolderWatch() override;
    Win32FolderWatch(const Win32FolderWatch&) = delete;
    Win32FolderWatch& operator=(const Win32FolderWatch&) = delete;

    void Listen(std::function<void(platform::FolderEvent)> report) override { report_ = std::move(report); }
    void Open(std::string_view file) override;
    // Keeps the device registration, so that a drive whose removal is called off, or that comes
    // back, is still reported.
    void Close() override;

    // WM_DEVICECHANGE of the notify window.
    void OnDeviceChange(WPARAM event, LPARAM data);

private:
    struct Opening;
    struct Read;
    static void CALLBACK OnSettled(HWND, UINT, UINT_PTR id, DWORD) noexcept;
    void OnOpened();
    void OnCompleted();
    bool Arm();
    void Break();
    void Unregister();
    void CancelTimer();
    void Report(platform::FolderEvent event) noexcept;

    MessageLoop& loop_;
    HWND notifyWindow_;
    std::function<void(platform::FolderEvent)> report_;
    std::wstring folder_;
    std::shared_ptr<Opening> opening_;  // shared with the thread that opens the folder
    unique_file directory_;
    std::unique_ptr<Read> read_;  // under way while the folder is open
    HDEVNOTIFY notify_ = nullptr;
    UINT_PTR timer_ = 0;
};

}  // namespace lumbra::win32
