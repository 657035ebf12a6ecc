#include "app/frmMain.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "Version.h"
#include "desktop/modMain.h"
#include "platform/Dpi.h"
#include "platform/Text.h"

namespace lumbra::app {
namespace {

constexpr std::string_view kSettingSection = "Setting";
constexpr std::string_view kUpdateSection = "UpdateInfo";
// The screen's twips per pixel as the window's arithmetic counts them: per logical pixel, so the
// default size, the minimum and the wheel step are the same share of the screen at every scaling.
constexpr float TwipsPerPixelX = platform::kTwipsPerPixel;
constexpr float TwipsPerPixelY = platform::kTwipsPerPixel;
constexpr float kWheelStepPixels = 25.0f;
constexpr int kWheelNotch = 120;
// Beyond this many pixels a stored position or size is garbage, not a window.
constexpr float kMaxStoredPixels = 32767.0f;
// How much of the window must lie on a monitor for the user to reach it.
constexpr float kReachableWidthPixels = 48.0f;
constexpr float kReachableHeightPixels = 24.0f;

float Overlap(float aStart, float aLength, float bStart, float bLength) {
    return std::max(0.0f, std::min(aStart + aLength, bStart + bLength) - std::max(aStart, bStart));
}

std::int16_t HighWord(std::int32_t v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(v) >> 16));
}

std::int16_t LowWord(std::int32_t v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(v) & 0xFFFFu));
}

}  // namespace

std::string FormatVersion(int major, int minor, int revision) {
    char text[48];
    std::snprintf(text, sizeof text, "%d.%02d.%04d", major, minor, revision);
    return text;
}

std::string FormatSingle(float value) {
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    if (ec != std::errc()) return "0";
    return std::string(text, end);
}

std::optional<float> ParseStoredSingle(std::string_view text, float twipsPerPixel) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    float value = 0.0f;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!std::isfinite(value) || std::fabs(value) > kMaxStoredPixels * twipsPerPixel) return std::nullopt;
    return value;
}

frmMain::frmMain(FormServices services)
    : s_(services),
      composer_(services.wallpaper ? *services.wallpaper : desktop::NoWallpaperServices(), [this] { DrawScreen(); }) {
    if (s_.menu != nullptr) {
        popupMenu_ = std::make_unique<menu::ShellMenu>(
            *s_.menu, menu::MenuOwner{s_.registry, s_.window.Handle(), folderClsids, folderApplets, *this});
    }
}

void frmMain::Form_Load() {
    platform::MainWindowView& w = s_.window;
    const platform::ScreenMetrics screen = s_.system.Screen();

    formLoading = true;
    SaveUpdateInfo();
    w.SetLeft(ReadGeometry("Left", 0.0f, TwipsPerPixelX));
    w.SetTop(ReadGeometry("Top", 0.0f, TwipsPerPixelY));

    // Measured while the window still has its designed layout: border, caption and margins.
    frameWidth = w.Width() - w.PanelWidth();
    frameHeight = w.Height() - w.PanelHeight();

    // Three twips for every screen pixel: a fifth of the screen.
    w.SetPanelWidth(screen.widthTwips / TwipsPerPixelX * 3.0f);
    w.SetPanelHeight(screen.heightTwips / TwipsPerPixelY * 3.0f);
    w.SetWidth(w.PanelWidth() + frameWidth);
    w.SetHeight(w.PanelHeight() + frameHeight);
    defaultWidth = w.Width();
    defaultHeight = w.Height();
    DrawScreen();

    if (s_.system.CommandLine() != kDebugSwitch) w.InstallMessageHook();
    w.MakeTopmost();

    std::copy(kFolderClsids.begin(), kFolderClsids.end(), folderClsids.begin());
    std::copy(kFolderApplets.begin(), kFolderApplets.end(), folderApplets.begin());
    BuildPopupMenu();

    panelEnabled = true;
    s_.prcIcon.AddIcon(w.IconHandle(), kTipEnabled);

    // The stored size goes in as stored; the resize pass of the first showing corrects it.
    resizeLock = true;
    w.SetWidth(ReadGeometry("Width", defaultWidth, TwipsPerPixelX));
    w.SetHeight(ReadGeometry("Height", defaultHeight, TwipsPerPixelY));
    w.SetPanelWidth(w.Width() - frameWidth);
    w.SetPanelHeight(w.Height() - frameHeight);
    KeepReachable();
    DrawScreen();
    resizeLock = false;

    w.Show();
    formLoading = false;
}

