#include "platform/win32/FolderWatch.h"

#include <dbt.h>

#include <atomic>
#include <cwctype>
#include <map>
#include <thread>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using platform::FolderEvent;

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

// Thread timers carry no data of their own: which watch each one belongs to.
std::map<UINT_PTR, Win32FolderWatch*>& Timers() {
    static std::map<UINT_PTR, Win32FolderWatch*> timers;
    return timers;
}

// The folder of the file, as a full path (a bare name lies in the current folder).
std::wstring FolderOf(std::string_view file) {
    const std::wstring wide = Widen(file);
    DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    DWORD written = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return {};
    full.resize(written);
    const std::size_t slash = full.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    // A root keeps its separator ("C:\").
    return full.substr(0, (slash == 2 && full[1] == L':') ? slash + 1 : slash);
}

}  // namespace

// One attempt to open a folder. Whichever side sets `claimed` second owns the handle: the
// watch when the thread finished first, the thread when the watch gave up first.
struct Win32FolderWatch::Opening {
    std::wstring folder;
    unique_handle_ptr done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HANDLE directory = INVALID_HANDLE_VALUE;
    std::atomic<bool> claimed{false};
};

// The read under way: the system writes into it until the read is over.
struct Win32FolderWatch::Read {
    OVERLAPPED overlapped{};
    unique_handle_ptr completed{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DWORD changes[1024] = {};  // what changed; only the fact of a change is used
    bool pending = false;
};

Win32FolderWatch::Win32FolderWatch(MessageLoop& loop, HWND notifyWindow) : loop_(loop), notifyWindow_(notifyWindow) {}

Win32FolderWatch::~Win32FolderWatch() {
    Close();
    Unregister();
}

void Win32FolderWatch::Open(std::string_view file) {
    Close();
    Unregister();
    folder_ = FolderOf(file);
    auto opening = std::make_shared<Opening>();
    opening->folder = folder_;
    if (folder_.empty() || !opening->done || !loop_.AddWaitHandle(opening->done.get(), [this] { OnOpened(); })) {
        Report(FolderEvent::OpenFailed);
        return;
    }
    opening_ = opening;
    try {
        std::thread([opening] {
            const HANDLE directory = ::CreateFileW(opening->folder.c_str(), FILE_LIST_DIRECTORY,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
            opening->directory = directory;
            if (!opening->claimed.exchange(true)) {
                ::SetEvent(opening->done.get());
            } else if (directory != INVALID_HANDLE_VALUE) {
                ::CloseHandle(directory);  // given up on meanwhile
            }
        }).detach();
    } catch (...) {
        Close();
        Report(FolderEvent::OpenFailed);
    }
}

void Win32FolderWatch::OnOpened() {
    const std::shared_ptr<Opening> opening = std::move(opening_);
    if (!opening) return;
    loop_.RemoveWaitHandle(opening->done.get());
    directory_.reset(opening->directory);
    read_ = std::make_unique<Read>();
    if (!directory_ || !read_->completed || !Arm() ||
        !loop_.AddWaitHandle(read_->completed.get(), [this] { OnCompleted(); })) {
        Close();
        Report(FolderEvent::OpenFailed);
        return;
    }
    if (notifyWindow_ != nullptr) {
        DEV_BROADCAST_HANDLE filter{};
        filter.dbch_size = sizeof filter;
        filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
        filter.dbch_handle = directory_.get();
        notify_ = ::RegisterDeviceNotificationW(notifyWindow_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    Report(FolderEvent::Opened);
}

bool Win32FolderWatch::Arm() {
    ::ResetEvent(read_->completed.get());
    read_->overlapped = OVERLAPPED{};
    read_->overlapped.hEvent = read_->completed.get();
    read_->pending = ::ReadDirectoryChangesW(directory_.get(), read_->changes, sizeof read_->changes, FALSE, kChanges,
                                             nullptr, &read_->overlapped, nullptr) != FALSE;
    return read_->pending;
}

void Win32FolderWatch::OnCompleted() {
    DWORD bytes = 0;
    read_->pending = false;
    // A read that fails (the folder deleted, the drive or the share gone), or one that cannot be
    // started again, ends the watch: its event must not stay signalled with nobody answering it.
    // Too many changes for the buffer are changes all the same.
    const bool read = ::GetOverlappedResult(directory_.get(), &read_->overlapped, &bytes, FALSE) ||
                      ::GetLastError() == ERROR_NOTIFY_ENUM_DIR;
    if (!read || !Arm()) {
        Break();
        return;
    }
    CancelTimer();
    timer_ = ::SetTimer(nullptr, 0, kSettleMilliseconds, &Win32FolderWatch::OnSettled);
    if (timer_ != 0) {
        Timers()[timer_] = this;
    } else {
        Report(FolderEvent::Changed);
    }
}

void Win32FolderWatch::Break() {
    Close();
    Report(FolderEvent::Broken);
}

void Win32FolderWatch::Close() {
    CancelTimer();
    if (opening_) {
        loop_.RemoveWaitHandle(opening_->done.get());
        if (opening_->claimed.exchange(true) && opening_->directory != INVALID_HANDLE_VALUE) {
            ::CloseHandle(opening_->directory);  // opened after all, and not wanted any more
        }
        opening_.reset();
    }
    if (read_) {
        loop_.RemoveWaitHandle(read_->completed.get());
        // A read still under way writes into its buffer until it is over. Cancelled, it is over
        // at once; should it not be, its buffer is left to it rather than the thread waiting.
        if (read_->pending) {
            ::CancelIoEx(directory_.get(), &read_->overlapped);
            if (::WaitForSingleObject(read_->completed.get(), 1000) != WAIT_OBJECT_0) static_cast<void>(read_.release());
        }
        read_.reset();
    }
    directory_.reset();
}

void Win32FolderWatch::Unregister() {
    if (notify_ != nullptr) ::UnregisterDeviceNotification(notify_);
    notify_ = nullptr;
}

void Win32FolderWatch::OnDeviceChange(WPARAM event, LPARAM data) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (header == nullptr) return;
    if (header->dbch_devicetype == DBT_DEVTYP_HANDLE) {
        if (notify_ == nullptr || reinterpret_cast<const DEV_BROADCAST_HANDLE*>(data)->dbch_hdevnotify != notify_) return;
        if (event == DBT_DEVICEQUERYREMOVE) Report(FolderEvent::VolumeLeaving);
        if (event == DBT_DEVICEQUERYREMOVEFAILED) Report(FolderEvent::VolumeBack);
        if (event == DBT_DEVICEREMOVEPENDING || event == DBT_DEVICEREMOVECOMPLETE) {
            Unregister();
            if (directory_) Break();  // gone without being asked
        }
    } else if (header->dbch_devicetype == DBT_DEVTYP_VOLUME && event == DBT_DEVICEARRIVAL) {
        const wchar_t drive = folder_.size() > 1 && folder_[1] == L':' ? std::towupper(folder_[0]) : L'\0';
        const DWORD units = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(data)->dbcv_unitmask;
        if (drive >= L'A' && drive <= L'Z' && (units & (1u << (drive - L'A'))) != 0) Report(FolderEvent::VolumeBack);
    }
}

void Win32FolderWatch::CancelTimer() {
    if (timer_ == 0) return;
    ::KillTimer(nullptr, timer_);
    Timers().erase(timer_);
    timer_ = 0;
}

void Win32FolderWatch::Report(FolderEvent event) noexcept {
    try {
        auto report = report_;  // the listener may replace itself
        if (report) report(event);
    } catch (...) {
        // The miniature stays as it was; the next repaint composes it again.
    }
}

void CALLBACK Win32FolderWatch::OnSettled(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    auto it = Timers().find(id);
    if (it == Timers().end()) {
        ::KillTimer(nullptr, id);
        return;
    }
    Win32FolderWatch* self = it->second;
    self->CancelTimer();
    self->Report(FolderEvent::Changed);
}

}  // namespace lumbra::win32
