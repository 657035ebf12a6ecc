#include "platform/win32/FolderWatch.h"

#include <map>
#include <string>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

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

Win32FolderWatch::~Win32FolderWatch() { Stop(); }

bool Win32FolderWatch::Watch(std::string_view file, std::function<void()> changed) {
    Stop();
    const std::wstring folder = FolderOf(file);
    if (folder.empty()) return false;
    handle_.reset(::FindFirstChangeNotificationW(
        folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE));
    if (!handle_) return false;
    const HANDLE handle = handle_.get();
    if (!loop_.AddWaitHandle(handle, [this, handle] { OnSignalled(handle); })) {
        handle_.reset();
        return false;
    }
    changed_ = std::move(changed);
    return true;
}

void Win32FolderWatch::Stop() {
    CancelTimer();
    if (handle_) loop_.RemoveWaitHandle(handle_.get());
    handle_.reset();
    changed_ = nullptr;
}

void Win32FolderWatch::CancelTimer() {
    if (timer_ == 0) return;
    ::KillTimer(nullptr, timer_);
    Timers().erase(timer_);
    timer_ = 0;
}

void Win32FolderWatch::OnSignalled(HANDLE handle) {
    if (handle != handle_.get()) return;
    // Armed again at once: a change from now on signals anew, none is lost.
    ::FindNextChangeNotification(handle);
    CancelTimer();
    timer_ = ::SetTimer(nullptr, 0, kSettleMilliseconds, &Win32FolderWatch::OnSettled);
    if (timer_ != 0) {
        Timers()[timer_] = this;
    } else {
        Notify();
    }
}

void Win32FolderWatch::Notify() noexcept {
    // The callback may watch another folder (which replaces changed_): run a copy.
    try {
        auto changed = changed_;
        if (changed) changed();
    } catch (...) {
        // The miniature stays as it was; the next change or repaint tries again.
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
    self->Notify();
}

}  // namespace lumbra::win32
