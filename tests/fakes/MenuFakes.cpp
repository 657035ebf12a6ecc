#include "tests/fakes/MenuFakes.h"

namespace lumbra::fakes {

platform::PictureRef MakeMenuPicture(std::string what, int width, int height) {
    return std::make_shared<MenuPicture>(std::move(what), width, height);
}

std::string PictureName(const platform::PictureRef& picture) {
    const auto* fake = dynamic_cast<const MenuPicture*>(picture.get());
    return fake ? fake->What() : "?";
}

// ---- the component --------------------------------------------------------------------------

void FakePopupMenu::SetImageSource(platform::ImageList& images) {
    images_ = &images;
    Log("SetImageSource");
}

void FakePopupMenu::SetOwnerWindow(std::uintptr_t window) {
    owner_ = window;
    Log("SetOwnerWindow");
}

std::int32_t FakePopupMenu::AppendItem(std::string_view caption, std::string_view helpText, std::int32_t itemData,
                                       std::int32_t parent, std::int32_t image, bool checked, bool enabled,
                                       std::string_view key) {
    Log("AppendItem " + std::string(key));
    return tree_.Append(caption, helpText, itemData, parent, image, checked, enabled, key);
}

void FakePopupMenu::SaveItems(std::string_view name) {
    tree_.Save(name);
    saved_.emplace_back(name);
    Log("SaveItems " + std::string(name));
}

void FakePopupMenu::ResetItems() {
    tree_.Reset();
    Log("ResetItems");
}

void FakePopupMenu::LoadSavedItems(std::string_view name) {
    tree_.Load(name);
    Log("LoadSavedItems " + std::string(name));
}

void FakePopupMenu::SetItemEnabled(std::int32_t index, bool enabled) {
    if (platform::MenuItem* item = tree_.Item(index)) item->enabled = enabled;
    Log("SetItemEnabled " + std::to_string(index));
}

void FakePopupMenu::SetItemIcon(std::int32_t index, std::int32_t image) {
    if (platform::MenuItem* item = tree_.Item(index)) item->image = image;
    Log("SetItemIcon " + std::to_string(index));
}

std::int32_t FakePopupMenu::ShowAt(std::int32_t x, std::int32_t y, std::int32_t alignment, std::int32_t excludeWidth,
                                   std::int32_t excludeHeight, std::int32_t reserved, std::int32_t defaultItem) {
    Showing showing;
    showing.x = x;
    showing.y = y;
    showing.rest = {alignment, excludeWidth, excludeHeight, reserved, defaultItem};
    showing.anchor = anchor_;
    showing.items = tree_.Items();
    showing.imageCount = images_ ? images_->Count() : -1;
    showings_.push_back(std::move(showing));
    Log("ShowAt");
    const std::int32_t chosen = choose ? choose(*this) : 0;
    const platform::MenuItem* item = tree_.Item(chosen);
    // Like the real menu: headings and sub-menu parents cannot be chosen, greyed items neither.
    if (item == nullptr || !item->enabled || item->caption.starts_with("-") || tree_.HasChildren(chosen)) return 0;
    events_.objPMn_Click(chosen);
    return chosen;
}

std::unique_ptr<platform::PopupMenu> FakePopupMenuFactory::CreatePopupMenu(platform::PopupMenuEvents& events) {
    if (log_) log_->Add("CreatePopupMenu");
    auto menu = std::make_unique<FakePopupMenu>(events, log_);
    last_ = menu.get();
    ++created_;
    return menu;
}

// ---- the image list -------------------------------------------------------------------------

FakeImageList::FakeImageList(CallLog* log) : log_(log) {
    images_.push_back({MakeMenuPicture("design:display properties"), ""});
}

void FakeImageList::Add(const platform::PictureRef& picture, std::string_view key) {
    images_.push_back({picture, std::string(key)});
    if (log_) log_->Add("ImageList.Add " + PictureName(picture) + (key.empty() ? "" : " key=" + std::string(key)));
}

std::int32_t FakeImageList::PositionOfKey(std::string_view key) const {
    for (std::size_t i = 0; i < images_.size(); ++i) {
        if (!key.empty() && images_[i].key == key) return static_cast<std::int32_t>(i + 1);
    }
    return 0;
}

void FakeImageList::Remove(std::int32_t position) {
    if (position < 1 || position > Count()) return;
    images_.erase(images_.begin() + (position - 1));
    if (log_) log_->Add("ImageList.Remove " + std::to_string(position));
}

platform::PictureRef FakeImageList::Picture(std::int32_t position) const {
    if (position < 1 || position > Count()) return nullptr;
    return images_[static_cast<std::size_t>(position - 1)].picture;
}

std::string FakeImageList::KeyAt(std::int32_t position) const {
    if (position < 1 || position > Count()) return "";
    return images_[static_cast<std::size_t>(position - 1)].key;
}

// ---- icons ----------------------------------------------------------------------------------

platform::ExtractedIcon FakeIconSource::ExtractFileIcon(std::string_view file, std::int32_t index) {
    ++extractions_;
    Log("ExtractIcon " + std::string(file) + "," + std::to_string(index));
    platform::ExtractedIcon result;
    auto found = files.find({std::string(file), index});
    if (found == files.end()) return result;
    result.count = found->second.count;
    if (found->second.smallHandle) {
        result.small = std::make_unique<MenuIcon>("file:" + std::string(file) + "," + std::to_string(index));
    }
    return result;
}

platform::IconPtr FakeIconSource::AssociatedIcon(std::string_view path) {
    Log("ExtractAssociatedIcon " + std::string(path));
    if (!associated.count(std::string(path))) return nullptr;
    return std::make_unique<MenuIcon>("associated:" + std::string(path));
}

platform::IconPtr FakeIconSource::ShellSmallIcon(std::string_view path) {
    Log("ShellSmallIcon " + std::string(path));
    if (!shellIcons.count(std::string(path))) return nullptr;
    return std::make_unique<MenuIcon>("shell:" + std::string(path));
}

platform::IconPtr FakeIconSource::Stock(platform::StockIcon which) {
    static const char* const names[] = {"MyComputer", "Network", "MyDocuments", "Internet", "RecycleBinEmpty",
                                        "RecycleBinFull"};
    const std::string name = names[static_cast<int>(which)];
    Log("Stock " + name);
    if (!stockAvailable) return nullptr;
    return std::make_unique<MenuIcon>("stock:" + name);
}

platform::PictureRef FakeIconSource::ResourceIcon(int id) {
    Log("ResourceIcon " + std::to_string(id));
    return MakeMenuPicture("icon:" + std::to_string(id), 32, 32);
}

platform::PictureRef FakeIconSource::ResourceBitmap(int id) {
    Log("ResourceBitmap " + std::to_string(id));
    return MakeMenuPicture("bitmap:" + std::to_string(id));
}

void FakeIconCanvas::DrawIcon(const platform::Icon& icon) {
    const auto* fake = dynamic_cast<const MenuIcon*>(&icon);
    drawn_.push_back(fake ? fake->What() : "?");
    ++draws_;
    if (log_) log_->Add("Draw " + drawn_.back());
}

platform::PictureRef FakeIconCanvas::Picture() {
    std::string what;
    for (const std::string& d : drawn_) what += (what.empty() ? "" : "+") + d;
    return MakeMenuPicture(what);
}

void FakeIconCanvas::Clear() {
    drawn_.clear();
    if (log_) log_->Add("Clear");
}

// ---- the lister -----------------------------------------------------------------------------

namespace {
std::string Join(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& p : parts) text += (text.empty() ? "" : "\r\n") + p;
    return text;
}
}  // namespace

