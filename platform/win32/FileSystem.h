#pragma once
// The file commands' file-system calls with the W functions.
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace lumbra::win32 {

// A path as the system is to take it, exactly as spelt: "\\?\" (or "\\?\UNC\" for a share) in
// front turns off the old rules that strip a trailing dot or space and stop at 260 characters.
// Every file-system call of the drop goes through here; nothing is normalised first.
std::wstring ExactPath(std::string_view path);

class Win32FileSystem final : public platform::FileSystem {
public:
    platform::FileResult Facts(std::string_view path, platform::ItemFacts& facts) override;
    bool SameItem(std::string_view a, std::string_view b) override;
    std::string VolumeRoot(std::string_view path) override;
    platform::FileResult ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) override;
    platform::FileResult CreateFolder(std::string_view path, std::string_view like) override;
    platform::FileResult CopyFileTo(std::string_view from, std::string_view to, platform::CopyProgress* progress) override;
    platform::FileResult CopyLink(std::string_view from, std::string_view to) override;
    platform::FileResult Rename(std::string_view from, std::string_view to) override;
    platform::FileResult ReplaceFileAt(std::string_view from, std::string_view to) override;
    platform::FileResult DeleteFileAt(std::string_view path) override;
    platform::FileResult RemoveFolder(std::string_view path) override;
};

}  // namespace lumbra::win32
