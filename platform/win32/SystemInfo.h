#pragma once
#include <windows.h>

#include "platform/SystemInfo.h"

namespace lumbra::win32 {

// Everything after the program name in a command line, leading blanks removed.
std::wstring ArgumentsOf(std::wstring_view commandLine);

class Win32SystemInfo final : public platform::SystemInfo {
public:
    std::string CommandLine() override;
    std::string ProgramFolder() override;
    platform::ScreenMetrics Screen() override;
};

}  // namespace lumbra::win32