std::string FakeFileLister::ListFiles(std::string_view folder, std::string_view filter) {
    fileQueries.emplace_back(folder, filter);
    auto found = files.find(std::string(folder));
    return found == files.end() ? "" : Join(found->second);
}

std::string FakeFileLister::ListFolders(std::string_view folder) {
    auto found = folders.find(std::string(folder));
    return found == folders.end() ? "" : Join(found->second);
}

// ---- the shell ------------------------------------------------------------------------------

namespace {

class FakeFolderItem final : public platform::ShellFolderItem {
public:
    FakeFolderItem(FakeShell& shell, std::string name) : shell_(shell), name_(std::move(name)) {}
    std::vector<std::unique_ptr<platform::ShellVerb>> Verbs() override {
        std::vector<std::unique_ptr<platform::ShellVerb>> verbs;
        for (const std::string& verb : shell_.verbs) {
            verbs.push_back(std::make_unique<FakeShellVerb>(
                verb, [this, verb] { shell_.automation.push_back("DoIt " + name_ + " " + verb); }));
        }
        return verbs;
    }
    bool InvokeVerb(std::string_view canonicalName) override {
        shell_.automation.push_back("InvokeVerb " + name_ + " " + std::string(canonicalName));
        return true;
    }

private:
    FakeShell& shell_;
    std::string name_;
};

class FakeFolder final : public platform::ShellNameSpace {
public:
    FakeFolder(FakeShell& shell, std::int32_t number) : shell_(shell), number_(number) {}
    std::unique_ptr<platform::ShellFolderItem> ParseName(std::string_view name) override {
        shell_.automation.push_back("ParseName " + std::to_string(number_) + " " + std::string(name));
        const FakeShell::Folder& folder = shell_.nameSpaces.at(number_);
        if (!folder.items.count(std::string(name))) return nullptr;
        return std::make_unique<FakeFolderItem>(shell_, std::string(name));
    }
    std::unique_ptr<platform::ShellFolderItem> OwnItem() override {
        shell_.automation.push_back("OwnItem " + std::to_string(number_));
        const FakeShell::Folder& folder = shell_.nameSpaces.at(number_);
        if (folder.ownItem.empty()) return nullptr;
        return std::make_unique<FakeFolderItem>(shell_, folder.ownItem);
    }

private:
    FakeShell& shell_;
    std::int32_t number_;
};

class FakeDispatch final : public platform::ShellDispatch {
public:
    explicit FakeDispatch(FakeShell& shell) : shell_(shell) { ++shell_.dispatchesAlive; }
    ~FakeDispatch() override { --shell_.dispatchesAlive; }
    void MinimizeAll() override { shell_.automation.push_back("MinimizeAll"); }
    void UndoMinimizeALL() override { shell_.automation.push_back("UndoMinimizeALL"); }
    std::unique_ptr<platform::ShellNameSpace> NameSpace(std::int32_t folder) override {
        shell_.automation.push_back("NameSpace " + std::to_string(folder));
        if (!shell_.nameSpaces.count(folder)) return nullptr;
        return std::make_unique<FakeFolder>(shell_, folder);
    }

private:
    FakeShell& shell_;
};

}  // namespace

