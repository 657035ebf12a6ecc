#pragma once
// A fresh folder under the temporary folder for a test's files, removed with them afterwards.
#include <windows.h>

#include <filesystem>
#include <string>

namespace lumbra::win32::testing {

class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name) {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH, temp);
        path_ = std::filesystem::path(temp) / (name + L"-" + std::to_wstring(::GetCurrentProcessId()));
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::filesystem::path operator/(const std::wstring& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace lumbra::win32::testing
