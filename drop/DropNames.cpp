#include "drop/DropNames.h"

namespace lumbra::drop {

std::string_view ItemName(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string ShortcutFileName(std::string_view itemName) {
    std::string name(itemName);
    name += kShortcutSuffix;
    return name;
}

std::string InFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path += '\\';
    path += name;
    return path;
}

std::string_view ParentFolder(std::string_view path) {
    while (path.size() > 1 && path.back() == '\\') path.remove_suffix(1);
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos) return {};
    // "C:\x" has the parent "C:\" (the root itself, "C:", has no backslash left).
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);
    // "\\server\share" is a root too, and so is "\\server" on its own: neither lies in a folder.
    if (path.starts_with("\\\\")) {
        const std::size_t share = path.find('\\', 2);
        if (share == std::string_view::npos || share == slash) return {};
    }
    // (A path such as "\x" gives the empty text before its backslash: no parent either.)
    return path.substr(0, slash);
}

bool IsRoot(std::string_view path) {
    const bool absolute = path.starts_with("\\\\") || path.find(':') == 1;
    return absolute && ParentFolder(path).empty();
}

std::string OverwriteQuestion(std::string_view name) {
    std::string text(name);
    text += "はすでに存在します。\r\n上書きして置換えますか？";
    return text;
}

std::string TempName(std::string_view folder, int n) {
    return InFolder(folder, "~lumbra" + std::to_string(n) + ".tmp");
}

}  // namespace lumbra::drop
