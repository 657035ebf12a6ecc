#pragma once
// In-memory stand-ins for what the file-drop commands talk to: a file system of drives C: and D:
// whose every call can be made to fail in turn, scripted message boxes, a shortcut writer, a
// progress window whose cancel button a test presses, and the desktop folder lookup.
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "drop/DesktopCommands.h"

namespace lumbra::fakes {

using platform::FileResult;

namespace dropfs {
// "D:\" is the drive "D:"; "D:\x\" is "D:\x".
inline std::string Trim(std::string_view path) {
    return std::string(path.substr(0, path.size() > 2 && path.back() == '\\' ? path.size() - 1 : path.size()));
}
inline std::string Parent(const std::string& path) { return path.substr(0, path.rfind('\\')); }
inline bool Under(const std::string& path, const std::string& folder) { return path.rfind(folder + "\\", 0) == 0; }
inline const FileResult kNotFound = FileResult::Fail("The system cannot find the file specified.");
inline const FileResult kExists = FileResult::Fail("Cannot create a file when that file already exists.");
}  // namespace dropfs

// Paths are compared as spelt: a test spells each one way. The volume is the drive.
class DropFakeFileSystem final : public platform::FileSystem {
public:
    struct Node {
        bool folder = false;
        std::string content;  // a file's bytes, a link's target
        std::uint32_t attributes = 0;
        std::uint64_t time = 0;
        bool link = false;
        platform::ItemFacts Facts() const { return {attributes, content.size(), time, link}; }
    };

    // Set-up: folders are made along the way; every write is a tick later than the last.
    void Add(const std::string& path, Node node) {
        if (!At(dropfs::Parent(path))) AddFolder(dropfs::Parent(path));
        node.time = ++clock_;
        nodes_[dropfs::Trim(path)] = node;
    }
    void AddFile(const std::string& path, const std::string& content, std::uint32_t attributes = 0) {
        Add(path, {false, content, attributes});
    }
    void AddFolder(const std::string& path) { Add(path, {true, {}, platform::kAttrDirectory}); }
    void AddLink(const std::string& path, const std::string& target) {
        Add(path, {true, target, platform::kAttrDirectory | platform::kAttrReparsePoint, 0, true});
    }
    const Node* At(const std::string& path) const {
        auto it = nodes_.find(dropfs::Trim(path));
        return it == nodes_.end() ? nullptr : &it->second;
    }
    // Every item: a file's content, "/" for a folder, "->" + target for a link.
    std::map<std::string, std::string> State() const {
        std::map<std::string, std::string> out;
        for (const auto& [path, n] : nodes_) out[path] = n.link ? "->" + n.content : n.folder ? "/" : n.content;
        return out;
    }
    // What is under the folder, as "relative path=content", "relative path/" or "... =->target".
    std::vector<std::string> Tree(const std::string& folder) const {
        std::vector<std::string> out;
        for (const auto& [path, what] : State()) {
            if (dropfs::Under(path, folder))
                out.push_back(path.substr(folder.size() + 1) + (what == "/" ? "/" : "=" + what));
        }
        return out;
    }

    // Faults: the failAt-th call (from 1) fails; a locked path (a file in use) can be read but
    // neither renamed nor deleted; without linksMade a link is "made" and not there, as in Wine.
    int failAt = 0;
    int calls = 0;
    std::set<std::string> locked;
    bool linksMade = true;
    // After every file copy, with its destination.
    std::function<void(const std::string&)> afterCopy;
    // Counts a call and says whether it fails.
    std::optional<FileResult> Fault(std::string_view path, bool removes = false) {
        if (++calls == failAt) return FileResult::Fail("There is not enough space on the disk.");
        if (removes && locked.count(dropfs::Trim(path))) return FileResult::Fail("The file is in use.");
        return std::nullopt;
    }

