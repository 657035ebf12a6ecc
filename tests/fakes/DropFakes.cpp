#include "fakes/DropFakes.h"

#include <algorithm>

namespace lumbra::fakes {
namespace {

using platform::FileResult;

const FileResult kNotFound = FileResult::Fail("The system cannot find the file specified.");
const FileResult kExists = FileResult::Fail("Cannot create a file when that file already exists.");

// "D:\" is the drive "D:"; "D:\x\" is "D:\x".
std::string Trim(std::string_view path) {
    return std::string(path.substr(0, path.size() > 2 && path.back() == '\\' ? path.size() - 1 : path.size()));
}
std::string Parent(const std::string& path) { return path.substr(0, path.rfind('\\')); }
bool Under(const std::string& path, const std::string& folder) { return path.rfind(folder + "\\", 0) == 0; }
platform::ItemFacts FactsOf(const DropFakeFileSystem::Node& n) { return {n.attributes, n.content.size(), n.time, n.link}; }

}  // namespace

void DropFakeFileSystem::Add(const std::string& path, Node node) {
    if (!nodes_.count(Parent(path))) AddFolder(Parent(path));
    node.time = ++clock_;
    nodes_[Trim(path)] = node;
}

std::map<std::string, std::string> DropFakeFileSystem::State() const {
    std::map<std::string, std::string> out;
    for (const auto& [path, n] : nodes_) out[path] = n.link ? "->" + n.content : n.folder ? "/" : n.content;
    return out;
}

std::vector<std::string> DropFakeFileSystem::Tree(const std::string& folder) const {
    std::vector<std::string> out;
    for (const auto& [path, what] : State()) {
        if (Under(path, folder)) out.push_back(path.substr(folder.size() + 1) + (what == "/" ? "/" : "=" + what));
    }
    return out;
}

const DropFakeFileSystem::Node* DropFakeFileSystem::At(const std::string& path) const {
    auto it = nodes_.find(Trim(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

std::optional<FileResult> DropFakeFileSystem::Fault(std::string_view path, bool removes) {
    if (++calls == failAt) return FileResult::Fail("There is not enough space on the disk.");
    if (removes && locked.count(Trim(path))) return FileResult::Fail("The file is in use.");
    return std::nullopt;
}

// Fails unless nothing is at the path and a folder is above it.
std::optional<FileResult> DropFakeFileSystem::Taken(std::string_view path) {
    const Node* parent = At(Parent(Trim(path)));
    if (At(std::string(path))) return kExists;
    if (!parent || !parent->folder || parent->link) return kNotFound;
    return std::nullopt;
}

FileResult DropFakeFileSystem::Facts(std::string_view path, platform::ItemFacts& facts) {
    if (auto fault = Fault(path)) return *fault;
    const Node* node = At(std::string(path));
    if (node) facts = FactsOf(*node);
    return node ? FileResult::Ok() : kNotFound;
}

bool DropFakeFileSystem::SameItem(std::string_view a, std::string_view b) {
    return !Fault(a) && At(std::string(a)) && Trim(a) == Trim(b);
}

std::string DropFakeFileSystem::VolumeRoot(std::string_view path) {
    return Fault(path) ? std::string() : std::string(path.substr(0, 2)) + "\\";
}

FileResult DropFakeFileSystem::ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) {
    if (auto fault = Fault(path)) return *fault;
    const std::string folder = Trim(path);
    entries.clear();
    for (const auto& [p, n] : nodes_) {
        if (Under(p, folder) && Parent(p) == folder) entries.push_back({p.substr(folder.size() + 1), FactsOf(n)});
    }
    std::reverse(entries.begin(), entries.end());  // not in name order, as a real listing may be
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::CreateFolder(std::string_view path, std::string_view like) {
    if (auto fault = Fault(path)) return *fault;
    if (auto taken = Taken(path)) return *taken;
    const Node* model = like.empty() ? nullptr : At(std::string(like));
    Add(std::string(path), {true, {}, (model ? model->attributes : 0) | platform::kAttrDirectory});
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::CopyFileTo(std::string_view from, std::string_view to, platform::CopyProgress* p) {
    const Node* source = At(std::string(from));
    // The disk fills half-way: a part of the file stays behind.
    if (calls + 1 == failAt && source && !Taken(to)) Add(std::string(to), {false, source->content.substr(0, 3)});
    if (auto fault = Fault(from)) return *fault;
    if (auto taken = Taken(to)) return *taken;
    if (!source || source->folder) return kNotFound;
    if (p) p->Bytes(source->content.size(), source->content.size());
    nodes_[Trim(to)] = *source;  // a copy keeps the write time
    if (afterCopy) afterCopy(std::string(to));
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::CopyLink(std::string_view from, std::string_view to) {
    if (auto fault = Fault(from)) return *fault;
    if (auto taken = Taken(to)) return *taken;
    if (!linksMade) return FileResult::Fail("The link was not made.");
    nodes_[Trim(to)] = *At(std::string(from));
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::Rename(std::string_view from, std::string_view to) {
    if (auto fault = Fault(from, true)) return *fault;
    if (from.substr(0, 2) != to.substr(0, 2)) return {FileResult::Status::OtherVolume, "other volume"};
    if (!At(std::string(from))) return kNotFound;
    if (auto taken = Taken(to)) return *taken;
    const std::string source = Trim(from);
    std::map<std::string, Node> moved;
    std::erase_if(nodes_, [&](const auto& n) {
        const bool moves = n.first == source || Under(n.first, source);
        if (moves) moved[Trim(to) + n.first.substr(source.size())] = n.second;
        return moves;
    });
    nodes_.merge(moved);
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::ReplaceFileAt(std::string_view from, std::string_view to) {
    if (auto fault = Fault(to)) return *fault;
    const Node* target = At(std::string(to));
    if (!target || target->folder) return FileResult::Fail("Access is denied.");
    nodes_[Trim(to)] = *At(std::string(from));
    nodes_.erase(Trim(from));
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::DeleteFileAt(std::string_view path) {
    if (auto fault = Fault(path, true)) return *fault;
    const Node* node = At(std::string(path));
    return node && !node->folder && nodes_.erase(Trim(path)) ? FileResult::Ok() : kNotFound;
}

FileResult DropFakeFileSystem::RemoveFolder(std::string_view path) {
    if (auto fault = Fault(path)) return *fault;
    const Node* node = At(std::string(path));
    const std::string folder = Trim(path);
    if (!node || !node->folder) return kNotFound;
    if (!node->link && std::any_of(nodes_.begin(), nodes_.end(), [&](const auto& n) { return Under(n.first, folder); })) {
        return FileResult::Fail("The directory is not empty.");
    }
    nodes_.erase(folder);
    return FileResult::Ok();
}

int DropFakeMessageBoxes::MsgBox(std::string_view prompt, int style, std::string_view title) {
    shown.push_back(std::string(title) + "|" + std::to_string(style) + "|" + std::string(prompt));
    if ((style & 0xF) != platform::kMsgBoxYesNo) return platform::kMsgBoxOk;
    const int answer = answers.empty() ? platform::kMsgBoxYes : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return answer;
}

namespace {

class FakeShortcutShell final : public platform::ShortcutShell {
public:
    explicit FakeShortcutShell(DropFakeFileSystem& fs) : fs_(fs) {}
    FileResult SaveShortcut(std::string_view path, std::string_view target, std::string_view model) override {
        const std::string p(path);
        const bool there = fs_.At(p);
        if (auto fault = fs_.Fault(path)) {
            if (!there) fs_.AddFile(p, "li");  // half written
            return *fault;
        }
        if (there) return kExists;
        const auto* old = model.empty() ? nullptr : fs_.At(std::string(model));
        fs_.AddFile(p, "link:" + std::string(target), old ? old->attributes : 0);
        return FileResult::Ok();
    }

private:
    DropFakeFileSystem& fs_;
};

class FakeProgress final : public platform::TransferProgress {
public:
    explicit FakeProgress(DropFakeProgressWindows& owner) : owner_(owner) {}
    void Bytes(std::uint64_t, std::uint64_t) override {}
    void Item(std::string_view from, std::string_view to) override {
        owner_.items.push_back(std::string(from) + " -> " + std::string(to));
    }
    bool Cancelled() override {
        return owner_.cancelAfterItems >= 0 && static_cast<int>(owner_.items.size()) >= owner_.cancelAfterItems;
    }
    void Answered() override { ++owner_.answered; }

private:
    DropFakeProgressWindows& owner_;
};

}  // namespace

std::unique_ptr<platform::ShortcutShell> DropFakeShellLinks::CreateShell(std::string& error) {
    if (unavailable) error = "Class not registered";
    return unavailable ? nullptr : std::make_unique<FakeShortcutShell>(fs_);
}

std::unique_ptr<platform::TransferProgress> DropFakeProgressWindows::Begin(platform::TransferKind k) {
    kind = k;
    return std::make_unique<FakeProgress>(*this);
}

}  // namespace lumbra::fakes
