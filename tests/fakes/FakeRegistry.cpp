#include "fakes/FakeRegistry.h"

#include "fakes/CallLog.h"
#include "platform/Text.h"

namespace lumbra::fakes {
namespace {

class FakeKey : public platform::RegistryKey {
public:
    FakeKey(std::shared_ptr<FakeRegistry::State> state, std::string id, platform::RootKey root, std::string path)
        : state_(std::move(state)), id_(std::move(id)), root_(root), path_(std::move(path)) {
        ++state_->opened;
    }
    ~FakeKey() override { ++state_->closed; }

    platform::RegQueryResult QueryValue(std::string_view name, std::size_t bufferBytes) override {
        state_->queries.push_back({root_, path_, std::string(name), bufferBytes});
        platform::RegQueryResult result;
        auto key = state_->keys.find(id_);
        if (key == state_->keys.end()) {
            result.status = platform::RegQueryResult::Status::NotFound;
            return result;
        }
        auto value = key->second.values.find(FoldCase(name));
        if (value == key->second.values.end()) {
            result.status = platform::RegQueryResult::Status::NotFound;
            return result;
        }
        result.type = value->second.type;
        if (value->second.data.size() > bufferBytes) {
            // Windows leaves the buffer's contents undefined here; hand back what would have fit,
            // so that a reader which ignores the status reads something and is caught.
            result.status = platform::RegQueryResult::Status::MoreData;
            result.data.assign(value->second.data.begin(), value->second.data.begin() + bufferBytes);
            return result;
        }
        result.status = platform::RegQueryResult::Status::Ok;
        result.data = value->second.data;
        return result;
    }

private:
    std::shared_ptr<FakeRegistry::State> state_;
    std::string id_;
    platform::RootKey root_;
    std::string path_;
};

}  // namespace

FakeRegistry::FakeRegistry() : state_(std::make_shared<State>()) {}
FakeRegistry::~FakeRegistry() = default;

std::string FakeRegistry::KeyId(platform::RootKey root, std::string_view path) {
    return std::to_string(static_cast<std::uint32_t>(root)) + '\\' + FoldCase(path);
}

FakeRegistry::Key& FakeRegistry::MakeKey(platform::RootKey root, std::string_view path) {
    for (std::size_t sep = path.find('\\'); sep != std::string_view::npos; sep = path.find('\\', sep + 1)) {
        state_->keys[KeyId(root, path.substr(0, sep))];
    }
    return state_->keys[KeyId(root, path)];
}

std::unique_ptr<platform::RegistryKey> FakeRegistry::OpenKey(platform::RootKey root, std::string_view path) {
    ++state_->openAttempts;
    std::string id = KeyId(root, path);
    if (state_->keys.find(id) == state_->keys.end()) return nullptr;
    return std::make_unique<FakeKey>(state_, std::move(id), root, std::string(path));
}

void FakeRegistry::PutKey(platform::RootKey root, std::string_view path) { MakeKey(root, path); }

void FakeRegistry::PutValue(platform::RootKey root, std::string_view path, std::string_view name,
                            platform::RegType type, std::vector<std::uint8_t> data) {
    MakeKey(root, path).values[FoldCase(name)] = Value{type, std::move(data)};
}

void FakeRegistry::PutString(platform::RootKey root, std::string_view path, std::string_view name,
                             std::string_view utf8, platform::RegType type) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : text::Utf8ToUtf16(utf8)) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    PutValue(root, path, name, type, std::move(bytes));
}

void FakeRegistry::PutDword(platform::RootKey root, std::string_view path, std::string_view name,
                            std::uint32_t value) {
    PutValue(root, path, name, platform::RegType::Dword,
             {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
              static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

void FakeRegistry::PutBinary(platform::RootKey root, std::string_view path, std::string_view name,
                             std::vector<std::uint8_t> data) {
    PutValue(root, path, name, platform::RegType::Binary, std::move(data));
}

void FakeRegistry::RemoveValue(platform::RootKey root, std::string_view path, std::string_view name) {
    auto key = state_->keys.find(KeyId(root, path));
    if (key != state_->keys.end()) key->second.values.erase(FoldCase(name));
}

}  // namespace lumbra::fakes