void SaveUpdateInfo(platform::SettingsStore& settings, platform::SystemInfo& system) {
    settings.SaveSetting(kAppName, kUpdateSection, "ApplicationPath", system.ProgramFolder());
    settings.SaveSetting(kAppName, kUpdateSection, "CurrentVersion",
                         FormatVersion(LUMBRA_VERSION_MAJOR, LUMBRA_VERSION_MINOR, LUMBRA_VERSION_REVISION));
}

void frmMain::SaveUpdateInfo() { app::SaveUpdateInfo(s_.settings, s_.system); }

float frmMain::ReadGeometry(std::string_view key, float fallback, float twipsPerPixel) {
    std::optional<std::string> stored = s_.settings.GetSetting(kAppName, kSettingSection, key);
    if (!stored) return fallback;
    return ParseStoredSingle(*stored, twipsPerPixel).value_or(fallback);
}

// A stored position on no monitor (one since removed, or garbage) would start the window out
// of sight: bring it onto the primary monitor's work area, keeping its size.
void frmMain::KeepReachable() {
    platform::MainWindowView& w = s_.window;
    const std::vector<platform::TwipsRect> areas = w.MonitorWorkAreas();
    if (areas.empty()) return;
    const platform::TwipsRect r{w.Left(), w.Top(), w.Width(), w.Height()};
    const float needWidth = std::max(TwipsPerPixelX, std::min(r.width, kReachableWidthPixels * TwipsPerPixelX));
    const float needHeight = std::max(TwipsPerPixelY, std::min(r.height, kReachableHeightPixels * TwipsPerPixelY));
    for (const platform::TwipsRect& area : areas) {
        if (Overlap(r.left, r.width, area.left, area.width) >= needWidth &&
            Overlap(r.top, r.height, area.top, area.height) >= needHeight) {
            return;
        }
    }
    const platform::TwipsRect& primary = areas.front();
    w.SetLeft(std::clamp(r.left, primary.left, std::max(primary.left, primary.left + primary.width - r.width)));
    w.SetTop(std::clamp(r.top, primary.top, std::max(primary.top, primary.top + primary.height - r.height)));
}

void frmMain::DrawScreen() {
    if (formLoading) return;
    const desktop::WallpaperInfo info = desktop::GetWallpaperInfo(s_.profile, s_.registry);
    composer_.Compose(s_.window.Panel(), info,
                      desktop::PanelMetrics{s_.window.PanelWidth(), s_.window.PanelHeight(), s_.system.Screen()});
    s_.window.RefreshPanel();
}

void frmMain::Form_Resize() {
    if (resizeLock) return;
    platform::MainWindowView& w = s_.window;
    // Minimised, the window has no size of its own to correct.
    if (w.Minimised()) return;

    if (defaultWidth / 2 > w.Width()) w.SetWidth(defaultWidth / 2);
    if (defaultHeight / 2 > w.Height()) w.SetHeight(defaultHeight / 2);

    float panelWidth = w.PanelWidth();
    float panelHeight = w.PanelHeight();
    if (!(panelWidth > 0.0f && panelHeight > 0.0f)) {
        // A stored size smaller than the frame left no picture to take proportions from: take
        // them from the default picture instead, so the picture comes back.
        panelWidth = defaultWidth - frameWidth;
        panelHeight = defaultHeight - frameHeight;
    }
    if (panelWidth > 0.0f && panelHeight > 0.0f) {
        const float proportion = panelWidth / panelHeight;
        const float availableWidth = w.Width() - frameWidth;
        const float availableHeight = w.Height() - frameHeight;
        if (static_cast<float>(availableHeight * proportion) < availableWidth) {
            w.SetPanelWidth(availableWidth);
            w.SetPanelHeight(availableWidth / proportion);
            w.SetHeight(w.PanelHeight() + frameHeight);
        } else if (static_cast<float>(availableWidth / proportion) < availableHeight) {
            w.SetPanelHeight(availableHeight);
            w.SetPanelWidth(availableHeight * proportion);
            w.SetWidth(w.PanelWidth() + frameWidth);
        } else if (availableWidth != w.PanelWidth() || availableHeight != w.PanelHeight()) {
            // The window already has the picture's proportions (a wheel step can land exactly
            // on them) but the picture has not followed it yet: let it fill the area, or it
            // would stay behind with a gap around it.
            w.SetPanelWidth(availableWidth);
            w.SetPanelHeight(availableHeight);
        }
    }
    DrawScreen();
}

