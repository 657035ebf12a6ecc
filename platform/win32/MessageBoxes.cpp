#include "platform/win32/MessageBoxes.h"

#include "platform/win32/WinText.h"

namespace lumbra::win32 {

int Win32MessageBoxes::MsgBox(std::string_view prompt, int style, std::string_view title) {
    // The style numbers are the window system's own (48 = MB_OK | MB_ICONEXCLAMATION,
    // 36 = MB_YESNO | MB_ICONQUESTION), and so are the answers (IDYES = 6).
    const HWND owner = (owner_ != nullptr && ::IsWindow(owner_)) ? owner_ : nullptr;
    return ::MessageBoxW(owner, Widen(prompt).c_str(), Widen(title).c_str(), static_cast<UINT>(style));
}

}  // namespace lumbra::win32
