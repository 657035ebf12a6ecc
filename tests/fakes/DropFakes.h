#pragma once
// In-memory stand-ins for what the file-drop commands talk to: a small file system of drives
// with files and folders, scripted message boxes, a shortcut writer, a progress window whose
// cancel button a test presses, and the desktop folder lookup.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "drop/DesktopCommands.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Progress.h"
#include "platform/ShellFolder.h"
#include "platform/ShellLink.h"

namespace lumbra::fakes {

// Paths are compared without regard to ASCII case, like Windows does; the volume is the drive
// letter.
class DropFakeFileSystem final : public platform::FileSystem {
public:
    struct Node {
        bool folder = false;
        std::string content;
        std::uint32_t attributes = 0;
    };

    DropFakeFileSystem();

    // Set-up: folders are made along the way.
    void AddFolder(const std::string& path, std::uint32_t attributes = 0);
    void AddFile(const std::string& path, const std::string& content, std::uint32_t attributes = 0);
    // A link to a folder (a junction): listed as a folder with the reparse bit, and its listing is
    // the listing of its target.
    void AddFolderLink(const std::string& path, const std::string& target);

    // Failure injection: copying from, deleting or renaming this path fails with `error`.
    std::map<std::string, std::string> failCopyFrom;
    std::map<std::string, std::string> failDelete;
    std::map<std::string, std::string> failRename;

    // Inspection.
    std::optional<Node> At(const std::string& path) const;
    bool Has(const std::string& path) const { return At(path).has_value(); }
    std::string Content(const std::string& path) const;
    // Every path under the folder (not itself), relative, with "/" for a folder.
    std::vector<std::string> Tree(const std::string& folder) const;
    // Mutating calls in order: "copy A -> B", "rename A -> B", "mkdir A", "delete A", "rmdir A".
    std::vector<std::string> log;

    platform::FileResult GetAttributes(std::string_view path, std::uint32_t& attributes) override;
    bool Exists(std::string_view path) override;
    bool FileExists(std::string_view path) override;
    bool SameItem(std::string_view a, std::string_view b) override;
    std::string VolumeRoot(std::string_view path) override;
    platform::FileResult ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) override;
    platform::FileResult CreateFolder(std::string_view path, std::string_view like) override;
    platform::FileResult CopyFileTo(std::string_view from, std::string_view to, bool replace,
                                  platform::CopyProgress* progress) override;
    platform::FileResult Rename(std::string_view from, std::string_view to) override;
    platform::FileResult DeleteFileAt(std::string_view path) override;
    platform::FileResult RemoveFolder(std::string_view path) override;

    // Called after every successful file copy, with the destination (lets a test press cancel).
    std::function<void(const std::string&)> afterCopy;

private:
    static std::string Key(std::string_view path);
    std::string Resolve(std::string_view path) const;  // through folder links
    static std::string Parent(const std::string& key);

    std::map<std::string, Node> nodes_;               // by key
    std::map<std::string, std::string> spelling_;     // key -> path as created
    std::map<std::string, std::string> links_;        // key of a link -> key of its target
};

// Message boxes answered from a script, each one recorded.
class DropFakeMessageBoxes final : public platform::MessageBoxes {
public:
    struct Box {
        std::string prompt;
        int style;
        std::string title;
    };
    std::vector<Box> shown;
    // Answers for the questions (style with Yes/No), in order; Yes when the script runs out.
    std::vector<int> answers;
    // Called when a box shows, before it is answered.
    std::function<void(const Box&)> onShow;

    int MsgBox(std::string_view prompt, int style, std::string_view title) override;

private:
    std::size_t next_ = 0;
};

class DropFakeShellFolder final : public platform::ShellFolder {
public:
    std::string desktop = "C:\\Users\\me\\Desktop";
    std::map<std::int32_t, std::string> others;  // other folders by identifier; the desktop for the rest
    std::vector<std::int32_t> asked;
    std::string GetFolderPath(std::int32_t folder) override {
        asked.push_back(folder);
        return others.count(folder) ? others.at(folder) : desktop;
    }
};

// Shortcuts written into the fake file system as files whose content is "link:" + target; a
// folder in the way, or a read-only file, makes saving fail like the real writer.
class DropFakeShellLinks final : public platform::ShellLinks {
public:
    explicit DropFakeShellLinks(DropFakeFileSystem& fs) : fs_(fs) {}
    bool unavailable = false;
    int shellsCreated = 0;
    std::vector<std::string> saved;  // paths in order
    std::unique_ptr<platform::ShortcutShell> CreateShell(std::string& error) override;

private:
    DropFakeFileSystem& fs_;
};

// A progress window whose cancel button is pressed after a number of announced items, or by hand.
class DropFakeProgressWindows final : public platform::ProgressWindows {
public:
    int begun = 0;
    bool cancelled = false;
    int cancelAfterItems = -1;
    int answered = 0;  // questions the user answered while a command ran
    std::vector<std::string> items;  // "from -> to" as announced
    std::unique_ptr<platform::TransferProgress> Begin(platform::TransferKind kind) override;
    std::optional<platform::TransferKind> lastKind;
};

// All of them, wired into the services the commands take.
struct DropWorld {
    DropFakeFileSystem fs;
    DropFakeMessageBoxes boxes;
    DropFakeShellFolder folders;
    DropFakeShellLinks links{fs};
    DropFakeProgressWindows progress;
    drop::DropServices services{folders, fs, boxes, links, progress};
};

}  // namespace lumbra::fakes
