#pragma once
// The registry in memory: keys by root and path, values with a type and raw bytes. Key paths and
// value names are compared without regard to ASCII case; the empty name is the key's default
// value. Every key handed out counts as opened and counts as closed when it is destroyed, so a
// test can prove that a key was closed, or that nothing was closed when opening failed.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace lumbra::fakes {

class FakeRegistry : public platform::Registry {
public:
    FakeRegistry() : state_(std::make_shared<State>()) {}

    std::unique_ptr<platform::RegistryKey> OpenKey(platform::RootKey root, std::string_view path) override;

    // Set-up. Putting a value creates its key and the keys above it.
    void PutKey(platform::RootKey root, std::string_view path) { MakeKey(root, path); }
    void PutValue(platform::RootKey root, std::string_view path, std::string_view name, platform::RegType type,
                  std::vector<std::uint8_t> data);
    // REG_SZ (or another string type): UTF-16LE with its terminating NUL, as RegSetValueExW stores it.
    void PutString(platform::RootKey root, std::string_view path, std::string_view name, std::string_view utf8,
                   platform::RegType type = platform::RegType::String);
    // REG_DWORD: four bytes, little-endian.
    void PutDword(platform::RootKey root, std::string_view path, std::string_view name, std::uint32_t value);
    void PutBinary(platform::RootKey root, std::string_view path, std::string_view name, std::vector<std::uint8_t> data) {
        PutValue(root, path, name, platform::RegType::Binary, std::move(data));
    }
    void RemoveValue(platform::RootKey root, std::string_view path, std::string_view name);

    int KeysOpened() const { return state_->opened; }
    int KeysClosed() const { return state_->closed; }

    struct Query {
        platform::RootKey root;
        std::string path;
        std::string name;
        std::size_t bufferBytes;
    };
    const std::vector<Query>& Queries() const { return state_->queries; }

    struct Value {
        platform::RegType type = platform::RegType::None;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::map<std::string, Value> values;  // by folded name
    };
    struct State {
        std::map<std::string, Key> keys;  // by root and folded path
        int opened = 0;
        int closed = 0;
        std::vector<Query> queries;
    };

private:
    static std::string KeyId(platform::RootKey root, std::string_view path);
    Key& MakeKey(platform::RootKey root, std::string_view path);

    std::shared_ptr<State> state_;
};

}  // namespace lumbra::fakes
