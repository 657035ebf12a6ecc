#pragma once
// The registry through RegOpenKeyExW / RegQueryValueExW.
#include <windows.h>

#include "platform/Registry.h"

namespace lumbra::win32 {

HKEY ToHkey(platform::RootKey root);

class Win32Registry final : public platform::Registry {
public:
    std::unique_ptr<platform::RegistryKey> OpenKey(platform::RootKey root, std::string_view path) override;
};

}  // namespace lumbra::win32
