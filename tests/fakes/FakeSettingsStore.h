#pragma once
// The per-user settings store in memory. Names are compared without regard to ASCII case, as
// the registry behind the real store compares them; every write is also kept in order with its
// exact spelling, and goes to the log as "SaveSetting app/section/key=value" when one is given.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
        writes_.push_back({std::string(app), std::string(section), std::string(key), std::string(value)});
        const Write& w = writes_.back();
        if (log_) log_->Add("SaveSetting " + w.app + "/" + w.section + "/" + w.key + "=" + w.value);
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

    struct Write {
        std::string app, section, key, value;
    };
    const std::vector<Write>& Writes() const { return writes_; }

private:
    static std::string Id(std::string_view app, std::string_view section, std::string_view key) {
        return FoldCase(app) + '\x1F' + FoldCase(section) + '\x1F' + FoldCase(key);
    }

    CallLog* log_;
    std::map<std::string, std::string> values_;
    std::vector<Write> writes_;
};

}  // namespace lumbra::fakes
