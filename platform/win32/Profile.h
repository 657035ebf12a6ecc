#pragma once
// The profile file through GetPrivateProfileStringW ("WIN.INI" is the system's own, which
// Windows maps to the registry where it should).
#include "platform/Profile.h"

namespace lumbra::win32 {

class Win32Profile final : public platform::ProfileFile {
public:
    platform::ProfileRead ReadProfileString(std::string_view section, std::string_view key,
                                                  std::string_view defaultValue, std::uint32_t size,
                                                  std::string_view file) override;
};

}  // namespace lumbra::win32
