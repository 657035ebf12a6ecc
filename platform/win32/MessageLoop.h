#pragma once
// The user-interface thread's message loop. Besides window messages it waits on kernel handles
// (change notifications, for instance) and runs their callbacks on this same thread.
#include <windows.h>

#include <functional>
#include <vector>

namespace lumbra::win32 {

class MessageLoop {
public:
    using Callback = std::function<void()>;

    // The callback runs each time the handle is signalled, and waiting input is served after it
    // however long the handle stays signalled. At most MAXIMUM_WAIT_OBJECTS - 1.
    bool AddWaitHandle(HANDLE handle, Callback callback);
    void RemoveWaitHandle(HANDLE handle);

    // Runs until WM_QUIT; returns its exit code.
    int Run();

private:
    std::vector<HANDLE> handles_;
    std::vector<Callback> callbacks_;
};

}  // namespace lumbra::win32
