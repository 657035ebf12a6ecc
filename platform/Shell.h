#pragma once
// The Windows shell as the popup menu's commands use it: starting programs, the shell's
// automation objects, the recycle bins, drives, files. (Files are opened through
// platform/ShellLauncher.h, special folders found through platform/ShellFolder.h.)
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ShellLauncher.h"

namespace lumbra::platform {

// Folder numbers of the shell.
enum ShellFolderNumber : std::int32_t {
    kFolderDesktop = 0,
    kFolderMyDocuments = 5,
    kFolderRecycleBin = 10,
};

enum class DriveType : std::uint32_t {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// What a recycle bin holds.
struct RecycleBinInfo {
    std::int64_t size = 0;   // bytes
    std::int64_t items = 0;
};

struct WindowsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// A verb of a folder item (FolderItemVerb).
class ShellVerb {
public:
    virtual ~ShellVerb() = default;
    virtual std::string Name() = 0;
    virtual void DoIt() = 0;
};

// An item of a shell folder (FolderItem).
class ShellFolderItem {
public:
    virtual ~ShellFolderItem() = default;
    // The Verbs collection, in its order.
    virtual std::vector<std::unique_ptr<ShellVerb>> Verbs() = 0;
    // Runs a verb by its language-independent name ("open", "properties", ...).
    virtual bool InvokeVerb(std::string_view canonicalName) = 0;
};

// A shell folder as NameSpace gives it (Folder).
class ShellNameSpace {
public:
    virtual ~ShellNameSpace() = default;
    // nullptr when the folder has no item of that name.
    virtual std::unique_ptr<ShellFolderItem> ParseName(std::string_view name) = 0;
    // The folder's own item: Items().Item() with its argument left out. nullptr when none.
    virtual std::unique_ptr<ShellFolderItem> OwnItem() = 0;
};

// The Shell automation object (IShellDispatch), made for one command and released after it.
class ShellDispatch {
public:
    virtual ~ShellDispatch() = default;
    virtual void MinimizeAll() = 0;
    virtual void UndoMinimizeALL() = 0;
    // nullptr when the shell has no such folder.
    virtual std::unique_ptr<ShellNameSpace> NameSpace(std::int32_t folder) = 0;
};

class Shell {
public:
    virtual ~Shell() = default;

    // A new process from a command line (program name first), its window shown as show says.
    // False when it could not be started.
    virtual bool StartProcess(std::string_view commandLine, std::int32_t show) = 0;
    // nullptr when the object cannot be created.
    virtual std::unique_ptr<ShellDispatch> CreateShellDispatch() = 0;

    // root "" asks for every bin of every drive, "C:\" for one drive's. False when the query
    // failed; info is then left as it was.
    virtual bool QueryRecycleBin(std::string_view root, RecycleBinInfo& info) = 0;
    // root "" empties every bin. flags: 0 lets the shell confirm, show progress and play its sound.
    virtual void EmptyRecycleBin(std::uintptr_t owner, std::string_view root, std::uint32_t flags) = 0;
    virtual DriveType GetDriveType(std::string_view root) = 0;

    // The system folder ("C:\Windows\system32"), without a trailing separator.
    virtual std::string SystemFolder() = 0;
    virtual bool FileExists(std::string_view path) = 0;
    // The shell's own menu of a file or folder (its context menu, from its parent folder) at the
    // screen point; the chosen command runs as the desktop runs it. Returns when it is done.
    virtual void ShowItemMenu(std::uintptr_t owner, std::string_view path, std::int32_t x, std::int32_t y) = 0;

    // The version the system reports to this program; all zero when it cannot be read.
    virtual WindowsVersion Version() = 0;
};

}  // namespace lumbra::platform
