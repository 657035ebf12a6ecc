#pragma once
// The per-user settings store: application, section, key -> text value.
#include <optional>
#include <string>
#include <string_view>

namespace lumbra::platform {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // nullopt when the key (or its section) does not exist.
    virtual std::optional<std::string> GetSetting(std::string_view app, std::string_view section,
                                                  std::string_view key) = 0;
    virtual void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
};

}  // namespace lumbra::platform
