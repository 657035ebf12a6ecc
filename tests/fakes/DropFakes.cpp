#include "fakes/DropFakes.h"

#include <algorithm>

namespace lumbra::fakes {
namespace {

using platform::FileResult;

const FileResult kNotFound = FileResult::Fail("The system cannot find the file specified.");
const FileResult kExists = FileResult::Fail("Cannot create a file when that file already exists.");
const FileResult kDenied = FileResult::Fail("Access is denied.");
const FileResult kNotEmpty = FileResult::Fail("The directory is not empty.");
const FileResult kDiskFull = FileResult::Fail("There is not enough space on the disk.");

std::string Parent(const std::string& key) { return key.substr(0, std::min(key.size(), key.rfind('\\'))); }
bool Under(const std::string& key, const std::string& folder) { return key.rfind(folder + "\\", 0) == 0; }

}  // namespace

DropFakeFileSystem::DropFakeFileSystem() {
    for (const char* drive : {"C:", "D:"}) nodes_[Key(drive)] = Node{drive, true, {}, platform::kAttrDirectory};
}

std::string DropFakeFileSystem::Key(std::string_view path) {
    std::string key(path);
    while (key.size() > 1 && key.back() == '\\') key.pop_back();
    for (char& c : key) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return key;
}

void DropFakeFileSystem::Put(std::string_view path, Node node) {
    node.path = std::string(path);
    node.time = ++clock_;
    nodes_[Key(path)] = std::move(node);
}

void DropFakeFileSystem::AddFolder(const std::string& path, std::uint32_t attributes) {
    if (nodes_.count(Key(path))) return;
    AddFolder(path.substr(0, path.rfind('\\')));
    Put(path, Node{{}, true, {}, attributes | platform::kAttrDirectory});
}

void DropFakeFileSystem::AddFile(const std::string& path, const std::string& content, std::uint32_t attributes) {
    AddFolder(path.substr(0, path.rfind('\\')));
    Put(path, Node{{}, false, content, attributes});
}

void DropFakeFileSystem::AddLink(const std::string& path, const std::string& target) {
    AddFolder(path.substr(0, path.rfind('\\')));
    Put(path, Node{{}, true, target, platform::kAttrDirectory | platform::kAttrReparsePoint, 0, true});
}

const DropFakeFileSystem::Node* DropFakeFileSystem::At(const std::string& path) const {
    auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

DropFakeFileSystem::Node* DropFakeFileSystem::Find(std::string_view path) {
    auto it = nodes_.find(Key(path));
    return it == nodes_.end() ? nullptr : &it->second;
}

std::string DropFakeFileSystem::Content(const std::string& path) const {
    const Node* node = At(path);
    return node ? node->content : "<missing>";
}

std::vector<std::string> DropFakeFileSystem::Tree(const std::string& folder) const {
    std::vector<std::string> out;
    const std::size_t skip = Key(folder).size() + 1;
    for (const auto& [key, node] : nodes_) {
        if (Under(key, Key(folder))) out.push_back(node.path.substr(skip) + (node.folder ? "/" : ""));
    }
    return out;
}

std::map<std::string, std::string> DropFakeFileSystem::State() const {
    std::map<std::string, std::string> out;
    for (const auto& [key, node] : nodes_) out[key] = node.link ? "->" + node.content : node.folder ? "/" : node.content;
    return out;
}

std::optional<FileResult> DropFakeFileSystem::Fault(std::string_view path, bool removes) {
    if (++calls == failAt) return kDiskFull;
    if (removes && locked.count(Key(path))) return FileResult::Fail("The process cannot access the file because it is being used by another process.");
    return std::nullopt;
}

std::optional<FileResult> DropFakeFileSystem::NewPlace(std::string_view path) {
    if (Find(path)) return kExists;
    const Node* parent = Find(Parent(Key(path)));
    if (!parent || !parent->folder || parent->link) return FileResult::Fail("The system cannot find the path specified.");
    return std::nullopt;
}

FileResult DropFakeFileSystem::Facts(std::string_view path, platform::ItemFacts& facts) {
    if (auto fault = Fault(path)) return *fault;
    const Node* node = Find(path);
    if (!node) return kNotFound;
    facts = {node->attributes, node->content.size(), node->time, node->link};
    return FileResult::Ok();
}

bool DropFakeFileSystem::SameItem(std::string_view a, std::string_view b) {
    return !Fault(a) && Find(a) && Key(a) == Key(b);
}

std::string DropFakeFileSystem::VolumeRoot(std::string_view path) {
    return Fault(path) ? std::string() : std::string(path.substr(0, 2)) + "\\";
}

FileResult DropFakeFileSystem::ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) {
    if (auto fault = Fault(path)) return *fault;
    const Node* folder = Find(path);
    if (!folder || !folder->folder) return kNotFound;
    entries.clear();
    for (const auto& [key, node] : nodes_) {
        if (Under(key, Key(path)) && Parent(key) == Key(path)) {
            entries.push_back({node.path.substr(node.path.rfind('\\') + 1),
                               {node.attributes, node.content.size(), node.time, node.link}});
        }
    }
    std::reverse(entries.begin(), entries.end());  // not in name order, as a real listing may be
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::CreateFolder(std::string_view path, std::string_view like) {
    if (auto fault = Fault(path)) return *fault;
    if (auto taken = NewPlace(path)) return *taken;
    const Node* model = like.empty() ? nullptr : Find(like);
    Put(path, Node{{}, true, {}, (model ? model->attributes : 0) | platform::kAttrDirectory});
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::CopyFileTo(std::string_view from, std::string_view to, platform::CopyProgress* p) {
    const Node* source = Find(from);
    if (calls + 1 == failAt && source && !NewPlace(to)) {
        // The disk fills half-way: a part of the file stays behind.
        Put(to, Node{{}, false, source->content.substr(0, source->content.size() / 2), source->attributes});
    }
    if (auto fault = Fault(from)) return *fault;
    if (!source || source->folder) return kDenied;
    if (auto taken = NewPlace(to)) return *taken;
    if (p) p->Bytes(source->content.size(), source->content.size());
    Node copy = *source;
    Put(to, copy);
    Find(to)->time = copy.time;  // a copy keeps the write time
    if (afterCopy) afterCopy(std::string(to));
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::CopyLink(std::string_view from, std::string_view to) {
    if (auto fault = Fault(from)) return *fault;
    const Node* source = Find(from);
    if (!source || !source->link) return kDenied;
    if (auto taken = NewPlace(to)) return *taken;
    if (!linksMade) return FileResult::Fail("The link was not made.");
    Put(to, *source);
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::Rename(std::string_view from, std::string_view to) {
    if (auto fault = Fault(from, true)) return *fault;
    if (Key(from).substr(0, 2) != Key(to).substr(0, 2)) return {FileResult::Status::OtherVolume, "other volume"};
    if (!Find(from)) return kNotFound;
    if (auto taken = NewPlace(to)) return *taken;
    const std::string source = Key(from);
    std::vector<std::string> moving;
    for (const auto& [key, node] : nodes_) {
        if (key == source || Under(key, source)) moving.push_back(key);
    }
    for (const std::string& key : moving) {
        Node node = nodes_[key];
        node.path = std::string(to) + node.path.substr(source.size());
        nodes_.erase(key);
        nodes_[Key(node.path)] = node;
    }
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::ReplaceFileAt(std::string_view from, std::string_view to) {
    if (auto fault = Fault(to)) return *fault;
    const Node* source = Find(from);
    const Node* target = Find(to);
    if (!source || !target) return kNotFound;
    if (source->folder || target->folder) return kDenied;
    Node node = *source;
    node.path = target->path;
    nodes_.erase(Key(from));
    nodes_[Key(to)] = node;
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::DeleteFileAt(std::string_view path) {
    if (auto fault = Fault(path, true)) return *fault;
    const Node* node = Find(path);
    if (!node) return kNotFound;
    if (node->folder) return kDenied;
    nodes_.erase(Key(path));
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::RemoveFolder(std::string_view path) {
    if (auto fault = Fault(path)) return *fault;
    const Node* node = Find(path);
    if (!node || !node->folder) return kNotFound;
    for (const auto& [key, child] : nodes_) {
        if (!node->link && Under(key, Key(path))) return kNotEmpty;
    }
    nodes_.erase(Key(path));
    return FileResult::Ok();
}

int DropFakeMessageBoxes::MsgBox(std::string_view prompt, int style, std::string_view title) {
    shown.push_back(std::string(title) + "|" + std::to_string(style) + "|" + std::string(prompt));
    if ((style & 0xF) != platform::kMsgBoxYesNo) return platform::kMsgBoxOk;
    return next_ < answers.size() ? answers[next_++] : platform::kMsgBoxYes;
}

namespace {

class FakeShortcutShell final : public platform::ShortcutShell {
public:
    explicit FakeShortcutShell(DropFakeFileSystem& fs) : fs_(fs) {}
    FileResult SaveShortcut(std::string_view path, std::string_view target, std::string_view model) override {
        const bool dies = fs_.calls + 1 == fs_.failAt;
        if (auto fault = fs_.Fault(path)) {
            if (dies && !fs_.At(std::string(path))) fs_.AddFile(std::string(path), "li");  // half written
            return *fault;
        }
        if (fs_.At(std::string(path))) return kExists;
        const auto* old = model.empty() ? nullptr : fs_.At(std::string(model));
        fs_.AddFile(std::string(path), "link:" + std::string(target), old ? old->attributes : 0);
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