void frmMain::Form_QueryUnload(bool& /*cancel*/, platform::UnloadMode /*mode*/) {
    // Closing is never refused, whatever the reason.
}

void frmMain::Form_Unload(bool& /*cancel*/) {
    const platform::MainWindowView& w = s_.window;
    s_.settings.SaveSetting(kAppName, kSettingSection, "Left", FormatSingle(w.Left()));
    s_.settings.SaveSetting(kAppName, kSettingSection, "Top", FormatSingle(w.Top()));
    s_.settings.SaveSetting(kAppName, kSettingSection, "Width", FormatSingle(w.Width()));
    s_.settings.SaveSetting(kAppName, kSettingSection, "Height", FormatSingle(w.Height()));
    s_.prcIcon.RemoveIcon();
}

void frmMain::WindowProc(std::uint32_t message, std::int32_t wParam, std::int32_t lParam) {
    switch (message) {
    case platform::kMsgPaint:
    case platform::kMsgSettingChange:
    case platform::kMsgSysColorChange:  // a solid desktop colour chosen in the settings
        DrawScreen();
        break;
    case platform::kMsgMouseWheel:
        // A step goes the way of this message's own delta: the remainder never holds the other.
        if (wheelRemainder_.Take(HighWord(wParam)) != 0) WheelScr(wParam, lParam);
        break;
    default:
        break;
    }
}

int WheelRemainder::Take(std::int16_t delta) {
    // A zero delta has no direction: it neither turns nor adds.
    if ((delta > 0 && acc_ < 0) || (delta < 0 && acc_ > 0)) acc_ = 0;
    if (delta >= kWheelNotch || delta <= -kWheelNotch) {
        acc_ = 0;
        return delta > 0 ? 1 : -1;
    }
    acc_ += delta;
    // Below a notch before, and less than one added: at most one notch now.
    if (acc_ >= kWheelNotch) {
        acc_ -= kWheelNotch;
        return 1;
    }
    if (acc_ <= -kWheelNotch) {
        acc_ += kWheelNotch;
        return -1;
    }
    return 0;
}

void frmMain::WheelScr(std::int32_t& nDelta, std::int32_t& nXY) {
    platform::MainWindowView& w = s_.window;

    // Only the sign counts: one call, one step. The pointer is in logical pixels.
    const std::int16_t rotation = HighWord(nDelta);
    const float pointerX = LowWord(nXY) * TwipsPerPixelX;
    const float pointerY = HighWord(nXY) * TwipsPerPixelY;

    const float horizontalAnchor = (pointerX - w.Left()) / w.Width();
    const float verticalAnchor = (pointerY - w.Top()) / w.Height();
    const float horizontalShift = kWheelStepPixels * TwipsPerPixelX * horizontalAnchor;
    const float verticalShift = kWheelStepPixels * TwipsPerPixelY * verticalAnchor;
    const float step = kWheelStepPixels * TwipsPerPixelX;

    resizeLock = true;
    if (rotation > 0) {
        w.SetWidth(w.Width() - step);
        w.SetLeft(w.Left() + horizontalShift);
        w.SetTop(w.Top() + verticalShift);
    } else {
        w.SetWidth(w.Width() + step);
        w.SetLeft(w.Left() - horizontalShift);
        w.SetTop(w.Top() - verticalShift);
    }
    w.SetHeight((w.Width() - frameWidth) * (w.PanelHeight() / w.PanelWidth()) + frameHeight);
    resizeLock = false;
    Form_Resize();
}

