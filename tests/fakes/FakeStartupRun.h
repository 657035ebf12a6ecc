#pragma once
// The list of programs Windows starts at sign-in, in memory, and this program's path.
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/StartupRun.h"

namespace lumbra::fakes {

class FakeStartupRun : public platform::StartupRun {
public:
    std::optional<std::string> ReadValue(std::string_view name) override {
        const auto it = values.find(std::string(name));
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    void WriteValue(std::string_view name, std::string_view commandLine) override {
        values[std::string(name)] = commandLine;
    }
    void DeleteValue(std::string_view name) override { values.erase(std::string(name)); }
    std::string ProgramPath() override { return programPath; }

    std::map<std::string, std::string> values;
    std::string programPath = "C:\\Users\\Ren\\Downloads\\Lumbra 1.12\\LumbraPanel.exe";
};

}  // namespace lumbra::fakes
