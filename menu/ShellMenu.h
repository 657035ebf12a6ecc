#pragma once
// The right-click menu of the main window: its fixed items and system icons, the desktop entries
// added at every showing with the recycle-bin state, and the shell command of every item.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "menu/Entries.h"
#include "menu/UserIconCache.h"
#include "platform/CodePage.h"
#include "platform/FileLister.h"
#include "platform/Icons.h"
#include "platform/ImageList.h"
#include "platform/PopupMenu.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/ShellFolder.h"
#include "platform/ShellLauncher.h"

namespace lumbra::menu {

// The name the fixed menu is saved under.
inline constexpr std::string_view kSavedMenu = "Lumbra PopupMenu";

// Item keys, the vocabulary of the command dispatch.
inline constexpr std::string_view kKeyScreenProp = "ScreenProp";
inline constexpr std::string_view kKeyShowDesktop = "ShowDesktop";
inline constexpr std::string_view kKeyMyCom = "MyCom";
inline constexpr std::string_view kKeyNetCom = "NetCom";
inline constexpr std::string_view kKeyMyDoc = "MyDoc";
inline constexpr std::string_view kKeyINet = "INet";
inline constexpr std::string_view kKeyRecycle = "Recycle";
inline constexpr std::string_view kKeyProperties = "Properties";
inline constexpr std::string_view kKeyMyCProp = "MyCProp";
inline constexpr std::string_view kKeyNetProp = "NetProp";
inline constexpr std::string_view kKeyMyDProp = "MyDProp";
inline constexpr std::string_view kKeyINetProp = "INetProp";
inline constexpr std::string_view kKeyTrashProp = "TrashProp";
inline constexpr std::string_view kKeyEmptyT = "EmptyT";
inline constexpr std::string_view kKeyUserIcon = "UserIcon";

// Image numbers (0-based) of ilsIcons and its key of the last fixed image.
inline constexpr std::int32_t kImageScreenProp = 0;
inline constexpr std::int32_t kImageRecycleEmpty = 5;
inline constexpr std::int32_t kImageRecycleFull = 6;
inline constexpr std::int32_t kImageProgram = 7;
inline constexpr std::int32_t kImageSheet = 8;
inline constexpr std::string_view kLastImageKey = "Last";

// The program's own resources shown in the menu.
inline constexpr int kProgramIconResource = 102;
inline constexpr int kSheetBitmapResource = 101;

// The desktop shared by all users (not created when it is missing).
inline constexpr std::int32_t kCommonDesktopDirectory = 0x0019;
// What an empty folder's sub-menu shows.
inline constexpr std::string_view kEmptyFolder = "(空)";

// Windows versions (major x 100 + minor) from which the network items say "マイ ネットワーク".
inline constexpr std::int32_t kMyNetworkVersion = 490;

struct MenuServices {
    platform::PopupMenuFactory& menus;
    platform::ImageList& ilsIcons;
    platform::IconCanvas& picIcon;
    platform::IconSource& icons;
    platform::FileLister& glnFile;
    platform::Shell& shell;
    platform::ShellLauncher& launcher;
    platform::ShellFolder& folders;
    platform::CodePageCounter& codePage;
};

// What the menu takes from the main window that owns it.
struct MenuOwner {
    platform::Registry& registry;
    std::uintptr_t window;  // the main window's handle
    const std::array<std::string, 5>& folderClsids;
    const std::array<std::string, 5>& folderApplets;
    platform::PopupMenuEvents& events;
};

class ShellMenu {
public:
    ShellMenu(MenuServices services, MenuOwner owner);

    void BuildPopupMenu();
    std::int32_t GetWindowsKind();
    void LoadSystemIcons();
    void ShowPopupMenu(float x, float y, platform::MenuAnchor anchor = platform::MenuAnchor::Pointer);
    void objPMn_Click(std::int32_t index);
    bool QueryRecycleBinFull();
    // Desktop folders cascade: the entries of a folder's sub-menu; an entry of one chosen opens
    // as a desktop item does; a right-button release on any desktop entry gives its shell menu.
    std::vector<platform::MenuEntry> objPMn_FolderPopup(std::string_view folder);
    void objPMn_EntryClick(std::string_view path);
    void objPMn_EntryMenu(std::string_view path, std::int32_t x, std::int32_t y);

    // nullptr until BuildPopupMenu has run.
    platform::PopupMenu* objPMn() const { return objPMn_.get(); }
    const UserIconCache& IconCache() const { return iconCache_; }

    // The desktop entries of the last showing, the user's own and those of all users: only the
    // first userFileCount / userFolderCount entries count (a showing that finds none sets the
    // count alone).
    std::vector<std::string> userFiles;
    std::vector<std::string> userFolders;
    std::int32_t userFileCount = 0;
    std::int32_t userFolderCount = 0;
    // Flips at every "ShowDesktop": the next one undoes the minimising.
    bool desktopMinimized = false;

private:
    std::int32_t Find(std::string_view key) const;
    void AppendFixed(std::string_view caption, std::string_view shortcut, std::int32_t parent, std::int32_t image,
                     std::string_view key);
    void RenderRegistryIcon(std::size_t folder, std::string_view valueName, platform::StockIcon stock);
    platform::PictureRef UserIconPicture(const platform::ListedEntry& entry);
    void StartApplet(std::string_view applet);
    void ShowFolderProperties(std::int32_t index);

    MenuServices s_;
    MenuOwner owner_;
    std::unique_ptr<platform::PopupMenu> objPMn_;
    UserIconCache iconCache_;
};

}  // namespace lumbra::menu
