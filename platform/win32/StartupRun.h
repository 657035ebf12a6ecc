#pragma once
// Starting with Windows: values under HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run.
#include "platform/StartupRun.h"

namespace lumbra::win32 {

class Win32StartupRun final : public platform::StartupRun {
public:
    std::optional<std::string> ReadValue(std::string_view name) override;
    void WriteValue(std::string_view name, std::string_view commandLine) override;
    void DeleteValue(std::string_view name) override;
    std::string ProgramPath() override;
};

}  // namespace lumbra::win32
