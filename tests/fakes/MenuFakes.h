#pragma once
// In-memory stand-ins for the popup menu's platform: the menu component, the image list, icon
// sources and the canvas, the desktop lister, the shell, and (fakes/HostCodePage932.h) a real
// code-page-932 counter for the host. Calls go to a shared CallLog when one is given.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fakes/CallLog.h"
#include "fakes/DropFakes.h"
#include "fakes/HostCodePage932.h"
#include "fakes/WallpaperFakes.h"
#include "menu/ShellMenu.h"
#include "platform/CodePage.h"
#include "platform/FileLister.h"
#include "platform/Icons.h"
#include "platform/ImageList.h"
#include "platform/MenuTree.h"
#include "platform/PopupMenu.h"
#include "platform/Shell.h"

namespace lumbra::fakes {

// A picture that says what it shows.
class MenuPicture final : public platform::Picture {
public:
    explicit MenuPicture(std::string what, int width = 16, int height = 16)
        : what_(std::move(what)), width_(width), height_(height) {}
    const std::string& What() const { return what_; }
    int PixelWidth() const override { return width_; }
    int PixelHeight() const override { return height_; }

private:
    std::string what_;
    int width_;
    int height_;
};
platform::PictureRef MakeMenuPicture(std::string what, int width = 16, int height = 16);
// What a picture shows; "?" for a picture the fakes did not make.
std::string PictureName(const platform::PictureRef& picture);

class MenuIcon final : public platform::Icon {
public:
    explicit MenuIcon(std::string what) : what_(std::move(what)) { ++alive; }
    ~MenuIcon() override { --alive; }
    MenuIcon(const MenuIcon&) = delete;
    MenuIcon& operator=(const MenuIcon&) = delete;
    const std::string& What() const { return what_; }
    // Icons made and not yet released: every handle must be given back.
    static inline int alive = 0;

private:
    std::string what_;
};

// The component: the shared item tree, plus a record of every showing.
class FakePopupMenu final : public platform::PopupMenu {
public:
    FakePopupMenu(platform::PopupMenuEvents& events, CallLog* log) : events_(events), log_(log) {}

    struct Showing {
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::vector<std::int32_t> rest;  // alignment .. defaultItem
        platform::MenuAnchor anchor = platform::MenuAnchor::Pointer;
        std::vector<platform::MenuItem> items;  // the tree as it was shown
        std::int32_t imageCount = 0;            // the image source's count at that moment
    };

    void SetImageSource(platform::ImageList& images) override;
    void SetOwnerWindow(std::uintptr_t window) override;
    std::int32_t AppendItem(std::string_view caption, std::string_view helpText, std::int32_t itemData,
                            std::int32_t parent, std::int32_t image, bool checked, bool enabled,
                            std::string_view key) override;
    std::int32_t FindItemByKey(std::string_view key) override { return tree_.FindByKey(key); }
    void SaveItems(std::string_view name) override;
    void ResetItems() override;
    void LoadSavedItems(std::string_view name) override;
    void SetItemEnabled(std::int32_t index, bool enabled) override;
    void SetItemIcon(std::int32_t index, std::int32_t image) override;
    std::int32_t ShowAt(std::int32_t x, std::int32_t y, std::int32_t alignment, std::int32_t excludeWidth,
                        std::int32_t excludeHeight, std::int32_t reserved, std::int32_t defaultItem) override;
    void SetAnchor(platform::MenuAnchor anchor) override { anchor_ = anchor; }

    const platform::MenuTree& Tree() const { return tree_; }
    const std::vector<Showing>& Showings() const { return showings_; }
    platform::ImageList* ImageSource() const { return images_; }
    std::uintptr_t Owner() const { return owner_; }
    std::vector<std::string> SavedNames() const { return saved_; }
    // What the user picks when the menu shows: an index, or 0 for closing it without a choice.
    std::function<std::int32_t(const FakePopupMenu&)> choose;

private:
    void Log(std::string entry) {
        if (log_) log_->Add(std::move(entry));
    }
    platform::PopupMenuEvents& events_;
    CallLog* log_;
    platform::MenuTree tree_;
    platform::ImageList* images_ = nullptr;
    std::uintptr_t owner_ = 0;
    platform::MenuAnchor anchor_ = platform::MenuAnchor::Pointer;
    std::vector<Showing> showings_;
    std::vector<std::string> saved_;
};

class FakePopupMenuFactory final : public platform::PopupMenuFactory {
public:
    explicit FakePopupMenuFactory(CallLog* log = nullptr) : log_(log) {}
    std::unique_ptr<platform::PopupMenu> CreatePopupMenu(platform::PopupMenuEvents& events) override;
    // The last component made (owned by whoever asked for it).
    FakePopupMenu* Last() const { return last_; }
    int Created() const { return created_; }

private:
    CallLog* log_;
    FakePopupMenu* last_ = nullptr;
    int created_ = 0;
};

class FakeImageList final : public platform::ImageList {
public:
    // The design's first image.
    explicit FakeImageList(CallLog* log = nullptr);
    std::int32_t Count() const override { return static_cast<std::int32_t>(images_.size()); }
    void Add(const platform::PictureRef& picture, std::string_view key) override;
    std::int32_t PositionOfKey(std::string_view key) const override;
    void Remove(std::int32_t position) override;
    platform::PictureRef Picture(std::int32_t position) const override;
    // What the picture at a 1-based position shows.
    std::string NameAt(std::int32_t position) const { return PictureName(Picture(position)); }
    std::string KeyAt(std::int32_t position) const;

private:
    struct Image {
        platform::PictureRef picture;
        std::string key;
    };
    std::vector<Image> images_;
    CallLog* log_;
};

class FakeIconSource final : public platform::IconSource {
public:
    explicit FakeIconSource(CallLog* log = nullptr) : log_(log) {}

