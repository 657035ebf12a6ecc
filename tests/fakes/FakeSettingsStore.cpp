#include "fakes/FakeSettingsStore.h"

namespace lumbra::fakes {

std::string FakeSettingsStore::Id(std::string_view app, std::string_view section, std::string_view key) {
    return FoldCase(app) + '\x1F' + FoldCase(section) + '\x1F' + FoldCase(key);
}

std::optional<std::string> FakeSettingsStore::GetSetting(std::string_view app, std::string_view section,
                                                         std::string_view key) {
    ++reads_;
    return Value(app, section, key);
}

void FakeSettingsStore::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                    std::string_view value) {
    writes_.push_back({std::string(app), std::string(section), std::string(key), std::string(value)});
    if (log_) {
        log_->Add("SaveSetting " + std::string(app) + "/" + std::string(section) + "/" + std::string(key) + "=" +
                  std::string(value));
    }
    Put(app, section, key, value);
}

void FakeSettingsStore::Put(std::string_view app, std::string_view section, std::string_view key,
                            std::string_view value) {
    values_[Id(app, section, key)] = std::string(value);
}

std::optional<std::string> FakeSettingsStore::Value(std::string_view app, std::string_view section,
                                                    std::string_view key) const {
    auto it = values_.find(Id(app, section, key));
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

}  // namespace lumbra::fakes
