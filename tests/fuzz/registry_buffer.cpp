// The registry reader over arbitrary value bytes, types and outcomes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "desktop/modMain.h"
#include "platform/Text.h"

namespace {

using namespace lumbra;

struct Input {
    const std::uint8_t* data;
    std::size_t size;
};

class FuzzKey final : public platform::RegistryKey {
public:
    explicit FuzzKey(Input in) : in_(in) {}
    platform::RegQueryResult QueryValue(std::string_view, std::size_t bufferBytes) override {
        platform::RegQueryResult r;
        const std::uint8_t control = in_.size > 0 ? in_.data[0] : 0;
        r.status = static_cast<platform::RegQueryResult::Status>(control % 4);
        r.type = static_cast<platform::RegType>((control >> 2) % 12);
        if (r.status == platform::RegQueryResult::Status::Ok && in_.size > 1) {
            const std::size_t n = std::min(in_.size - 1, bufferBytes);
            r.data.assign(in_.data + 1, in_.data + 1 + n);
        }
        return r;
    }

private:
    Input in_;
};

class FuzzRegistry final : public platform::Registry {
public:
    explicit FuzzRegistry(Input in) : in_(in) {}
    std::unique_ptr<platform::RegistryKey> OpenKey(platform::RootKey, std::string_view) override {
        if (in_.size > 0 && (in_.data[0] & 0x80)) return nullptr;
        return std::make_unique<FuzzKey>(in_);
    }

private:
    Input in_;
};

bool ValidUtf8(const std::string& s) {
    const std::u16string units = text::Utf8ToUtf16(s);
    return text::Utf16ToUtf8(units) == s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzRegistry registry({data, size});
    const std::string text = desktop::ReadRegString(registry, platform::RootKey::CurrentUser, "Any", "Value");
    if (text.find('\0') != std::string::npos) std::abort();  // cut at the first NUL
    if (!ValidUtf8(text)) std::abort();                        // always well-formed UTF-8 inside
    if (text.size() > 3 * desktop::kRegistryBufferBytes) std::abort();
    return 0;
}
