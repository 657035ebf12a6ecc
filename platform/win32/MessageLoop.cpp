#include "platform/win32/MessageLoop.h"

namespace lumbra::win32 {

bool MessageLoop::AddWaitHandle(HANDLE handle, Callback callback) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || handles_.size() >= MAXIMUM_WAIT_OBJECTS - 1) return false;
    handles_.push_back(handle);
    callbacks_.push_back(std::move(callback));
    return true;
}

void MessageLoop::RemoveWaitHandle(HANDLE handle) {
    for (std::size_t i = 0; i < handles_.size(); ++i) {
        if (handles_[i] == handle) {
            handles_.erase(handles_.begin() + static_cast<std::ptrdiff_t>(i));
            callbacks_.erase(callbacks_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

int MessageLoop::Run() {
    MSG msg{};
    while (true) {
        const DWORD count = static_cast<DWORD>(handles_.size());
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, count ? handles_.data() : nullptr, INFINITE,
                                                         QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke < WAIT_OBJECT_0 + count) {
            // Copy: the callback may add or remove handles.
            Callback callback = callbacks_[woke - WAIT_OBJECT_0];
            callback();
            continue;
        }
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

}  // namespace lumbra::win32
