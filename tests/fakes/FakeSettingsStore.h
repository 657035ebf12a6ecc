#pragma once
// The per-user settings store in memory. Names are compared without regard to ASCII case, as
// the registry behind the real store compares them; every write also goes to the log with its
// exact spelling, as "SaveSetting app/section/key=value", when one is given.
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "fakes/CallLog.h"
#include "platform/Settings.h"

namespace lumbra::fakes {

class FakeSettingsStore : public platform::SettingsStore {
public:
    explicit FakeSettingsStore(CallLog* log = nullptr) : log_(log) {}

    std::optional<std::string> GetSetting(std::string_view app, std::string_view section,
                                          std::string_view key) override {
        return Value(app, section, key);
    }
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override {
        const std::string path = std::string(app) + "/" + std::string(section) + "/" + std::string(key);
        if (log_) log_->Add("SaveSetting " + path + "=" + std::string(value));
        Put(app, section, key, value);
    }

    // Test set-up and reading back; neither is recorded.
    void Put(std::string_view app, std::string_view section, std::string_view key, std::string_view value) {
        values_[Id(app, section, key)] = std::string(value);
    }
    std::optional<std::string> Value(std::string_view app, std::string_view section, std::string_view key) const {
        auto it = values_.find(Id(app, section, key));
        return it == values_.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

private:
    static std::string Id(std::string_view app, std::string_view section, std::string_view key) {
        return FoldCase(app) + '\x1F' + FoldCase(section) + '\x1F' + FoldCase(key);
    }

    CallLog* log_;
    std::map<std::string, std::string> values_;
};

}  // namespace lumbra::fakes
