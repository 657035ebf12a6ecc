#include "fakes/DropFakes.h"

#include <algorithm>

namespace lumbra::fakes {
namespace {

using platform::FileResult;

constexpr const char* kNotFound = "The system cannot find the file specified.";
constexpr const char* kPathNotFound = "The system cannot find the path specified.";
constexpr const char* kAlreadyExists = "Cannot create a file when that file already exists.";
constexpr const char* kFileExists = "The file exists.";
constexpr const char* kAccessDenied = "Access is denied.";
constexpr const char* kNotEmpty = "The directory is not empty.";

bool Under(const std::string& key, const std::string& folder) {
    return key.size() > folder.size() + 1 && key.compare(0, folder.size(), folder) == 0 && key[folder.size()] == '\\';
}

}  // namespace

DropFakeFileSystem::DropFakeFileSystem() {
    for (const char* drive : {"C:", "D:"}) {
        nodes_[Key(drive)] = Node{true, {}, platform::kAttrDirectory};
        spelling_[Key(drive)] = drive;
    }
}

std::string DropFakeFileSystem::Key(std::string_view path) {
    std::string key(path);
    while (key.size() > 1 && key.back() == '\\') key.pop_back();
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

std::string DropFakeFileSystem::Parent(const std::string& key) {
    const std::size_t slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

std::string DropFakeFileSystem::Resolve(std::string_view path) const {
    std::string key = Key(path);
    for (const auto& [link, target] : links_) {
        if (key == link) return target;
        if (Under(key, link)) return target + key.substr(link.size());
    }
    return key;
}

void DropFakeFileSystem::AddFolder(const std::string& path, std::uint32_t attributes) {
    const std::string key = Key(path);
    if (nodes_.count(key)) return;
    const std::size_t slash = path.rfind('\\');
    if (slash != std::string::npos) AddFolder(path.substr(0, slash));
    nodes_[key] = Node{true, {}, attributes | platform::kAttrDirectory};
    spelling_[key] = path;
}

void DropFakeFileSystem::AddFile(const std::string& path, const std::string& content, std::uint32_t attributes) {
    AddFolder(path.substr(0, path.rfind('\\')));
    nodes_[Key(path)] = Node{false, content, attributes};
    spelling_[Key(path)] = path;
}

void DropFakeFileSystem::AddFolderLink(const std::string& path, const std::string& target) {
    AddFolder(path.substr(0, path.rfind('\\')));
    nodes_[Key(path)] = Node{true, {}, platform::kAttrDirectory | platform::kAttrReparsePoint};
    spelling_[Key(path)] = path;
    links_[Key(path)] = Key(target);
}

std::optional<DropFakeFileSystem::Node> DropFakeFileSystem::At(const std::string& path) const {
    const std::string key = Key(path);
    auto own = nodes_.find(key);
    if (own != nodes_.end()) return own->second;
    auto it = nodes_.find(Resolve(path));
    if (it == nodes_.end()) return std::nullopt;
    return it->second;
}

std::string DropFakeFileSystem::Content(const std::string& path) const {
    auto node = At(path);
    return node ? node->content : std::string("<missing>");
}

std::vector<std::string> DropFakeFileSystem::Tree(const std::string& folder) const {
    const std::string root = Key(folder);
    std::vector<std::string> out;
    for (const auto& [key, node] : nodes_) {
        if (!Under(key, root)) continue;
        std::string rel = spelling_.at(key).substr(spelling_.at(root).size() + 1);
        if (node.folder) rel += '/';
        out.push_back(rel);
    }
    std::sort(out.begin(), out.end());
    return out;
}

FileResult DropFakeFileSystem::GetAttributes(std::string_view path, std::uint32_t& attributes) {
    auto node = At(std::string(path));
    if (!node) return FileResult::Fail(kNotFound);
    attributes = node->attributes;
    return FileResult::Ok();
}

bool DropFakeFileSystem::Exists(std::string_view path) { return At(std::string(path)).has_value(); }

bool DropFakeFileSystem::FileExists(std::string_view path) {
    auto node = At(std::string(path));
    return node && !node->folder;
}

bool DropFakeFileSystem::SameItem(std::string_view a, std::string_view b) {
    return Exists(a) && Exists(b) && Resolve(a) == Resolve(b);
}

std::string DropFakeFileSystem::VolumeRoot(std::string_view path) { return std::string(path.substr(0, 2)) + "\\"; }

FileResult DropFakeFileSystem::ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) {
    const std::string key = Resolve(path);
    auto it = nodes_.find(key);
    if (it == nodes_.end()) return FileResult::Fail(kPathNotFound);
    if (!it->second.folder) return FileResult::Fail("The directory name is invalid.");
    entries.clear();
    for (const auto& [k, node] : nodes_) {
        if (Parent(k) != key) continue;
        const std::string& spelt = spelling_.at(k);
        entries.push_back({spelt.substr(spelt.rfind('\\') + 1), node.attributes});
    }
    // Not in name order, like a real directory listing may be.
    std::reverse(entries.begin(), entries.end());
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::CreateFolder(std::string_view path, std::string_view like) {
    const std::string key = Resolve(path);
    if (nodes_.count(key)) return FileResult::Fail(kAlreadyExists);
    auto parent = nodes_.find(Parent(key));
    if (parent == nodes_.end() || !parent->second.folder) return FileResult::Fail(kPathNotFound);
    std::uint32_t attributes = platform::kAttrDirectory;
    if (!like.empty()) {
        if (auto model = At(std::string(like))) attributes |= model->attributes & ~platform::kAttrReparsePoint;
    }
    nodes_[key] = Node{true, {}, attributes};
    spelling_[key] = spelling_.at(Parent(key)) + "\\" + std::string(path.substr(path.rfind('\\') + 1));
    log.push_back("mkdir " + std::string(path));
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::CopyFileTo(std::string_view from, std::string_view to, bool replace,
                                        platform::CopyProgress* progress) {
    for (const auto& [bad, error] : failCopyFrom) {
        if (Key(bad) == Key(from)) return FileResult::Fail(error);
    }
    auto source = nodes_.find(Resolve(from));
    if (source == nodes_.end()) return FileResult::Fail(kNotFound);
    if (source->second.folder) return FileResult::Fail(kAccessDenied);
    const std::string key = Resolve(to);
    auto target = nodes_.find(key);
    if (target != nodes_.end()) {
        if (target->second.folder) return FileResult::Fail(kAccessDenied);
        if (!replace) return FileResult::Fail(kFileExists);
        if (target->second.attributes & (platform::kAttrReadOnly | platform::kAttrHidden)) {
            return FileResult::Fail(kAccessDenied);
        }
    }
    auto parent = nodes_.find(Parent(key));
    if (parent == nodes_.end() || !parent->second.folder) return FileResult::Fail(kPathNotFound);
    const Node copy = source->second;
    if (progress) progress->Bytes(copy.content.size(), copy.content.size());
    nodes_[key] = copy;
    spelling_[key] = spelling_.at(Parent(key)) + "\\" + std::string(to.substr(to.rfind('\\') + 1));
    log.push_back("copy " + std::string(from) + " -> " + std::string(to));
    if (afterCopy) afterCopy(std::string(to));
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::Rename(std::string_view from, std::string_view to) {
    for (const auto& [bad, error] : failRename) {
        if (Key(bad) == Key(from)) return FileResult::Fail(error);
    }
    if (VolumeRoot(from) != VolumeRoot(to)) return {FileResult::Status::OtherVolume, "other volume"};
    const std::string source = Key(from);
    const std::string target = Key(to);
    if (!nodes_.count(source)) return FileResult::Fail(kNotFound);
    if (nodes_.count(target)) return FileResult::Fail(kAlreadyExists);
    if (!nodes_.count(Parent(target))) return FileResult::Fail(kPathNotFound);
    std::vector<std::string> moving;
    for (const auto& [k, node] : nodes_) {
        if (k == source || Under(k, source)) moving.push_back(k);
    }
    const std::string newName = std::string(to.substr(to.rfind('\\') + 1));
    for (const std::string& k : moving) {
        const std::string nk = target + k.substr(source.size());
        nodes_[nk] = nodes_[k];
        const std::string& spelt = spelling_[k];
        spelling_[nk] = spelling_.at(Parent(target)) + "\\" + newName + spelt.substr(spelling_[source].size());
    }
    for (const std::string& k : moving) {
        nodes_.erase(k);
        spelling_.erase(k);
    }
    log.push_back("rename " + std::string(from) + " -> " + std::string(to));
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::DeleteFileAt(std::string_view path) {
    for (const auto& [bad, error] : failDelete) {
        if (Key(bad) == Key(path)) return FileResult::Fail(error);
    }
    const std::string key = Key(path);
    auto it = nodes_.find(key);
    if (it == nodes_.end()) return FileResult::Fail(kNotFound);
    if (it->second.folder) return FileResult::Fail(kAccessDenied);
    nodes_.erase(it);
    spelling_.erase(key);
    log.push_back("delete " + std::string(path));
    return FileResult::Ok();
}

FileResult DropFakeFileSystem::RemoveFolder(std::string_view path) {
    for (const auto& [bad, error] : failDelete) {
        if (Key(bad) == Key(path)) return FileResult::Fail(error);
    }
    const std::string key = Key(path);
    auto it = nodes_.find(key);
    if (it == nodes_.end()) return FileResult::Fail(kNotFound);
    if (!it->second.folder) return FileResult::Fail("The directory name is invalid.");
    if (!links_.count(key)) {
        for (const auto& [k, node] : nodes_) {
            if (Parent(k) == key) return FileResult::Fail(kNotEmpty);
        }
    }
    links_.erase(key);
    nodes_.erase(it);
    spelling_.erase(key);
    log.push_back("rmdir " + std::string(path));
    return FileResult::Ok();
}

int DropFakeMessageBoxes::MsgBox(std::string_view prompt, int style, std::string_view title) {
    Box box{std::string(prompt), style, std::string(title)};
    shown.push_back(box);
    if (onShow) onShow(box);
    if ((style & 0xF) == platform::kMsgBoxYesNo) {
        return next_ < answers.size() ? answers[next_++] : platform::kMsgBoxYes;
    }
    return platform::kMsgBoxOk;
}

namespace {

class FakeShortcutShell final : public platform::ShortcutShell {
public:
    FakeShortcutShell(DropFakeFileSystem& fs, std::vector<std::string>& saved) : fs_(fs), saved_(saved) {}
    FileResult SaveShortcut(std::string_view path, std::string_view target) override {
        const std::string p(path);
        auto existing = fs_.At(p);
        if (existing && existing->folder) return FileResult::Fail(kAccessDenied);
        if (existing && (existing->attributes & platform::kAttrReadOnly)) return FileResult::Fail(kAccessDenied);
        const std::string parent = p.substr(0, p.rfind('\\'));
        auto folder = fs_.At(parent);
        if (!folder || !folder->folder) return FileResult::Fail(kPathNotFound);
        fs_.AddFile(p, "link:" + std::string(target), existing ? existing->attributes : 0);
        saved_.push_back(p);
        return FileResult::Ok();
    }

private:
    DropFakeFileSystem& fs_;
    std::vector<std::string>& saved_;
};

class FakeProgress final : public platform::TransferProgress {
public:
    explicit FakeProgress(DropFakeProgressWindows& owner) : owner_(owner) {}
    void Bytes(std::uint64_t, std::uint64_t) override {}
    void Item(std::string_view from, std::string_view to) override {
        owner_.items.push_back(std::string(from) + " -> " + std::string(to));
    }
    bool Cancelled() override {
        const auto announced = static_cast<int>(owner_.items.size());
        return owner_.cancelled || (owner_.cancelAfterItems >= 0 && announced >= owner_.cancelAfterItems);
    }
    void Answered() override { ++owner_.answered; }

private:
    DropFakeProgressWindows& owner_;
};

}  // namespace

std::unique_ptr<platform::ShortcutShell> DropFakeShellLinks::CreateShell(std::string& error) {
    if (unavailable) {
        error = "Class not registered";
        return nullptr;
    }
    ++shellsCreated;
    return std::make_unique<FakeShortcutShell>(fs_, saved);
}

std::unique_ptr<platform::TransferProgress> DropFakeProgressWindows::Begin(platform::TransferKind kind) {
    ++begun;
    lastKind = kind;
    return std::make_unique<FakeProgress>(*this);
}

}  // namespace lumbra::fakes
