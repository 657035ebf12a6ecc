#pragma once
// Starting with Windows: the user's list of programs that Windows starts at sign-in
// (HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run, one text value per program),
// and this program's file, which a value of that list names.
#include <optional>
#include <string>
#include <string_view>

namespace lumbra::platform {

class StartupRun {
public:
    virtual ~StartupRun() = default;
    // nullopt when there is no such value, or it is not text.
    virtual std::optional<std::string> ReadValue(std::string_view name) = 0;
    virtual void WriteValue(std::string_view name, std::string_view commandLine) = 0;
    virtual void DeleteValue(std::string_view name) = 0;
    // The full path of this program's file.
    virtual std::string ProgramPath() = 0;
};

}  // namespace lumbra::platform
