#pragma once
// Message boxes owned by the main window.
#include <windows.h>

#include "platform/MessageBox.h"

namespace lumbra::win32 {

class Win32MessageBoxes final : public platform::MessageBoxes {
public:
    explicit Win32MessageBoxes(HWND owner) : owner_(owner) {}
    int MsgBox(std::string_view prompt, int style, std::string_view title) override;

private:
    HWND owner_;
};

}  // namespace lumbra::win32