    FileResult Facts(std::string_view path, platform::ItemFacts& facts) override {
        if (auto fault = Fault(path)) return *fault;
        const Node* node = At(std::string(path));
        if (node) facts = node->Facts();
        return node ? FileResult::Ok() : dropfs::kNotFound;
    }
    bool SameItem(std::string_view a, std::string_view b) override {
        return !Fault(a) && At(std::string(a)) && dropfs::Trim(a) == dropfs::Trim(b);
    }
    std::string VolumeRoot(std::string_view path) override {
        return Fault(path) ? std::string() : std::string(path.substr(0, 2)) + "\\";
    }
    FileResult ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) override {
        if (auto fault = Fault(path)) return *fault;
        const std::string folder = dropfs::Trim(path);
        entries.clear();
        for (const auto& [p, n] : nodes_) {
            if (dropfs::Under(p, folder) && dropfs::Parent(p) == folder)
                entries.push_back({p.substr(folder.size() + 1), n.Facts()});
        }
        std::reverse(entries.begin(), entries.end());  // not in name order, as a real listing may be
        return FileResult::Ok();
    }
    FileResult CreateFolder(std::string_view path, std::string_view like) override {
        if (auto fault = Fault(path)) return *fault;
        if (auto taken = Taken(path)) return *taken;
        const Node* model = like.empty() ? nullptr : At(std::string(like));
        Add(std::string(path), {true, {}, (model ? model->attributes : 0) | platform::kAttrDirectory});
        return FileResult::Ok();
    }
    FileResult CopyFileTo(std::string_view from, std::string_view to, platform::CopyProgress* p) override {
        const Node* source = At(std::string(from));
        // The disk fills half-way: a part of the file stays behind.
        if (calls + 1 == failAt && source && !Taken(to)) Add(std::string(to), {false, source->content.substr(0, 3)});
        if (auto fault = Fault(from)) return *fault;
        if (auto taken = Taken(to)) return *taken;
        if (!source || source->folder) return dropfs::kNotFound;
        if (p) p->Bytes(source->content.size(), source->content.size());
        nodes_[dropfs::Trim(to)] = *source;  // a copy keeps the write time
        if (afterCopy) afterCopy(std::string(to));
        return FileResult::Ok();
    }
    FileResult CopyLink(std::string_view from, std::string_view to) override {
        if (auto fault = Fault(from)) return *fault;
        if (auto taken = Taken(to)) return *taken;
        if (!linksMade) return FileResult::Fail("The link was not made.");
        nodes_[dropfs::Trim(to)] = *At(std::string(from));
        return FileResult::Ok();
    }
    FileResult Rename(std::string_view from, std::string_view to) override {
        if (auto fault = Fault(from, true)) return *fault;
        if (from.substr(0, 2) != to.substr(0, 2)) return {FileResult::Status::OtherVolume, "other volume"};
        if (!At(std::string(from))) return dropfs::kNotFound;
        if (auto taken = Taken(to)) return *taken;
        const std::string source = dropfs::Trim(from);
        std::map<std::string, Node> moved;
        std::erase_if(nodes_, [&](const auto& n) {
            const bool moves = n.first == source || dropfs::Under(n.first, source);
            if (moves) moved[dropfs::Trim(to) + n.first.substr(source.size())] = n.second;
            return moves;
        });
        nodes_.merge(moved);
        return FileResult::Ok();
    }
    FileResult ReplaceFileAt(std::string_view from, std::string_view to) override {
        if (auto fault = Fault(to)) return *fault;
        const Node* target = At(std::string(to));
        if (!target || target->folder) return FileResult::Fail("Access is denied.");
        nodes_[dropfs::Trim(to)] = *At(std::string(from));
        nodes_.erase(dropfs::Trim(from));
        return FileResult::Ok();
    }
    FileResult DeleteFileAt(std::string_view path) override {
        if (auto fault = Fault(path, true)) return *fault;
        const Node* node = At(std::string(path));
        return node && !node->folder && nodes_.erase(dropfs::Trim(path)) ? FileResult::Ok() : dropfs::kNotFound;
    }
    FileResult RemoveFolder(std::string_view path) override {
        if (auto fault = Fault(path)) return *fault;
        const Node* node = At(std::string(path));
        const std::string folder = dropfs::Trim(path);
        if (!node || !node->folder) return dropfs::kNotFound;
        auto inside = [&](const auto& n) { return dropfs::Under(n.first, folder); };
        if (!node->link && std::any_of(nodes_.begin(), nodes_.end(), inside)) return FileResult::Fail("Not empty.");
        nodes_.erase(folder);
        return FileResult::Ok();
    }

private:
    // Fails unless nothing is at the path and a folder is above it.
    std::optional<FileResult> Taken(std::string_view path) {
        const Node* parent = At(dropfs::Parent(dropfs::Trim(path)));
        if (At(std::string(path))) return dropfs::kExists;
        if (!parent || !parent->folder || parent->link) return dropfs::kNotFound;
        return std::nullopt;
    }
    std::map<std::string, Node> nodes_{{"C:", {true, {}, platform::kAttrDirectory}},
                                       {"D:", {true, {}, platform::kAttrDirectory}}};
    std::uint64_t clock_ = 0;
};

