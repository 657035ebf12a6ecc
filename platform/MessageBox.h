#pragma once
// Modal message boxes owned by the main window. The style and the answer are the window
// system's numbers: buttons plus icon in, the pressed button out.
#include <string_view>

namespace lumbra::platform {

enum MsgBoxStyle : int {
    kMsgBoxOkOnly = 0,
    kMsgBoxYesNo = 4,
    kMsgBoxQuestion = 32,
    kMsgBoxExclamation = 48,
};

enum MsgBoxAnswer : int { kMsgBoxOk = 1, kMsgBoxCancel = 2, kMsgBoxYes = 6, kMsgBoxNo = 7 };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual int MsgBox(std::string_view prompt, int style, std::string_view title) = 0;
};

}  // namespace lumbra::platform
