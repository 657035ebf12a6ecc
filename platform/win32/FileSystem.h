#pragma once
// The file commands' file-system calls with the W functions.
#include "platform/FileSystem.h"

namespace lumbra::win32 {

class Win32FileSystem final : public platform::FileSystem {
public:
    platform::FileResult GetAttributes(std::string_view path, std::uint32_t& attributes) override;
    bool Exists(std::string_view path) override;
    bool FileExists(std::string_view path) override;
    bool SameItem(std::string_view a, std::string_view b) override;
    std::string VolumeRoot(std::string_view path) override;
    platform::FileResult ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) override;
    platform::FileResult CreateFolder(std::string_view path, std::string_view like) override;
    platform::FileResult CopyFileTo(std::string_view from, std::string_view to, bool replace,
                                  platform::CopyProgress* progress) override;
    platform::FileResult Rename(std::string_view from, std::string_view to) override;
    platform::FileResult DeleteFileAt(std::string_view path) override;
    platform::FileResult RemoveFolder(std::string_view path) override;
};

}  // namespace lumbra::win32