void frmMain::picDT_MouseUp(int button, int /*shift*/, float x, float y) {
    if (button == platform::kRightButton) ShowPopupMenu(x, y);
}

void frmMain::imgWall_MouseUp(int button, int /*shift*/, float x, float y) {
    if (button == platform::kRightButton) ShowPopupMenu(x, y);
}

// The path goes to the shell as the settings hold it, %NAME% references unexpanded.
void frmMain::imgWall_DblClick() {
    const desktop::WallpaperInfo info = desktop::GetWallpaperInfo(s_.profile, s_.registry);
    if (info.wallpaper == desktop::kNoWallpaper) return;
    const desktop::WallpaperServices& services = s_.wallpaper ? *s_.wallpaper : desktop::NoWallpaperServices();
    services.shell.Execute(s_.window.Handle(), "open", info.wallpaper, "", "", platform::kShowNormal);
}

// The second press of a double click comes as an action of its own: the first press has toggled
// already, so a double click toggles once.
void frmMain::prcIcon_IconMouse(std::int32_t& button, std::int32_t& action) {
    if (action == platform::kIconButtonUp || action == platform::kIconDoubleClick || button != platform::kIconLeft) {
        return;
    }
    TogglePanel();
}

void frmMain::TogglePanel() {
    platform::MainWindowView& w = s_.window;
    // Hidden before the icon greys, shown before it takes its colour again.
    if (panelEnabled) {
        w.Hide();
        w.SetIcon(platform::AppIcon::Grey);
        s_.prcIcon.ChangeIcon(w.IconHandle(), kTipDisabled);
        panelEnabled = false;
    } else {
        w.Show();
        w.SetIcon(platform::AppIcon::Colour);
        s_.prcIcon.ChangeIcon(w.IconHandle(), kTipEnabled);
        panelEnabled = true;
    }
}

void frmMain::prcIcon_IconMenu() { s_.window.PopupIconMenu(panelEnabled, StartsWithWindows()); }

void frmMain::mnuShow_Click() { TogglePanel(); }

// Read afresh each time: the user may change the list in Windows' settings meanwhile.
bool frmMain::StartsWithWindows() {
    if (s_.startupRun == nullptr) return false;
    const std::optional<std::string> value = s_.startupRun->ReadValue(kRunValueName);
    return value && RunValueNamesProgram(*value, s_.startupRun->ProgramPath());
}

// A value naming another copy of the program is replaced: only this one can be started.
void frmMain::mnuStartup_Click() {
    if (s_.startupRun == nullptr) return;
    if (StartsWithWindows()) {
        s_.startupRun->DeleteValue(kRunValueName);
    } else {
        s_.startupRun->WriteValue(kRunValueName, RunValueFor(s_.startupRun->ProgramPath()));
    }
}

void frmMain::mnuExit_Click() { s_.window.Close(); }

void frmMain::Form_SecondStart() {
    if (!panelEnabled) TogglePanel();
    s_.window.BringToFront();
}

