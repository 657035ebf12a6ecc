#include "fakes/FakeRegistry.h"

#include "fakes/CallLog.h"
#include "platform/Text.h"

namespace lumbra::fakes {
namespace {

using platform::RegQueryResult;

class FakeKey : public platform::RegistryKey {
public:
    FakeKey(std::shared_ptr<FakeRegistry::State> state, std::string id, platform::RootKey root, std::string path)
        : state_(std::move(state)), id_(std::move(id)), root_(root), path_(std::move(path)) {
        ++state_->opened;
    }
    ~FakeKey() override { ++state_->closed; }

    RegQueryResult QueryValue(std::string_view name, std::size_t bufferBytes) override {
        state_->queries.push_back({root_, path_, std::string(name), bufferBytes});
        const auto& values = state_->keys[id_].values;
        auto value = values.find(FoldCase(name));
        if (value == values.end()) return {RegQueryResult::Status::NotFound, platform::RegType::None, {}};
        // Windows leaves the buffer undefined for a value that does not fit; what would have fit
        // is handed back, so that a reader which ignores the status reads something and is caught.
        const std::vector<std::uint8_t>& data = value->second.data;
        if (data.size() > bufferBytes) {
            return {RegQueryResult::Status::MoreData, value->second.type, {data.begin(), data.begin() + bufferBytes}};
        }
        return {RegQueryResult::Status::Ok, value->second.type, data};
    }

private:
    std::shared_ptr<FakeRegistry::State> state_;
    std::string id_;
    platform::RootKey root_;
    std::string path_;
};

}  // namespace

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
    std::string id = KeyId(root, path);
    if (!state_->keys.contains(id)) return nullptr;
    return std::make_unique<FakeKey>(state_, std::move(id), root, std::string(path));
}

void FakeRegistry::PutValue(platform::RootKey root, std::string_view path, std::string_view name,
                            platform::RegType type, std::vector<std::uint8_t> data) {
    MakeKey(root, path).values[FoldCase(name)] = Value{type, std::move(data)};
}

void FakeRegistry::PutString(platform::RootKey root, std::string_view path, std::string_view name,
                             std::string_view utf8, platform::RegType type) {
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : text::Utf8ToUtf16(utf8)) bytes.insert(bytes.end(), {std::uint8_t(unit & 0xFF), std::uint8_t(unit >> 8)});
    bytes.insert(bytes.end(), {0, 0});
    PutValue(root, path, name, type, std::move(bytes));
}

void FakeRegistry::PutDword(platform::RootKey root, std::string_view path, std::string_view name, std::uint32_t value) {
    PutValue(root, path, name, platform::RegType::Dword,
             {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16), std::uint8_t(value >> 24)});
}

void FakeRegistry::RemoveValue(platform::RootKey root, std::string_view path, std::string_view name) {
    auto key = state_->keys.find(KeyId(root, path));
    if (key != state_->keys.end()) key->second.values.erase(FoldCase(name));
}

}  // namespace lumbra::fakes