    struct Extraction {
        std::uint32_t count = 1;
        bool smallHandle = true;  // a handle may come back beside a count of 0
    };
    // What ExtractIcon finds in a file at an index; nothing for any other.
    std::map<std::pair<std::string, std::int32_t>, Extraction> files;
    // Paths with an associated icon / a shell file-information icon.
    std::set<std::string> associated;
    std::set<std::string> shellIcons;
    bool stockAvailable = true;

    platform::ExtractedIcon ExtractFileIcon(std::string_view file, std::int32_t index) override;
    platform::IconPtr AssociatedIcon(std::string_view path) override;
    platform::IconPtr ShellSmallIcon(std::string_view path) override;
    platform::IconPtr Stock(platform::StockIcon which) override;
    platform::PictureRef ResourceIcon(int id) override;
    platform::PictureRef ResourceBitmap(int id) override;

    int Extractions() const { return extractions_; }

private:
    void Log(std::string entry) {
        if (log_) log_->Add(std::move(entry));
    }
    CallLog* log_;
    int extractions_ = 0;
};

class FakeIconCanvas final : public platform::IconCanvas {
public:
    explicit FakeIconCanvas(CallLog* log = nullptr) : log_(log) {}
    void DrawIcon(const platform::Icon& icon) override;
    // "" for an empty canvas, else the drawn icons joined with "+".
    platform::PictureRef Picture() override;
    void Clear() override;
    int Draws() const { return draws_; }

private:
    std::vector<std::string> drawn_;
    CallLog* log_;
    int draws_ = 0;
};

class FakeFileLister final : public platform::FileLister {
public:
    // Full paths by folder, in the order they are listed.
    std::map<std::string, std::vector<std::string>> files;
    std::map<std::string, std::vector<std::string>> folders;
    std::vector<std::pair<std::string, std::string>> fileQueries;  // folder, filter
    std::string ListFiles(std::string_view folder, std::string_view filter) override;
    std::string ListFolders(std::string_view folder) override;
};

class FakeShellVerb final : public platform::ShellVerb {
public:
    FakeShellVerb(std::string name, std::function<void()> done) : name_(std::move(name)), done_(std::move(done)) {}
    std::string Name() override { return name_; }
    void DoIt() override { done_(); }

private:
    std::string name_;
    std::function<void()> done_;
};

// The shell: processes, automation, recycle bins, drives, files.
class FakeShell final : public platform::Shell {
public:
    struct Started {
        std::string commandLine;
        std::int32_t show = 0;
    };
    // One shell folder as NameSpace gives it: named items, and the folder's own item (by name).
    struct Folder {
        std::set<std::string> items;
        std::string ownItem;
    };

    std::vector<Started> started;
    // What happened through the automation objects ("MinimizeAll", "DoIt Documents &Properties",
    // "InvokeVerb Documents properties", "ParseName ...", ...).
    std::vector<std::string> automation;
    bool dispatchAvailable = true;
    int dispatchesAlive = 0;
    std::map<std::int32_t, Folder> nameSpaces;
    // Verbs of every item, in order.
    std::vector<std::string> verbs = {"開く(&O)", "プロパティ(&R)"};

    // Recycle bins by root ("" = all); a root without an entry fails its query.
    std::map<std::string, platform::RecycleBinInfo> bins;
    std::map<std::string, platform::DriveType> drives;  // other roots: no such drive
    std::vector<std::string> binQueries;
    std::vector<std::string> emptied;  // roots
    std::uintptr_t emptiedOwner = 0;

    std::string systemFolder = "C:\\Windows\\system32";
    std::set<std::string> existing;
    std::map<std::string, std::int64_t> writeTimes;
    platform::WindowsVersion version{10, 0};

    bool StartProcess(std::string_view commandLine, std::int32_t show) override;
    std::unique_ptr<platform::ShellDispatch> CreateShellDispatch() override;
    bool QueryRecycleBin(std::string_view root, platform::RecycleBinInfo& info) override;
    void EmptyRecycleBin(std::uintptr_t owner, std::string_view root, std::uint32_t flags) override;
    platform::DriveType GetDriveType(std::string_view root) override;
    std::string SystemFolder() override { return systemFolder; }
    bool FileExists(std::string_view path) override { return existing.count(std::string(path)) != 0; }
    std::optional<std::int64_t> LastWriteTime(std::string_view path) override;
    platform::WindowsVersion Version() override { return version; }
};

// Every fake the popup menu works through, wired into its services, with their calls in one log.
struct MenuWorld {
    CallLog log;
    FakePopupMenuFactory factory{&log};
    FakeImageList images{&log};
    FakeIconCanvas canvas{&log};
    FakeIconSource icons{&log};
    FakeFileLister lister;
    FakeShell shell;
    FakeShellLauncher launcher;
    DropFakeShellFolder folders;
    HostCodePage932 cp932;
    menu::MenuServices services{factory, images, canvas, icons, lister, shell, launcher, folders, cp932};
};

}  // namespace lumbra::fakes
