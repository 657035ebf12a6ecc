#pragma once
// The main window: start-up, geometry and stored settings, resize and close, the message hook's
// reactions, the wheel zoom and the notification-area icon actions. It owns the window's state
// and talks to the window system only through the interfaces in platform/.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "desktop/Composer.h"
#include "drop/DesktopCommands.h"
#include "menu/ShellMenu.h"
#include "platform/DropData.h"
#include "platform/MainWindow.h"
#include "platform/NotifyIcon.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/StartupRun.h"
#include "platform/SystemInfo.h"

namespace lumbra::app {

inline constexpr std::string_view kAppName = "Lumbra";
inline constexpr std::string_view kCaption = "LumbraPanel";
inline constexpr std::string_view kTipEnabled = "LumbraPanel";
inline constexpr std::string_view kTipDisabled = "LumbraPanel (Disabled)";
inline constexpr std::string_view kDebugSwitch = "/dbg";
// The program's value in the user's list of programs Windows starts at sign-in.
inline constexpr std::string_view kRunValueName = "LumbraPanel";

// The system folders of the popup menu, index 0 to 4: My Computer, Network, My Documents,
// Internet, Recycle Bin.
inline constexpr std::array<std::string_view, 5> kFolderClsids = {
    "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "{208D2C60-3AEA-1069-A2D7-08002B30309D}",
    "{450D8FBA-AD25-11D0-98A8-0800361B1103}", "{871C5380-42A0-1069-A2EA-08002B30309D}",
    "{645FF040-5081-101B-9F08-00AA002F954E}"};
inline constexpr std::array<std::string_view, 5> kFolderApplets = {"Sysdm.cpl", "Netcpl.cpl", "", "Inetcpl.cpl", ""};

// "CurrentVersion" as the outside updater reads it: major, minor with two digits, revision with four.
std::string FormatVersion(int major, int minor, int revision);

// Writes the two "UpdateInfo" keys: every start does, the one that ends at once because the
// program already runs included.
void SaveUpdateInfo(platform::SettingsStore& settings, platform::SystemInfo& system);

// The Run value that starts the program at `programPath`: the path quoted, as it may hold blanks.
std::string RunValueFor(std::string_view programPath);
// Whether a Run value names the program at `programPath`: without its quotes and surrounding
// blanks it is the whole path, letters compared without regard to case as Windows compares paths.
bool RunValueNamesProgram(std::string_view value, std::string_view programPath);

// Stored geometry values: decimal text of a single-precision number, "." as the decimal point.
std::string FormatSingle(float value);
// nullopt for anything that is not a finite number the window system can hold.
std::optional<float> ParseStoredSingle(std::string_view text, float twipsPerPixel);

// Wheel messages come in notches of 120 from a wheel, and in small deltas, many a second, from
// touchpads and free-spinning wheels. A message of a notch or more is one step at once; smaller
// ones add up, the remainder kept between messages and dropped when the direction turns.
class WheelRemainder {
public:
    // The step this message's delta makes: 1 away from the user, -1 towards, 0 none.
    int Take(std::int16_t delta);
    int Remainder() const { return acc_; }

private:
    int acc_ = 0;
};

struct FormServices {
    platform::SettingsStore& settings;
    platform::ProfileFile& profile;
    platform::Registry& registry;
    platform::SystemInfo& system;
    platform::MainWindowView& window;
    platform::NotifyIcon& prcIcon;
    // The file commands of the drop menu; without them drops are received and do nothing.
    const drop::DropServices* fileDrop = nullptr;
    // The wallpaper's picture, its file and folder, the environment and the shell; without them
    // the miniature shows the desktop colour alone and a double-click opens nothing.
    const desktop::WallpaperServices* wallpaper = nullptr;
    // The popup menu's components and shell; without them the window has no popup menu.
    menu::MenuServices* menu = nullptr;
    // Starting with Windows; without it the icon's menu shows that item unchecked and it does nothing.
    platform::StartupRun* startupRun = nullptr;
};

class frmMain : public platform::MainWindowEvents,
                public platform::NotifyIconEvents,
                public platform::PopupMenuEvents {
public:
    explicit frmMain(FormServices services);

    void Form_Load();
    void SaveUpdateInfo();
    void DrawScreen();
    void WheelScr(std::int32_t& nDelta, std::int32_t& nXY);

    // Window events.
    void Form_Resize() override;
    void Form_QueryUnload(bool& cancel, platform::UnloadMode mode) override;
    void Form_Unload(bool& cancel) override;
    void WindowProc(std::uint32_t message, std::int32_t wParam, std::int32_t lParam) override;
    void picDT_MouseUp(int button, int shift, float x, float y) override;
    void imgWall_MouseUp(int button, int shift, float x, float y) override;
    void imgWall_DblClick() override;

    // The notification-area icon, its menu, and a second start of the program.
    void prcIcon_IconMouse(std::int32_t& button, std::int32_t& action) override;
    void prcIcon_IconMenu() override;
    void mnuShow_Click() override;
    void mnuStartup_Click() override;
    void mnuExit_Click() override;
    void Form_SecondStart() override;
    bool StartsWithWindows();

    // File drop.
    void picDT_OLEDragOver(int button, int shift, float x, float y) override;
    void imgWall_OLEDragOver(int button, int shift, float x, float y) override;
    void picDT_OLEDragDrop(const platform::DropData& data, int button, int shift, float x, float y) override;
    void imgWall_OLEDragDrop(const platform::DropData& data, int button, int shift, float x, float y) override;
    void HandleDrop(const platform::DropData& data);
    void mnuMove_Click() override;
    void mnuCopy_Click() override;
    void mnuShortCut_Click() override;
    void CreateShortcuts();

    // The popup menu: built once at start-up, brought up to date and shown at every right-button
    // release (or the context-menu key), its choice run by objPMn_Click.
    void BuildPopupMenu();
    std::int32_t GetWindowsKind();
    void LoadSystemIcons();
    void ShowPopupMenu(float x, float y);
    bool QueryRecycleBinFull();
    void objPMn_Click(std::int32_t index) override;
    std::vector<platform::MenuEntry> objPMn_FolderPopup(std::string_view folder) override;
    void objPMn_EntryClick(std::string_view path) override;
    void objPMn_EntryMenu(std::string_view path, std::int32_t x, std::int32_t y) override;
    void Form_ContextMenu() override;
    // nullptr when the window was made without the menu's services.
    menu::ShellMenu* Menu() { return popupMenu_.get(); }

    // Window state, alive while the window exists.
    bool formLoading = false;
    bool resizeLock = false;
    bool panelEnabled = false;
    float frameWidth = 0.0f;
    float frameHeight = 0.0f;
    float defaultWidth = 0.0f;
    float defaultHeight = 0.0f;
    std::array<std::string, 5> folderClsids;
    std::array<std::string, 5> folderApplets;
    // The mouse buttons last reported while a drag moved over the panel, and the last drop.
    std::int16_t dragButton = 0;
    platform::DropData dropData;

private:
    float ReadGeometry(std::string_view key, float fallback, float twipsPerPixel);
    void KeepReachable();
    void TogglePanel();

    FormServices s_;
    WheelRemainder wheelRemainder_;
    // What the command of the drop being handled did, for the drag source.
    platform::DropOutcome dropOutcome_ = platform::DropOutcome::Nothing;
    // The miniature and the tiles of its last composition.
    desktop::Composer composer_;
    std::unique_ptr<menu::ShellMenu> popupMenu_;
};

}  // namespace lumbra::app