bool FakeShell::StartProcess(std::string_view commandLine, std::int32_t show) {
    started.push_back({std::string(commandLine), show});
    return true;
}

std::unique_ptr<platform::ShellDispatch> FakeShell::CreateShellDispatch() {
    if (!dispatchAvailable) return nullptr;
    return std::make_unique<FakeDispatch>(*this);
}

bool FakeShell::QueryRecycleBin(std::string_view root, platform::RecycleBinInfo& info) {
    binQueries.emplace_back(root);
    auto found = bins.find(std::string(root));
    if (found == bins.end()) return false;
    info = found->second;
    return true;
}

void FakeShell::EmptyRecycleBin(std::uintptr_t owner, std::string_view root, std::uint32_t flags) {
    emptied.push_back(std::string(root) + (flags ? " flags=" + std::to_string(flags) : ""));
    emptiedOwner = owner;
}

platform::DriveType FakeShell::GetDriveType(std::string_view root) {
    auto found = drives.find(std::string(root));
    return found == drives.end() ? platform::DriveType::NoRootDir : found->second;
}

std::optional<std::int64_t> FakeShell::LastWriteTime(std::string_view path) {
    auto found = writeTimes.find(std::string(path));
    if (found == writeTimes.end()) return std::nullopt;
    return found->second;
}

}  // namespace lumbra::fakes