// Message boxes answered from a script (Yes when it runs out), each kept as "title|style|prompt".
class DropFakeMessageBoxes final : public platform::MessageBoxes {
public:
    std::vector<std::string> shown;
    std::vector<int> answers;
    int MsgBox(std::string_view prompt, int style, std::string_view title) override {
        shown.push_back(std::string(title) + "|" + std::to_string(style) + "|" + std::string(prompt));
        if ((style & 0xF) != platform::kMsgBoxYesNo) return platform::kMsgBoxOk;
        const int answer = answers.empty() ? platform::kMsgBoxYes : answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
        return answer;
    }
};

class DropFakeShellFolder final : public platform::ShellFolder {
public:
    std::string desktop = "C:\\Users\\me\\Desktop";
    std::map<std::int32_t, std::string> others;  // other folders by identifier; the desktop for the rest
    std::vector<std::int32_t> asked;
    std::string GetFolderPath(std::int32_t folder) override {
        asked.push_back(folder);
        return others.count(folder) ? others.at(folder) : desktop;
    }
};

// Shortcuts written as files of "link:" + target, through the file system's calls: a fault
// leaves half a file.
class DropFakeShellLinks final : public platform::ShellLinks, public platform::ShortcutShell {
public:
    explicit DropFakeShellLinks(DropFakeFileSystem& fs) : fs_(fs) {}
    bool unavailable = false;
    std::unique_ptr<platform::ShortcutShell> CreateShell(std::string& error) override {
        if (unavailable) error = "Class not registered";
        return unavailable ? nullptr : std::make_unique<DropFakeShellLinks>(fs_);
    }
    FileResult SaveShortcut(std::string_view path, std::string_view target, std::string_view model) override {
        const std::string p(path);
        const bool there = fs_.At(p);
        if (auto fault = fs_.Fault(path)) {
            if (!there) fs_.AddFile(p, "li");
            return *fault;
        }
        if (there) return dropfs::kExists;
        const auto* old = model.empty() ? nullptr : fs_.At(std::string(model));
        fs_.AddFile(p, "link:" + std::string(target), old ? old->attributes : 0);
        return FileResult::Ok();
    }

private:
    DropFakeFileSystem& fs_;
};

// A progress window whose cancel button is pressed once a number of items were announced.
class DropFakeProgressWindows final : public platform::ProgressWindows {
public:
    int cancelAfterItems = -1;
    int answered = 0;                // questions answered while a command ran
    std::vector<std::string> items;  // "from -> to" as announced
    std::unique_ptr<platform::TransferProgress> Begin(platform::TransferKind) override {
        return std::make_unique<Progress>(*this);
    }

private:
    struct Progress final : platform::TransferProgress {
        explicit Progress(DropFakeProgressWindows& o) : owner(o) {}
        DropFakeProgressWindows& owner;
        void Bytes(std::uint64_t, std::uint64_t) override {}
        void Item(std::string_view from, std::string_view to) override {
            owner.items.push_back(std::string(from) + " -> " + std::string(to));
        }
        bool Cancelled() override {
            return owner.cancelAfterItems >= 0 && static_cast<int>(owner.items.size()) >= owner.cancelAfterItems;
        }
        void Answered() override { ++owner.answered; }
    };
};

struct DropWorld {
    DropFakeFileSystem fs;
    DropFakeMessageBoxes boxes;
    DropFakeShellFolder folders;
    DropFakeShellLinks links{fs};
    DropFakeProgressWindows progress;
    drop::DropServices services{folders, fs, boxes, links, progress};
};

// A drop command: 'c' copy, 'm' move, 'l' shortcuts.
inline platform::DropOutcome RunDrop(const drop::DropServices& s, char command, const std::vector<std::string>& items) {
    if (command == 'l') return drop::CreateDesktopShortcuts(s, items);
    return drop::TransferToDesktop(s, command == 'c' ? platform::TransferKind::Copy : platform::TransferKind::Move, items);
}

}  // namespace lumbra::fakes
