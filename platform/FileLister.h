#pragma once
// The file lister glnFile: the entries of one folder, not recursive.
#include <string>
#include <string_view>

namespace lumbra::platform {

inline constexpr std::string_view kListSeparator = "\r\n";

class FileLister {
public:
    virtual ~FileLister() = default;
    // Full paths of the files in folder, separated by "\r\n", in the order the shell shows them;
    // "" when there are none. filter: "" for every file.
    virtual std::string ListFiles(std::string_view folder, std::string_view filter) = 0;
    // Full paths of the sub-folders, likewise.
    virtual std::string ListFolders(std::string_view folder) = 0;
};

}  // namespace lumbra::platform