namespace {

// Upper case as Windows compares file names, for the letters of the scripts a path is likely to
// hold: basic Latin, Latin-1, Greek, Cyrillic and full-width Latin.
char16_t UpperCase(char16_t c) {
    if (c == 0x3C2) return 0x3A3;  // the final sigma
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB) ||
        (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    return c;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string RunValueFor(std::string_view programPath) {
    std::string value(1, '"');
    value.append(programPath).push_back('"');
    return value;
}

bool RunValueNamesProgram(std::string_view value, std::string_view programPath) {
    value = TrimBlanks(value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = TrimBlanks(value.substr(1, value.size() - 2));
    }
    const std::u16string named = text::Utf8ToUtf16(value);
    const std::u16string program = text::Utf8ToUtf16(programPath);
    return !program.empty() && named.size() == program.size() &&
           std::equal(named.begin(), named.end(), program.begin(),
                      [](char16_t a, char16_t b) { return UpperCase(a) == UpperCase(b); });
}

// ---- file drop ------------------------------------------------------------------------------

void frmMain::picDT_OLEDragOver(int button, int /*shift*/, float /*x*/, float /*y*/) {
    dragButton = static_cast<std::int16_t>(button);
}

void frmMain::imgWall_OLEDragOver(int button, int /*shift*/, float /*x*/, float /*y*/) {
    dragButton = static_cast<std::int16_t>(button);
}

void frmMain::picDT_OLEDragDrop(const platform::DropData& data, int /*button*/, int /*shift*/, float /*x*/,
                                float /*y*/) {
    HandleDrop(data);
}

void frmMain::imgWall_OLEDragDrop(const platform::DropData& data, int /*button*/, int /*shift*/, float /*x*/,
                                  float /*y*/) {
    HandleDrop(data);
}

void frmMain::HandleDrop(const platform::DropData& data) {
    dropData = data;
    dropOutcome_ = platform::DropOutcome::Nothing;
    if (dropData.hasFileList) {
        // The right button alone asks what to do; any other drag links at once.
        if (dragButton == platform::kRightButton) {
            s_.window.PopupDropMenu();
        } else {
            CreateShortcuts();
        }
    }
    s_.window.EndDrop(dropOutcome_);
}

void frmMain::mnuMove_Click() {
    if (s_.fileDrop != nullptr) {
        dropOutcome_ = drop::TransferToDesktop(*s_.fileDrop, platform::TransferKind::Move, dropData.files);
    }
}

void frmMain::mnuCopy_Click() {
    if (s_.fileDrop != nullptr) {
        dropOutcome_ = drop::TransferToDesktop(*s_.fileDrop, platform::TransferKind::Copy, dropData.files);
    }
}

void frmMain::mnuShortCut_Click() { CreateShortcuts(); }

void frmMain::CreateShortcuts() {
    if (s_.fileDrop != nullptr) dropOutcome_ = drop::CreateDesktopShortcuts(*s_.fileDrop, dropData.files);
}

// ---- the popup menu -------------------------------------------------------------------------

void frmMain::BuildPopupMenu() {
    if (popupMenu_) popupMenu_->BuildPopupMenu();
}

std::int32_t frmMain::GetWindowsKind() { return popupMenu_ ? popupMenu_->GetWindowsKind() : 0; }

void frmMain::LoadSystemIcons() {
    if (popupMenu_) popupMenu_->LoadSystemIcons();
}

void frmMain::ShowPopupMenu(float x, float y) {
    if (popupMenu_) popupMenu_->ShowPopupMenu(x, y);
}

bool frmMain::QueryRecycleBinFull() { return popupMenu_ && popupMenu_->QueryRecycleBinFull(); }

void frmMain::objPMn_Click(std::int32_t index) {
    if (popupMenu_) popupMenu_->objPMn_Click(index);
}

std::vector<platform::MenuEntry> frmMain::objPMn_FolderPopup(std::string_view folder) {
    return popupMenu_ ? popupMenu_->objPMn_FolderPopup(folder) : std::vector<platform::MenuEntry>{};
}

void frmMain::objPMn_EntryClick(std::string_view path) {
    if (popupMenu_) popupMenu_->objPMn_EntryClick(path);
}

void frmMain::objPMn_EntryMenu(std::string_view path, std::int32_t x, std::int32_t y) {
    if (popupMenu_) popupMenu_->objPMn_EntryMenu(path, x, y);
}

// The context-menu key and Shift+F10: the same menu for keyboard users, at the window's corner
// since there is no pointer position to go by.
void frmMain::Form_ContextMenu() {
    if (popupMenu_) popupMenu_->ShowPopupMenu(0.0f, 0.0f, platform::MenuAnchor::OwnerTopLeft);
}

}  // namespace lumbra::app
