#include "menu/ShellMenu.h"

#include <limits>

#include "desktop/NumericValue.h"
#include "desktop/modMain.h"
#include "menu/Captions.h"
#include "menu/DefaultIcon.h"
#include "menu/RecycleBin.h"
#include "platform/CommandLine.h"

namespace lumbra::menu {
namespace {

// Control-panel applets and the programs that start them.
constexpr std::string_view kRundll = "rundll32.exe";
constexpr std::string_view kControlRunDll = "shell32.dll,Control_RunDLL";
constexpr std::string_view kDisplayApplet = "Desk.cpl";
constexpr std::string_view kAppletExtension = ".cpl";
// The network applet of the older systems; no Windows since XP has it, and its successor
// is the network connections applet.
constexpr std::string_view kOldNetworkApplet = "Netcpl.cpl";
constexpr std::string_view kNetworkConnectionsApplet = "ncpa.cpl";
constexpr std::string_view kExplorer = "explorer.exe";

// The properties verb as the Japanese shell names it, and its language-independent name for
// every other shell.
constexpr std::string_view kJapanesePropertiesVerb = "プロパティ(&R)";
constexpr std::string_view kPropertiesVerb = "properties";
// My Documents' name when the registry gives none.
constexpr std::string_view kMyDocumentsFallbackName = "ﾏｲ ﾄﾞｷｭﾒﾝﾄ";

constexpr std::size_t kRecycleBinFolder = 4;
constexpr std::size_t kMyDocumentsFolder = 2;

constexpr platform::StockIcon kFolderStockIcons[5] = {
    platform::StockIcon::MyComputer, platform::StockIcon::Network, platform::StockIcon::MyDocuments,
    platform::StockIcon::Internet, platform::StockIcon::RecycleBinEmpty};

std::int32_t ToMenuCoordinate(float value) {
    const double rounded = desktop::RoundHalfEven(static_cast<double>(value));
    return desktop::ToInt32(rounded).value_or(rounded < 0 ? std::numeric_limits<std::int32_t>::min()
                                                          : std::numeric_limits<std::int32_t>::max());
}

std::string ClassKey(std::string_view clsid) { return "CLSID\\" + std::string(clsid); }

}  // namespace

ShellMenu::ShellMenu(MenuServices services, MenuOwner owner) : s_(services), owner_(owner) {}

std::int32_t ShellMenu::Find(std::string_view key) const { return objPMn_->FindItemByKey(key); }

std::int32_t ShellMenu::GetWindowsKind() {
    const platform::WindowsVersion version = s_.shell.Version();
    return static_cast<std::int32_t>(version.major * 100u + version.minor);
}

void ShellMenu::AppendFixed(std::string_view caption, std::string_view shortcut, std::int32_t parent,
                            std::int32_t image, std::string_view key) {
    std::string full(caption);
    if (!shortcut.empty()) {
        full += '\t';
        full += shortcut;
    }
    objPMn_->AppendItem(full, "", 0, parent, image, false, true, key);
}

void ShellMenu::BuildPopupMenu() {
    objPMn_ = s_.menus.CreatePopupMenu(owner_.events);
    objPMn_->SetImageSource(s_.ilsIcons);
    objPMn_->SetOwnerWindow(owner_.window);
    LoadSystemIcons();

    const std::int32_t top = platform::kTopLevel;
    AppendFixed("画面のプロパティ(&S)...xxxxxxxx", "Ctrl+S", top, 0, kKeyScreenProp);
    AppendFixed("デスクトップの表示(&T)xxxxxxxxx", "Ctrl+T", top, 7, kKeyShowDesktop);
    AppendFixed("-システムアイコンxxxxxxx", "", top, platform::kNoImage, "");
    AppendFixed("マイ コンピュータ(&M)...xxxxxxxx", "Ctrl+M", top, 1, kKeyMyCom);
    if (GetWindowsKind() < kMyNetworkVersion) {
        AppendFixed("ネットワーク コンピュータ(&N)...xxxxxxxxxxxx", "Ctrl+N", top, 2, kKeyNetCom);
    } else {
        AppendFixed("マイ ネットワーク(&N)...xxxxxxxx", "Ctrl+N", top, 2, kKeyNetCom);
    }
    AppendFixed("マイ ドキュメント(&D)...xxxxxxxx", "Ctrl+D", top, 3, kKeyMyDoc);
    AppendFixed("インターネット(&I)...xxxxxxx", "Ctrl+I", top, 4, kKeyINet);
    AppendFixed("ごみ箱(&R)...xxx", "Ctrl+R", top, 5, kKeyRecycle);
    AppendFixed("プロパティ・機能xxxxxxxx", "", top, 8, kKeyProperties);

    AppendFixed("マイ コンピュータのプロパティxxxxxxxxxxxxxx", "Ctrl+Shift+M", Find(kKeyProperties), 1, kKeyMyCProp);
    if (GetWindowsKind() < kMyNetworkVersion) {
        AppendFixed("ネットワーク コンピュータのプロパティxxxxxxxxxxxxxxxxxx", "Ctrl+Shift+N", Find(kKeyProperties), 2,
                    kKeyNetProp);
    } else {
        AppendFixed("マイ ネットワークのプロパティxxxxxxxxxxxxxx", "Ctrl+Shift+N", Find(kKeyProperties), 2, kKeyNetProp);
    }
    AppendFixed("マイ ドキュメントのプロパティxxxxxxxxxxxxxx", "Ctrl+Shift+D", Find(kKeyProperties), 3, kKeyMyDProp);
    AppendFixed("インターネットのプロパティxxxxxxxxxxxxx", "Ctrl+Shift+I", Find(kKeyProperties), 4, kKeyINetProp);
    AppendFixed("ごみ箱のプロパティxxxxxxxxx", "Ctrl+Shift+R", Find(kKeyProperties), 5, kKeyTrashProp);
    AppendFixed("ごみ箱を空にするxxxxxxxx", "Ctrl+Shift+E", Find(kKeyProperties), 6, kKeyEmptyT);

    AppendFixed("-ユーザアイコンxxxxxx", "", top, platform::kNoImage, kKeyUserIcon);
    objPMn_->SaveItems(kSavedMenu);
}

// One system folder's icon as the shell registers it, drawn through picIcon into ilsIcons.
// Where no icon can be had from the registration (no key, no value, nothing in the file), the
// shell's stock picture of the folder stands in, so the position is never empty.
void ShellMenu::RenderRegistryIcon(std::size_t folder, std::string_view valueName, platform::StockIcon stock) {
    const std::string value = desktop::ReadRegString(owner_.registry, platform::RootKey::ClassesRoot,
                                                     ClassKey(owner_.folderClsids[folder]) + "\\DefaultIcon", valueName);
    const IconLocation location = SplitDefaultIcon(value);
    platform::ExtractedIcon extracted = s_.icons.ExtractFileIcon(location.file, location.index);
    platform::IconPtr icon = extracted.count > 0 ? std::move(extracted.small) : nullptr;
    if (!icon) icon = s_.icons.Stock(stock);
    if (icon) s_.picIcon.DrawIcon(*icon);
    s_.ilsIcons.Add(s_.picIcon.Picture(), "");
    s_.picIcon.Clear();
}

void ShellMenu::LoadSystemIcons() {
    for (std::size_t k = 0; k < 5; ++k) {
        RenderRegistryIcon(k, k == kRecycleBinFolder ? "empty" : "", kFolderStockIcons[k]);
    }
    RenderRegistryIcon(kRecycleBinFolder, "full", platform::StockIcon::RecycleBinFull);
    s_.picIcon.Clear();
    s_.ilsIcons.Add(s_.icons.ResourceIcon(kProgramIconResource), "");
    s_.ilsIcons.Add(s_.icons.ResourceBitmap(kSheetBitmapResource), kLastImageKey);
}

bool ShellMenu::QueryRecycleBinFull() { return menu::QueryRecycleBinFull(s_.shell); }

// The entry's picture: kept from an earlier showing while the entry is unchanged, otherwise the
// icon the shell shows for it, drawn through picIcon. Only where the shell has none, and only
// for a file whose data is here, do the older extraction calls try the file itself.
platform::PictureRef ShellMenu::UserIconPicture(const platform::ListedEntry& entry) {
    if (platform::PictureRef kept = iconCache_.Find(entry.path, entry.writeTime)) return kept;
    const PictureSource source = ChoosePictureSource(entry.attributes);
    platform::IconPtr icon =
        s_.icons.ShellIcon(entry.path, source.readsFile ? std::nullopt : std::optional(source.attributes));
    if (!icon && source.readsFile) {
        platform::ExtractedIcon extracted = s_.icons.ExtractFileIcon(entry.path, 0);
        if (extracted.count > 0) icon = std::move(extracted.small);
        if (!icon) icon = s_.icons.AssociatedIcon(entry.path);
    }
    if (icon) s_.picIcon.DrawIcon(*icon);
    platform::PictureRef picture = s_.picIcon.Picture();
    iconCache_.Store(entry.path, entry.writeTime, picture);
    return picture;
}

void ShellMenu::ShowPopupMenu(float x, float y, platform::MenuAnchor anchor) {
    if (!objPMn_) return;
    platform::ImageList& images = s_.ilsIcons;

    // The previous showing's entry pictures sit right behind the last fixed image.
    const std::int32_t previous = userFileCount + userFolderCount;
    for (std::int32_t n = 0; n < previous; ++n) images.Remove(images.PositionOfKey(kLastImageKey) + 1);

    objPMn_->ResetItems();
    objPMn_->LoadSavedItems(kSavedMenu);
    objPMn_->SetItemEnabled(Find(kKeyEmptyT), QueryRecycleBinFull());
    objPMn_->SetItemIcon(Find(kKeyRecycle), QueryRecycleBinFull() ? kImageRecycleFull : kImageRecycleEmpty);
    objPMn_->SetItemIcon(Find(kKeyTrashProp), QueryRecycleBinFull() ? kImageRecycleFull : kImageRecycleEmpty);

    // The user's own desktop, and the one all users share, listed as one.
    const std::string own = desktop::TrimAtNull(s_.folders.GetFolderPath(platform::kDesktopDirectoryCreate));
    const std::string shared = desktop::TrimAtNull(s_.folders.GetFolderPath(kCommonDesktopDirectory));
    std::vector<std::string> desktops = {own};
    if (!shared.empty() && shared != own) desktops.push_back(shared);
    Entries listed = ListEntries(s_.glnFile, desktops);
    auto take = [](const std::vector<platform::ListedEntry>& found, std::vector<std::string>& paths, std::int32_t& count) {
        // A search that finds nothing sets the count alone.
        if (found.empty()) {
            count = 0;
            return;
        }
        paths.clear();
        for (const platform::ListedEntry& entry : found) paths.push_back(entry.path);
        count = static_cast<std::int32_t>(paths.size());
    };
    take(listed.files, userFiles, userFileCount);
    take(listed.folders, userFolders, userFolderCount);

    const std::int32_t entries = userFileCount + userFolderCount;
    for (std::int32_t i = 1; i <= entries; ++i) {
        const bool isFile = i <= userFileCount;
        const platform::ListedEntry& entry = isFile ? listed.files[static_cast<std::size_t>(i - 1)]
                                                    : listed.folders[static_cast<std::size_t>(i - userFileCount - 1)];
        images.Add(UserIconPicture(entry), "");
        const std::string caption = PadCaption(DoubleAmpersands(EntryName(entry.path, isFile)), s_.codePage);
        const std::int32_t index = objPMn_->AppendItem(caption, "", 0, platform::kTopLevel,
                                                       images.PositionOfKey(kLastImageKey) + i - 1, false, true, "");
        objPMn_->SetItemEntry(index, entry.path, !isFile);
        s_.picIcon.Clear();
    }
    iconCache_.Sweep();

    objPMn_->SetAnchor(anchor);
    objPMn_->ShowAt(ToMenuCoordinate(x), ToMenuCoordinate(y), 0, 0, 0, 0, -1);
}

std::vector<platform::MenuEntry> ShellMenu::objPMn_FolderPopup(std::string_view folder) {
    const Entries listed = ListEntries(s_.glnFile, {std::string(folder)});
    auto note = [&](std::string_view text) {
        return std::vector<platform::MenuEntry>{{PadCaption(DoubleAmpersands(text), s_.codePage), "", false, nullptr}};
    };
    if (!listed.error.empty()) return note(listed.error);
    if (listed.files.empty() && listed.folders.empty()) return note(kEmptyFolder);
    std::vector<platform::MenuEntry> entries;
    for (const auto* run : {&listed.files, &listed.folders}) {
        const bool isFile = run == &listed.files;
        for (const platform::ListedEntry& entry : *run) {
            entries.push_back({PadCaption(DoubleAmpersands(EntryName(entry.path, isFile)), s_.codePage), entry.path,
                               !isFile, UserIconPicture(entry)});
            s_.picIcon.Clear();
        }
    }
    return entries;
}

void ShellMenu::objPMn_EntryClick(std::string_view path) {
    s_.launcher.Execute(owner_.window, "open", path, "", "", platform::kShowNormal);
}

void ShellMenu::objPMn_EntryMenu(std::string_view path, std::int32_t x, std::int32_t y) {
    s_.shell.ShowItemMenu(owner_.window, path, x, y);
}

void ShellMenu::StartApplet(std::string_view applet) {
    s_.shell.StartProcess(
        platform::BuildCommandLine({std::string(kRundll), std::string(kControlRunDll), std::string(applet)}),
        platform::kShowNormal);
}

void ShellMenu::ShowFolderProperties(std::int32_t index) {
    std::unique_ptr<platform::ShellDispatch> shell = s_.shell.CreateShellDispatch();
    if (!shell) return;
    const bool myDocuments = index == Find(kKeyMyDProp);
    std::unique_ptr<platform::ShellNameSpace> folder =
        shell->NameSpace(myDocuments ? platform::kFolderDesktop : platform::kFolderRecycleBin);

    std::unique_ptr<platform::ShellFolderItem> item;
    if (myDocuments) {
        const std::string key = ClassKey(owner_.folderClsids[kMyDocumentsFolder]);
        std::string name = desktop::ReadRegString(owner_.registry, platform::RootKey::ClassesRoot, key, "");
        if (name.empty()) {
            const std::string localized =
                desktop::ReadRegString(owner_.registry, platform::RootKey::ClassesRoot, key, "LocalizedString");
            if (localized.empty()) {
                name = kMyDocumentsFallbackName;
            } else {
                const std::size_t comma = localized.rfind(',');
                name = comma == std::string::npos ? localized : localized.substr(comma + 1);
            }
        }
        if (folder) item = folder->ParseName(name);
        if (!item) {
            if (std::unique_ptr<platform::ShellNameSpace> documents = shell->NameSpace(platform::kFolderMyDocuments)) {
                item = documents->OwnItem();
            }
        }
    } else if (folder) {
        item = folder->OwnItem();
    }
    if (!item) return;

    for (const std::unique_ptr<platform::ShellVerb>& verb : item->Verbs()) {
        if (verb->Name() == kJapanesePropertiesVerb) {
            verb->DoIt();
            return;
        }
    }
    // A shell in another language names the verb otherwise; its language-independent name
    // reaches the same command.
    item->InvokeVerb(kPropertiesVerb);
}

void ShellMenu::objPMn_Click(std::int32_t index) {
    if (!objPMn_) return;
    const std::uintptr_t owner = owner_.window;

    if (index == Find(kKeyScreenProp)) {
        StartApplet(kDisplayApplet);
        return;
    }
    if (index == Find(kKeyShowDesktop)) {
        std::unique_ptr<platform::ShellDispatch> shell = s_.shell.CreateShellDispatch();
        if (!shell) return;
        if (desktopMinimized) {
            shell->UndoMinimizeALL();
        } else {
            shell->MinimizeAll();
        }
        desktopMinimized = !desktopMinimized;
        return;
    }
    if (Find(kKeyMyCom) <= index && index <= Find(kKeyRecycle)) {
        const auto k = static_cast<std::size_t>(index - Find(kKeyMyCom));
        s_.launcher.Execute(owner, "open", kExplorer, "::" + owner_.folderClsids[k], "", platform::kShowNormal);
        return;
    }
    if (Find(kKeyMyCProp) <= index && index <= Find(kKeyTrashProp)) {
        const auto k = static_cast<std::size_t>(index - Find(kKeyMyCProp));
        std::string applet = owner_.folderApplets[k];
        if (applet.find(kAppletExtension) != std::string::npos) {
            if (applet == kOldNetworkApplet && !s_.shell.FileExists(s_.shell.SystemFolder() + "\\" + applet)) {
                applet = kNetworkConnectionsApplet;
            }
            StartApplet(applet);
        } else {
            ShowFolderProperties(index);
        }
        return;
    }
    if (index == Find(kKeyEmptyT)) {
        s_.shell.EmptyRecycleBin(owner, "", 0);
        return;
    }

    const std::int32_t j = index - Find(kKeyUserIcon);
    if (j < 1) return;
    std::string path;
    if (j <= userFileCount) {
        const auto at = static_cast<std::size_t>(j - 1);
        if (at >= userFiles.size()) return;
        path = userFiles[at];
    } else {
        const auto at = static_cast<std::size_t>(j - userFileCount - 1);
        if (j - userFileCount > userFolderCount || at >= userFolders.size()) return;
        path = userFolders[at];
    }
    s_.launcher.Execute(owner, "open", path, "", "", platform::kShowNormal);
}

}  // namespace lumbra::menu
