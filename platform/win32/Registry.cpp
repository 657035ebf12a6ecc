#include "platform/win32/Registry.h"

#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

class Win32RegistryKey final : public platform::RegistryKey {
public:
    explicit Win32RegistryKey(unique_hkey key) : key_(std::move(key)) {}

    platform::RegQueryResult QueryValue(std::string_view name, std::size_t bufferBytes) override {
        using Status = platform::RegQueryResult::Status;
        platform::RegQueryResult result;
        std::vector<BYTE> buffer(bufferBytes);
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(buffer.size());
        const std::wstring wideName = Widen(name);
        LSTATUS status = ::RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type, buffer.data(), &size);
        if (status == ERROR_SUCCESS) {
            result.status = Status::Ok;
            result.type = static_cast<platform::RegType>(type);
            result.data.assign(buffer.begin(), buffer.begin() + std::min<std::size_t>(size, buffer.size()));
        } else if (status == ERROR_MORE_DATA) {
            result.status = Status::MoreData;
        } else if (status == ERROR_FILE_NOT_FOUND) {
            result.status = Status::NotFound;
        }
        return result;
    }

private:
    unique_hkey key_;
};

}  // namespace

HKEY ToHkey(platform::RootKey root) {
    switch (root) {
    case platform::RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
    case platform::RootKey::CurrentUser: return HKEY_CURRENT_USER;
    case platform::RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
    }
    return HKEY_CURRENT_USER;
}

std::unique_ptr<platform::RegistryKey> Win32Registry::OpenKey(platform::RootKey root, std::string_view path) {
    unique_hkey key;
    const std::wstring widePath = Widen(path);
    if (::RegOpenKeyExW(ToHkey(root), widePath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(std::move(key));
}

}  // namespace lumbra::win32
