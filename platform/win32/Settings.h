#pragma once
// The per-user settings store: REG_SZ values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, where the settings of
// this program have always been kept (an outside updater reads them there too).
#include "platform/Settings.h"

namespace lumbra::win32 {

class Win32Settings final : public platform::SettingsStore {
public:
    std::optional<std::string> GetSetting(std::string_view app, std::string_view section, std::string_view key) override;
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;
};

}  // namespace lumbra::win32
