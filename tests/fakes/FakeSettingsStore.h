#pragma once
// The per-user settings store in memory. Names are compared without regard to ASCII case, as
// the registry that backs the real store compares them; every write is also kept in order with
// its exact spelling, so a test can check the names the program uses.
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
    // Writes go to `log` as "SaveSetting app/section/key=value" when a log is given.
    explicit FakeSettingsStore(CallLog* log = nullptr) : log_(log) {}

    std::optional<std::string> GetSetting(std::string_view app, std::string_view section,
                                          std::string_view key) override;
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;

    // Test set-up and reading back; neither is recorded as a call.
    void Put(std::string_view app, std::string_view section, std::string_view key, std::string_view value);
    std::optional<std::string> Value(std::string_view app, std::string_view section, std::string_view key) const;
    std::size_t ValueCount() const { return values_.size(); }

    struct Write {
        std::string app, section, key, value;
    };
    const std::vector<Write>& Writes() const { return writes_; }
    int Reads() const { return reads_; }

private:
    static std::string Id(std::string_view app, std::string_view section, std::string_view key);

    CallLog* log_;
    std::map<std::string, std::string> values_;
    std::vector<Write> writes_;
    int reads_ = 0;
};

}  // namespace lumbra::fakes
