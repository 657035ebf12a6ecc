#pragma once
// The process environment through ExpandEnvironmentStringsW.
#include "platform/Environment.h"

namespace lumbra::win32 {

class Win32Environment final : public platform::Environment {
public:
    std::string ExpandVariables(std::string_view text) override;
};

}  // namespace lumbra::win32
