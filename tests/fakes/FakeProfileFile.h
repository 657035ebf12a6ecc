#pragma once
// Profile files in memory, answering as GetPrivateProfileStringW does: the count of characters
// (UTF-16 code units) copied without the terminating NUL, the value cut to size - 1 characters,
// the default value when the file, section or key is missing, and 0 for an empty result. File,
// section and key names are compared without regard to ASCII case, as Windows compares them.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Profile.h"

namespace lumbra::fakes {

class FakeProfileFile : public platform::ProfileFile {
public:
    platform::ProfileRead ReadProfileString(std::string_view section, std::string_view key,
                                            std::string_view defaultValue, std::uint32_t size,
                                            std::string_view file) override;

    void Put(std::string_view file, std::string_view section, std::string_view key, std::string_view value);
    void Remove(std::string_view file, std::string_view section, std::string_view key);

    struct Call {
        std::string section, key, defaultValue;
        std::uint32_t size = 0;
        std::string file;
    };
    const std::vector<Call>& Calls() const { return calls_; }

private:
    static std::string Id(std::string_view file, std::string_view section, std::string_view key);

    std::map<std::string, std::string> values_;
    std::vector<Call> calls_;
};

}  // namespace lumbra::fakes
