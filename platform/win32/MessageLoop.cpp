#include "platform/win32/MessageLoop.h"

#include <algorithm>

namespace lumbra::win32 {

bool MessageLoop::AddWaitHandle(HANDLE handle, Callback callback) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || handles_.size() >= MAXIMUM_WAIT_OBJECTS - 1) return false;
    handles_.push_back(handle);
    callbacks_.push_back(std::move(callback));
    return true;
}

void MessageLoop::RemoveWaitHandle(HANDLE handle) {
    const auto at = std::find(handles_.begin(), handles_.end(), handle);
    if (at == handles_.end()) return;
    callbacks_.erase(callbacks_.begin() + (at - handles_.begin()));
    handles_.erase(at);
}

int MessageLoop::Run() {
    MSG msg{};
    while (true) {
        const DWORD count = static_cast<DWORD>(handles_.size());
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, count ? handles_.data() : nullptr, INFINITE,
                                                         QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke < WAIT_OBJECT_0 + count) {
            // The wait reports the first signalled handle: the one just served goes to the end, so
            // that one which stays signalled cannot keep the others waiting.
            const auto served = static_cast<std::ptrdiff_t>(woke - WAIT_OBJECT_0);
            Callback callback = callbacks_[served];  // a copy: the callback may add or remove handles
            std::rotate(handles_.begin() + served, handles_.begin() + served + 1, handles_.end());
            std::rotate(callbacks_.begin() + served, callbacks_.begin() + served + 1, callbacks_.end());
            callback();
        }
        // Input is taken after every wake, not only when no handle is signalled: a handle that
        // stays signalled never keeps the user waiting.
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

}  // namespace lumbra::win32
