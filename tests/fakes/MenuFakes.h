#pragma once
// In-memory stand-ins for the popup menu's platform, one per interface, and MenuWorld, which
// wires them into the menu's services.
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/CallLog.h"
#include "fakes/DropFakes.h"
#include "fakes/HostCodePage932.h"
#include "fakes/WallpaperFakes.h"
#include "menu/ShellMenu.h"
#include "platform/MenuTree.h"

namespace lumbra::fakes {

// A picture or an icon that says what it shows.
struct MenuPicture final : platform::Picture {
    explicit MenuPicture(std::string shows) : what(std::move(shows)) {}
    int PixelWidth() const override { return 16; }
    int PixelHeight() const override { return 16; }
    std::string what;
};
struct MenuIcon final : platform::Icon {
    explicit MenuIcon(std::string shows) : what(std::move(shows)) {}
    std::string what;
};
// What a picture shows; "?" for one the fakes did not make.
inline std::string PictureName(const platform::PictureRef& picture) {
    const auto* fake = dynamic_cast<const MenuPicture*>(picture.get());
    return fake ? fake->what : "?";
}

// The component: the shared item tree, a copy of it at every showing, and the user's choice.
class FakePopupMenu final : public platform::TreePopupMenu {
public:
    explicit FakePopupMenu(platform::PopupMenuEvents& events) : events_(events) {}
    struct Showing {  // the point, the other arguments (alignment .. defaultItem), the anchor and the items
        std::int32_t x, y;
        std::vector<std::int32_t> rest;
        platform::MenuAnchor anchor;
        std::vector<platform::MenuItem> items;
    };
    void SetImageSource(platform::ImageList& list) override { images = &list; }
    void SetOwnerWindow(std::uintptr_t window) override { owner = window; }
    std::int32_t ShowAt(std::int32_t x, std::int32_t y, std::int32_t alignment, std::int32_t excludeWidth,
                        std::int32_t excludeHeight, std::int32_t reserved, std::int32_t defaultItem) override;
    void SetAnchor(platform::MenuAnchor value) override { anchor = value; }

    platform::ImageList* images = nullptr;
    std::uintptr_t owner = 0;
    platform::MenuAnchor anchor = platform::MenuAnchor::Pointer;
    std::vector<Showing> showings;
    std::function<std::int32_t()> choose;  // the user's pick when the menu shows; 0 for none

private:
    platform::PopupMenuEvents& events_;
};

struct FakePopupMenuFactory final : platform::PopupMenuFactory {
    std::unique_ptr<platform::PopupMenu> CreatePopupMenu(platform::PopupMenuEvents& events) override {
        auto menu = std::make_unique<FakePopupMenu>(events);
        last = menu.get();
        return menu;
    }
    FakePopupMenu* last = nullptr;  // owned by whoever asked for it
};

class FakeImageList final : public platform::ImageList {
public:
    FakeImageList() { Add(std::make_shared<MenuPicture>("design"), ""); }
    std::int32_t Count() const override { return static_cast<std::int32_t>(images_.size()); }
    void Add(const platform::PictureRef& picture, std::string_view key) override { images_.emplace_back(picture, key); }
    std::int32_t PositionOfKey(std::string_view key) const override {
        auto found = std::find_if(images_.begin(), images_.end(), [&](const auto& i) { return !key.empty() && i.second == key; });
        return found == images_.end() ? 0 : static_cast<std::int32_t>(found - images_.begin() + 1);
    }
    void Remove(std::int32_t position) override {
        if (position >= 1 && position <= Count()) images_.erase(images_.begin() + (position - 1));
    }
    platform::PictureRef Picture(std::int32_t position) const override { return images_.at(position - 1).first; }
    std::string NameAt(std::int32_t position) const { return PictureName(Picture(position)); }

private:
    std::vector<std::pair<platform::PictureRef, std::string>> images_;
};

struct FakeIconSource final : platform::IconSource {
    // (file, index) -> (count reported, a handle comes back): a handle may come beside a count of 0.
    std::map<std::pair<std::string, std::int32_t>, std::pair<std::uint32_t, bool>> files;
    std::set<std::string> associated, shellIcons;  // paths with such an icon
    bool stockAvailable = true;
    int extractions = 0;  // file, associated and shell icons asked for

