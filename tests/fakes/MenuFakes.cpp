#include "tests/fakes/MenuFakes.h"

#include "fakes/CallLog.h"

namespace lumbra::fakes {
namespace {

// The automation objects: every item offers the shell's verbs, each recording what it ran.
struct FakeVerb final : platform::ShellVerb {
    FakeVerb(FakeShell& s, std::string item, std::string name) : shell(s), item(item), name(name) {}
    std::string Name() override { return name; }
    void DoIt() override { shell.automation.push_back("DoIt " + item + " " + name); }
    FakeShell& shell;
    std::string item, name;
};

struct FakeFolderItem final : platform::ShellFolderItem {
    FakeFolderItem(FakeShell& s, std::string n) : shell(s), name(std::move(n)) {}
    std::vector<std::unique_ptr<platform::ShellVerb>> Verbs() override {
        std::vector<std::unique_ptr<platform::ShellVerb>> verbs;
        for (const std::string& verb : shell.verbs) verbs.push_back(std::make_unique<FakeVerb>(shell, name, verb));
        return verbs;
    }
    bool InvokeVerb(std::string_view verb) override {
        shell.automation.push_back("InvokeVerb " + name + " " + std::string(verb));
        return true;
    }
    FakeShell& shell;
    std::string name;
};

struct FakeFolder final : platform::ShellNameSpace {
    FakeFolder(FakeShell& s, std::int32_t n) : shell(s), number(n) {}
    std::unique_ptr<platform::ShellFolderItem> ParseName(std::string_view name) override {
        shell.automation.push_back("ParseName " + std::string(name));
        if (!shell.nameSpaces.at(number).first.count(std::string(name))) return nullptr;
        return std::make_unique<FakeFolderItem>(shell, std::string(name));
    }
    std::unique_ptr<platform::ShellFolderItem> OwnItem() override {
        const std::string& own = shell.nameSpaces.at(number).second;
        return own.empty() ? nullptr : std::make_unique<FakeFolderItem>(shell, own);
    }
    FakeShell& shell;
    std::int32_t number;
};

struct FakeDispatch final : platform::ShellDispatch {
    explicit FakeDispatch(FakeShell& s) : shell(s) { ++shell.dispatchesAlive; }
    ~FakeDispatch() override { --shell.dispatchesAlive; }
    void MinimizeAll() override { shell.automation.push_back("MinimizeAll"); }
    void UndoMinimizeALL() override { shell.automation.push_back("UndoMinimizeALL"); }
    std::unique_ptr<platform::ShellNameSpace> NameSpace(std::int32_t folder) override {
        shell.automation.push_back("NameSpace " + std::to_string(folder));
        return shell.nameSpaces.count(folder) ? std::make_unique<FakeFolder>(shell, folder) : nullptr;
    }
    FakeShell& shell;
};

}  // namespace

std::string PictureName(const platform::PictureRef& picture) {
    const auto* fake = dynamic_cast<const MenuPicture*>(picture.get());
    return fake ? fake->what : "?";
}

std::int32_t FakePopupMenu::ShowAt(std::int32_t x, std::int32_t y, std::int32_t alignment, std::int32_t excludeWidth,
                                   std::int32_t excludeHeight, std::int32_t reserved, std::int32_t defaultItem) {
    showings.push_back({x, y, {alignment, excludeWidth, excludeHeight, reserved, defaultItem}, anchor, tree.Items()});
    const std::int32_t chosen = choose ? choose() : 0;
    const platform::MenuItem* item = tree.Item(chosen);
    // Like the real menu: headings, sub-menu parents and greyed items cannot be chosen.
    if (item == nullptr || !item->enabled || item->caption.starts_with("-") || tree.HasChildren(chosen)) return 0;
    events_.objPMn_Click(chosen);
    return chosen;
}

std::int32_t FakeImageList::PositionOfKey(std::string_view key) const {
    for (std::size_t i = 0; i < images_.size(); ++i) {
        if (!key.empty() && images_[i].second == key) return static_cast<std::int32_t>(i + 1);
    }
    return 0;
}

platform::ExtractedIcon FakeIconSource::ExtractFileIcon(std::string_view file, std::int32_t index) {
    ++extractions;
    platform::ExtractedIcon result;
    if (!files.count({std::string(file), index})) return result;
    const auto [count, handle] = files.at({std::string(file), index});
    result.count = count;
    if (handle) result.small = std::make_unique<MenuIcon>("file:" + std::string(file) + "," + std::to_string(index));
    return result;
}

int FakeFileLister::CompareNames(std::string_view a, std::string_view b) { return FoldCase(a).compare(FoldCase(b)); }

std::unique_ptr<platform::ShellDispatch> FakeShell::CreateShellDispatch() {
    return dispatchAvailable ? std::make_unique<FakeDispatch>(*this) : nullptr;
}

bool FakeShell::QueryRecycleBin(std::string_view root, platform::RecycleBinInfo& info) {
    binQueries.emplace_back(root);
    if (!bins.count(std::string(root))) return false;
    info = bins.at(std::string(root));
    return true;
}

}  // namespace lumbra::fakes
