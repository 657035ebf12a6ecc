#pragma once
// One running program per user and session. The first start owns a mutex named after the user in
// the session's own namespace; a later start finds it taken, asks the first to come back and ends.
#include <windows.h>

#include "platform/win32/Handles.h"

namespace lumbra::win32 {

// The message, registered under a name that holds the user's SID, with which a second start asks
// the running program to come back. Windows of another user's program never see it.
UINT SecondStartMessage();

class SingleInstance {
public:
    SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when the program already runs for this user in this session.
    bool First() const { return first_; }
    // Lets the running program take the foreground, then asks its main window to come back. It may
    // still be starting: its window is waited for, a few seconds at most. False when it has ended
    // meanwhile: this start is then the first.
    bool AskFirstToComeBack();

private:
    unique_handle_ptr mutex_;
    bool first_ = true;
};

}  // namespace lumbra::win32
