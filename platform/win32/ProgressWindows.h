#pragma once
// The shell's progress dialog (IProgressDialog) for long copies and moves.
#include <windows.h>

#include "platform/Progress.h"

namespace lumbra::win32 {

class Win32ProgressWindows final : public platform::ProgressWindows {
public:
    // delayMs: how long a command runs before its window shows.
    explicit Win32ProgressWindows(HWND owner, unsigned delayMs = 1000) : owner_(owner), delayMs_(delayMs) {}
    std::unique_ptr<platform::TransferProgress> Begin(platform::TransferKind kind) override;

private:
    HWND owner_;
    unsigned delayMs_;
};

}  // namespace lumbra::win32
