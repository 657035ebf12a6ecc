#pragma once
// The process environment, as the shell's expansion of %NAME% references sees it.
#include <string>
#include <string_view>

namespace lumbra::platform {

class Environment {
public:
    virtual ~Environment() = default;
    // Every %NAME% reference of a defined variable replaced by its value; references to
    // undefined variables are left as they stand.
    virtual std::string ExpandVariables(std::string_view text) = 0;
};

}  // namespace lumbra::platform
