// Names of dropped items: the item's name, its shortcut's name, the destination in the desktop
// folder and the walk up the folders of a path, over any dropped path (drive roots, trailing
// backslashes, UNC paths, very long and non-BMP paths).
// Input: the dropped path on the first line; a desktop folder on the second, when there is one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "drop/DropNames.h"

namespace {

namespace drop = lumbra::drop;

std::size_t Backslashes(std::string_view text) {
    std::size_t n = 0;
    for (char c : text) n += c == '\\';
    return n;
}

void ItemNames(std::string_view path) {
    const std::string_view name = drop::ItemName(path);
    // The name is the end of the path after its last backslash.
    FUZZ_CHECK(name.find('\\') == std::string_view::npos);
    FUZZ_CHECK(name.size() <= path.size() && path.substr(path.size() - name.size()) == name);
    if (name.size() < path.size()) FUZZ_CHECK(path[path.size() - name.size() - 1] == '\\');
    if (!path.empty() && path.back() == '\\') FUZZ_CHECK(name.empty());

    const std::string shortcut = drop::ShortcutFileName(name);
    FUZZ_CHECK(shortcut.size() == name.size() + drop::kShortcutSuffix.size());
    FUZZ_CHECK(shortcut.compare(0, name.size(), name) == 0);
    FUZZ_CHECK(std::string_view(shortcut).substr(name.size()) == drop::kShortcutSuffix);
    // A shortcut's name is one name: in a folder it reads back whole.
    FUZZ_CHECK(drop::ItemName(drop::InFolder("C:\\Users\\me\\Desktop", shortcut)) == shortcut);
    FUZZ_CHECK(drop::ItemName(drop::InFolder("C:\\Users\\me\\Desktop", name)) == name);
}

void WalkUp(std::string_view path) {
    // Every step is a strictly shorter beginning of the path, so the walk ends, and within one
    // step per backslash.
    std::string_view p = path;
    std::size_t steps = 0;
    // Two backslashes in a row (after a UNC path's leading pair) hold an empty name, and the
    // parent before it ends in a backslash: the walk still goes up.
    const bool doubled = path.find("\\\\", 1) != std::string_view::npos;
    while (!p.empty()) {
        const std::string_view up = drop::ParentFolder(p);
        FUZZ_CHECK(up.size() < p.size());
        FUZZ_CHECK(p.substr(0, up.size()) == up);
        // A parent keeps no trailing backslash, except a drive's root.
        if (!doubled && !up.empty() && up.back() == '\\') FUZZ_CHECK(up.size() == 3 && up[1] == ':');
        FUZZ_CHECK(++steps <= Backslashes(path) + 1);
        p = up;
    }
}

// The folder an item goes into, written as the shell writes folders: a drive and at least one
// folder, or a share, with no backslash at the end.
bool PlainFolder(std::string_view folder) {
    if (folder.empty() || folder.back() == '\\') return false;
    if (folder.size() >= 4 && folder[1] == ':' && folder[2] == '\\') return true;
    if (folder.size() >= 5 && folder[0] == '\\' && folder[1] == '\\') {
        const std::size_t share = folder.find('\\', 2);
        return share != std::string_view::npos && share > 2 && share + 1 < folder.size();
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lines = lumbra::fuzz::Split(lumbra::fuzz::AsText(data, size), '\n');
    const std::string_view path = lines[0];
    ItemNames(path);
    WalkUp(path);

    const std::string_view folder = lines.size() > 1 ? lines[1] : std::string_view("C:\\Users\\me\\Desktop");
    const std::string_view name = drop::ItemName(path);
    const std::string destination = drop::InFolder(folder, name);
    FUZZ_CHECK(destination.size() == folder.size() + 1 + name.size());
    FUZZ_CHECK(destination.compare(0, folder.size(), folder) == 0 && destination[folder.size()] == '\\');
    FUZZ_CHECK(drop::ItemName(destination) == name);
    WalkUp(destination);
    // The destination of a named item lies in the desktop folder, one level down.
    if (!name.empty() && PlainFolder(folder)) FUZZ_CHECK(drop::ParentFolder(destination) == folder);

    const std::string question = drop::OverwriteQuestion(name);
    FUZZ_CHECK(question.compare(0, name.size(), name) == 0);
    return 0;
}