    platform::ExtractedIcon ExtractFileIcon(std::string_view file, std::int32_t index) override {
        ++extractions;
        if (!files.count({std::string(file), index})) return {};
        const auto [count, handle] = files.at({std::string(file), index});
        return {count, handle ? std::make_unique<MenuIcon>("file:" + std::string(file) + "," + std::to_string(index)) : nullptr};
    }
    platform::IconPtr AssociatedIcon(std::string_view path) override { return Known(associated, "associated:", path); }
    // From the name and attributes alone there is always the type's icon: "type:<attributes>".
    platform::IconPtr ShellIcon(std::string_view path, std::optional<std::uint32_t> attributesOnly) override {
        if (!attributesOnly) return Known(shellIcons, "shell:", path);
        ++extractions;
        return std::make_unique<MenuIcon>("type:" + std::to_string(*attributesOnly));
    }
    platform::IconPtr Stock(platform::StockIcon which) override {
        return stockAvailable ? std::make_unique<MenuIcon>("stock:" + std::to_string(static_cast<int>(which))) : nullptr;
    }
    platform::PictureRef ResourceIcon(int id) override { return std::make_shared<MenuPicture>("icon:" + std::to_string(id)); }
    platform::PictureRef ResourceBitmap(int id) override { return std::make_shared<MenuPicture>("bitmap:" + std::to_string(id)); }
    platform::IconPtr Known(const std::set<std::string>& paths, const std::string& kind, std::string_view path) {
        ++extractions;
        return paths.count(std::string(path)) ? std::make_unique<MenuIcon>(kind + std::string(path)) : nullptr;
    }
};

// picIcon: the drawn icons joined by "+", "" when empty.
struct FakeIconCanvas final : platform::IconCanvas {
    void DrawIcon(const platform::Icon& icon) override {
        drawn += (drawn.empty() ? "" : "+") + dynamic_cast<const MenuIcon&>(icon).what;
    }
    platform::PictureRef Picture() override { return std::make_shared<MenuPicture>(drawn); }
    void Clear() override { drawn.clear(); }
    std::string drawn;
};

// Names compare without regard to ASCII case, unlike plain byte order.
struct FakeFileLister final : platform::FileLister {
    std::map<std::string, platform::FolderListing> folders;
    // An entry in the folder its path names.
    platform::ListedEntry& Add(const std::string& path, std::uint32_t attributes = 0, std::int64_t written = 0) {
        return folders[path.substr(0, path.rfind('\\'))].entries.emplace_back(platform::ListedEntry{path, attributes, written});
    }
    platform::FolderListing List(std::string_view folder) override {
        return folders.count(std::string(folder)) ? folders.at(std::string(folder)) : platform::FolderListing{};
    }
    int CompareNames(std::string_view a, std::string_view b) override { return FoldCase(a).compare(FoldCase(b)); }
};

// The shell: processes, automation objects, recycle bins, drives, files. What it was asked to do
// goes to `done`: "start <command line>", "empty <owner> <root> <flags>", "menu <owner> <path> <x>,<y>",
// and the automation objects' "MinimizeAll", "NameSpace 10", "ParseName <name>", "DoIt <item> <verb>", ...
struct FakeShell final : platform::Shell {
    std::vector<std::string> done, binQueries;
    bool dispatchAvailable = true;
    // Shell folders by number: the names of their items, and the folder's own item.
    std::map<std::int32_t, std::pair<std::set<std::string>, std::string>> nameSpaces;
    std::vector<std::string> verbs = {"開く(&O)", "プロパティ(&R)"};  // of every item
    std::map<std::string, platform::RecycleBinInfo> bins;          // by root; a root without one fails
    std::map<std::string, platform::DriveType> drives;             // other roots: no such drive
    std::set<std::string> existing;
    platform::WindowsVersion version{10, 0};

    bool StartProcess(std::string_view commandLine, std::int32_t show) override {
        done.push_back("start " + std::string(commandLine) + (show == 1 ? "" : " (show " + std::to_string(show) + ")"));
        return true;
    }
    std::unique_ptr<platform::ShellDispatch> CreateShellDispatch() override;
    bool QueryRecycleBin(std::string_view root, platform::RecycleBinInfo& info) override {
        binQueries.emplace_back(root);
        return bins.count(std::string(root)) && (info = bins.at(std::string(root)), true);
    }
    void EmptyRecycleBin(std::uintptr_t owner, std::string_view root, std::uint32_t flags) override {
        done.push_back("empty " + std::to_string(owner) + " " + std::string(root) + " " + std::to_string(flags));
    }
    platform::DriveType GetDriveType(std::string_view root) override {
        return drives.count(std::string(root)) ? drives.at(std::string(root)) : platform::DriveType::NoRootDir;
    }
    std::string SystemFolder() override { return "C:\\Windows\\system32"; }
    bool FileExists(std::string_view path) override { return existing.count(std::string(path)) != 0; }
    void ShowItemMenu(std::uintptr_t owner, std::string_view path, std::int32_t x, std::int32_t y) override {
        done.push_back("menu " + std::to_string(owner) + " " + std::string(path) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    platform::WindowsVersion Version() override { return version; }
};

// Every fake the popup menu works through, wired into its services.
struct MenuWorld {
    FakePopupMenuFactory factory;
    FakeImageList images;
    FakeIconCanvas canvas;
    FakeIconSource icons;
    FakeFileLister lister;
    FakeShell shell;
    FakeShellLauncher launcher;
    DropFakeShellFolder folders;
    HostCodePage932 cp932;
    menu::MenuServices services{factory, images, canvas, icons, lister, shell, launcher, folders, cp932};
};

}  // namespace lumbra::fakes
