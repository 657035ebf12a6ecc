#pragma once
// Registry reads, shaped like the calls the readers make: open a key, query a value, close it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace lumbra::platform {

enum class RootKey : std::uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
};

enum class RegType : std::uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Dword = 4,         // REG_DWORD
    MultiString = 7,   // REG_MULTI_SZ
    Qword = 11,        // REG_QWORD
};

struct RegQueryResult {
    enum class Status { Ok, NotFound, MoreData, Failed };
    Status status = Status::Failed;
    RegType type = RegType::None;
    // The value's bytes as stored; string types are UTF-16LE, terminating NUL included when stored.
    std::vector<std::uint8_t> data;
};

// An open key; closing it is the destructor's job.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Reads the value into a buffer of bufferBytes bytes; MoreData when it does not fit.
    virtual RegQueryResult QueryValue(std::string_view name, std::size_t bufferBytes) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // nullptr when the key cannot be opened.
    virtual std::unique_ptr<RegistryKey> OpenKey(RootKey root, std::string_view path) = 0;
};

}  // namespace lumbra::platform
