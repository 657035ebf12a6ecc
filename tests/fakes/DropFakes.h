#pragma once
// In-memory stand-ins for what the file-drop commands talk to: a file system of drives C: and D:
// whose every call can be made to fail in turn, scripted message boxes, a shortcut writer, a
// progress window whose cancel button a test presses, and the desktop folder lookup.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "drop/DesktopCommands.h"

namespace lumbra::fakes {

// Paths are compared as spelt: a test spells each one way. The volume is the drive.
class DropFakeFileSystem final : public platform::FileSystem {
public:
    struct Node {
        bool folder = false;
        std::string content;  // a file's bytes, a link's target
        std::uint32_t attributes = 0;
        std::uint64_t time = 0;
        bool link = false;
    };

    // Set-up: folders are made along the way; every write is a tick later than the last.
    void Add(const std::string& path, Node node);
    void AddFile(const std::string& path, const std::string& content, std::uint32_t attributes = 0) {
        Add(path, {false, content, attributes});
    }
    void AddFolder(const std::string& path) { Add(path, {true, {}, platform::kAttrDirectory}); }
    void AddLink(const std::string& path, const std::string& target) {
        Add(path, {true, target, platform::kAttrDirectory | platform::kAttrReparsePoint, 0, true});
    }
    // Every item: a file's content, "/" for a folder, "->" + target for a link.
    std::map<std::string, std::string> State() const;
    // What is under the folder, as "relative path=content", "relative path/" or "... =->target".
    std::vector<std::string> Tree(const std::string& folder) const;
    const Node* At(const std::string& path) const;

    // Faults: the failAt-th call (from 1) fails; a locked path (a file in use) can be read but
    // neither renamed nor deleted; without linksMade a link is "made" and not there, as in Wine.
    int failAt = 0;
    int calls = 0;
    std::set<std::string> locked;
    bool linksMade = true;
    // After every file copy, with its destination.
    std::function<void(const std::string&)> afterCopy;
    // Counts a call and says whether it fails.
    std::optional<platform::FileResult> Fault(std::string_view path, bool removes = false);

    platform::FileResult Facts(std::string_view path, platform::ItemFacts& facts) override;
    bool SameItem(std::string_view a, std::string_view b) override;
    std::string VolumeRoot(std::string_view path) override;
    platform::FileResult ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) override;
    platform::FileResult CreateFolder(std::string_view path, std::string_view like) override;
    platform::FileResult CopyFileTo(std::string_view from, std::string_view to, platform::CopyProgress* p) override;
    platform::FileResult CopyLink(std::string_view from, std::string_view to) override;
    platform::FileResult Rename(std::string_view from, std::string_view to) override;
    platform::FileResult ReplaceFileAt(std::string_view from, std::string_view to) override;
    platform::FileResult DeleteFileAt(std::string_view path) override;
    platform::FileResult RemoveFolder(std::string_view path) override;

private:
    std::optional<platform::FileResult> Taken(std::string_view path);
    std::map<std::string, Node> nodes_{{"C:", {true, {}, platform::kAttrDirectory}}, {"D:", {true, {}, platform::kAttrDirectory}}};
    std::uint64_t clock_ = 0;
};

// Message boxes answered from a script (Yes when it runs out), each kept as "title|style|prompt".
class DropFakeMessageBoxes final : public platform::MessageBoxes {
public:
    std::vector<std::string> shown;
    std::vector<int> answers;
    int MsgBox(std::string_view prompt, int style, std::string_view title) override;
};

class DropFakeShellFolder final : public platform::ShellFolder {
public:
    std::string desktop = "C:\\Users\\me\\Desktop";
    std::vector<std::int32_t> asked;
    std::string GetFolderPath(std::int32_t folder) override {
        asked.push_back(folder);
        return desktop;
    }
};

// Shortcuts written as files of "link:" + target, through the file system's calls.
class DropFakeShellLinks final : public platform::ShellLinks {
public:
    explicit DropFakeShellLinks(DropFakeFileSystem& fs) : fs_(fs) {}
    bool unavailable = false;
    std::unique_ptr<platform::ShortcutShell> CreateShell(std::string& error) override;

private:
    DropFakeFileSystem& fs_;
};

// A progress window whose cancel button is pressed once a number of items were announced.
class DropFakeProgressWindows final : public platform::ProgressWindows {
public:
    int cancelAfterItems = -1;
    int answered = 0;                // questions answered while a command ran
    std::vector<std::string> items;  // "from -> to" as announced
    std::optional<platform::TransferKind> kind;
    std::unique_ptr<platform::TransferProgress> Begin(platform::TransferKind k) override;
};

struct DropWorld {
    DropFakeFileSystem fs;
    DropFakeMessageBoxes boxes;
    DropFakeShellFolder folders;
    DropFakeShellLinks links{fs};
    DropFakeProgressWindows progress;
    drop::DropServices services{folders, fs, boxes, links, progress};
};

}  // namespace lumbra::fakes
