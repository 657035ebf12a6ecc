#include "tests/fakes/MenuFakes.h"

namespace lumbra::fakes {
namespace {

// One object plays every part of the automation objects: the Shell object, a folder, an item (whose
// verbs are the shell's), a verb. Each records what it was asked.
struct FakeAutomation final : platform::ShellDispatch, platform::ShellNameSpace, platform::ShellFolderItem,
                              platform::ShellVerb {
    FakeAutomation(FakeShell& s, std::string item, std::string verbName = "", std::int32_t number = -1)
        : shell(s), name(std::move(item)), verb(std::move(verbName)), folder(number) {}
    void Note(const std::string& what) { shell.done.push_back(what); }
    void MinimizeAll() override { Note("MinimizeAll"); }
    void UndoMinimizeALL() override { Note("UndoMinimizeALL"); }
    std::unique_ptr<platform::ShellNameSpace> NameSpace(std::int32_t number) override {
        Note("NameSpace " + std::to_string(number));
        return shell.nameSpaces.count(number) ? std::make_unique<FakeAutomation>(shell, "", "", number) : nullptr;
    }
    std::unique_ptr<platform::ShellFolderItem> ParseName(std::string_view item) override {
        Note("ParseName " + std::string(item));
        if (!shell.nameSpaces.at(folder).first.count(std::string(item))) return nullptr;
        return std::make_unique<FakeAutomation>(shell, std::string(item));
    }
    std::unique_ptr<platform::ShellFolderItem> OwnItem() override {
        const std::string& own = shell.nameSpaces.at(folder).second;
        return own.empty() ? nullptr : std::make_unique<FakeAutomation>(shell, own);
    }
    std::vector<std::unique_ptr<platform::ShellVerb>> Verbs() override {
        std::vector<std::unique_ptr<platform::ShellVerb>> verbs;
        for (const std::string& v : shell.verbs) verbs.push_back(std::make_unique<FakeAutomation>(shell, name, v));
        return verbs;
    }
    bool InvokeVerb(std::string_view canonical) override {
        Note("InvokeVerb " + name + " " + std::string(canonical));
        return true;
    }
    std::string Name() override { return verb; }
    void DoIt() override { Note("DoIt " + name + " " + verb); }
    FakeShell& shell;
    std::string name, verb;
    std::int32_t folder;
};

}  // namespace

std::int32_t FakePopupMenu::ShowAt(std::int32_t x, std::int32_t y, std::int32_t alignment, std::int32_t excludeWidth,
                                   std::int32_t excludeHeight, std::int32_t reserved, std::int32_t defaultItem) {
    showings.push_back({x, y, {alignment, excludeWidth, excludeHeight, reserved, defaultItem}, anchor, tree_.Items()});
    const std::int32_t chosen = choose ? choose() : 0;
    const platform::MenuItem* item = tree_.Item(chosen);
    // Like the real menu: headings, sub-menu parents and greyed items cannot be chosen.
    if (item == nullptr || !item->enabled || item->caption.starts_with("-") || tree_.HasChildren(chosen)) return 0;
    events_.objPMn_Click(chosen);
    return chosen;
}

std::unique_ptr<platform::ShellDispatch> FakeShell::CreateShellDispatch() {
    return dispatchAvailable ? std::make_unique<FakeAutomation>(*this, "Shell") : nullptr;
}

}  // namespace lumbra::fakes
