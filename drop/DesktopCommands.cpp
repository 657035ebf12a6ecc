#include "drop/DesktopCommands.h"

#include <algorithm>
#include <memory>

#include "drop/DropNames.h"

namespace lumbra::drop {
namespace {

using platform::FileResult;
using platform::TransferKind;

constexpr std::string_view kNoDesktopFolder = "デスクトップ フォルダーが見つかりません。";

enum class Outcome { Done, Skipped, Cancelled, Failed };

struct Step {
    Outcome outcome = Outcome::Done;
    std::string error;

    static Step From(const FileResult& r) { return r.ok() ? Step{} : Step{Outcome::Failed, r.error}; }
    static Step Fail(std::string error) { return {Outcome::Failed, std::move(error)}; }
};

bool SameText(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(x) == lower(y);
           });
}

class Transfer {
public:
    Transfer(const DropServices& s, TransferKind kind, platform::TransferProgress& progress)
        : s_(s), fs_(s.files), kind_(kind), progress_(progress) {}

    Step Item(const std::string& path, const std::string& folder) {
        std::uint32_t attributes = 0;
        FileResult read = fs_.GetAttributes(path, attributes);
        if (!read.ok()) return Step::From(read);
        const bool isFolder = (attributes & platform::kAttrDirectory) != 0;
        const std::string_view name = ItemName(path);
        const std::string destination = InFolder(folder, name);

        // Copying or moving an item onto itself would truncate it, and a folder into itself
        // would never end: both are refused before anything is touched.
        if (fs_.SameItem(path, destination)) return Step::Fail(SameItemText(name));
        if (isFolder && InsideItself(path, folder)) return Step::Fail(InsideItselfText(name));

        progress_.Item(path, destination);
        if (kind_ == TransferKind::Copy) return isFolder ? CopyFolderItem(path, destination, name) : CopyFileItem(path, destination, name);
        return isFolder ? MoveFolderItem(path, destination) : MoveFileItem(path, destination);
    }

private:
    std::string SameItemText(std::string_view name) const {
        std::string text = "「" + std::string(name) + "」は";
        text += kind_ == TransferKind::Copy ? "コピー元とコピー先が同じです。" : "移動元と移動先が同じです。";
        return text;
    }

    std::string InsideItselfText(std::string_view name) const {
        std::string text = "「" + std::string(name) + "」の";
        text += kind_ == TransferKind::Copy ? "コピー先はコピー元のフォルダーの中にあります。"
                                            : "移動先は移動元のフォルダーの中にあります。";
        return text;
    }

    // Whether the folder the items go to is `source` or lies somewhere inside it.
    bool InsideItself(std::string_view source, std::string_view folder) {
        std::string_view p = folder;
        while (!p.empty()) {
            if (fs_.SameItem(p, source)) return true;
            const std::string_view up = ParentFolder(p);
            if (up == p) break;
            p = up;
        }
        return false;
    }

    bool Ask(std::string_view name) {
        const int answer = s_.boxes.MsgBox(OverwriteQuestion(name), platform::kMsgBoxYesNo | platform::kMsgBoxQuestion,
                                           kOverwriteTitle);
        progress_.Answered();
        return answer == platform::kMsgBoxYes;
    }

    // What already stands at `to`: nothing, an item of the same kind (which the copy may replace
    // or merge into, once the user agrees), or one of the other kind, which it can never replace.
    enum class InTheWay { Nothing, SameKind, OtherKind };
    InTheWay Occupant(const std::string& to, bool folder) {
        std::uint32_t attributes = 0;
        if (!fs_.GetAttributes(to, attributes).ok()) return InTheWay::Nothing;
        const bool isFolder = (attributes & platform::kAttrDirectory) != 0;
        return isFolder == folder ? InTheWay::SameKind : InTheWay::OtherKind;
    }

    // A file copies over a file of the same name once the user agrees; a folder in its way makes
    // the copy fail with the system's own reason, without a question no answer could satisfy.
    Step CopyFileItem(const std::string& from, const std::string& to, std::string_view name) {
        const bool replace = Occupant(to, false) == InTheWay::SameKind;
        if (replace && !Ask(name)) return {Outcome::Skipped, {}};
        return Step::From(fs_.CopyFileTo(from, to, replace, &progress_));
    }

    // A folder merges into a folder of the same name once the user agrees; a file in its way
    // makes creating the folder fail, which is reported, even for an empty folder.
    Step CopyFolderItem(const std::string& from, const std::string& to, std::string_view name) {
        const bool merge = Occupant(to, true) == InTheWay::SameKind;
        if (merge && !Ask(name)) return {Outcome::Skipped, {}};
        if (!merge) {
            Step made = Step::From(fs_.CreateFolder(to, from));
            if (made.outcome != Outcome::Done) return made;
        }
        return CopyContents(from, to, merge);
    }

    // Copies what is inside `from` into the folder `to`, which exists. Merging replaces files
    // of the same name and goes into folders of the same name; otherwise everything at the
    // destination is new and nothing there may be replaced.
    Step CopyContents(const std::string& from, const std::string& to, bool merge) {
        std::vector<platform::FolderEntry> entries;
        Step listed = Step::From(fs_.ListFolder(from, entries));
        if (listed.outcome != Outcome::Done) return listed;
        // A fixed order makes a run repeatable: which files are done when it stops.
        std::sort(entries.begin(), entries.end(),
                  [](const platform::FolderEntry& a, const platform::FolderEntry& b) { return a.name < b.name; });
        for (const platform::FolderEntry& entry : entries) {
            if (progress_.Cancelled()) return {Outcome::Cancelled, {}};
            const std::string child = InFolder(from, entry.name);
            const std::string target = InFolder(to, entry.name);
            if (entry.attributes & platform::kAttrDirectory) {
                bool into = false;
                std::uint32_t existing = 0;
                if (merge && fs_.GetAttributes(target, existing).ok() && (existing & platform::kAttrDirectory)) into = true;
                if (!into) {
                    Step made = Step::From(fs_.CreateFolder(target, child));
                    if (made.outcome != Outcome::Done) return made;
                }
                Step inner = CopyContents(child, target, merge && into);
                if (inner.outcome != Outcome::Done) return inner;
            } else {
                progress_.Item(child, target);
                Step copied = Step::From(fs_.CopyFileTo(child, target, merge, &progress_));
                if (copied.outcome != Outcome::Done) return copied;
            }
        }
        return {};
    }

    bool SameVolume(std::string_view a, std::string_view b) {
        return SameText(fs_.VolumeRoot(a), fs_.VolumeRoot(b));
    }

    Step MoveFileItem(const std::string& from, const std::string& to) {
        if (SameVolume(from, to)) {
            FileResult renamed = fs_.Rename(from, to);
            if (renamed.status != FileResult::Status::OtherVolume) return Step::From(renamed);
        }
        // Across volumes a move is a copy and a delete; the source goes only once the copy is
        // complete, and stays when it cannot be deleted.
        Step copied = Step::From(fs_.CopyFileTo(from, to, false, &progress_));
        if (copied.outcome != Outcome::Done) return copied;
        FileResult deleted = fs_.DeleteFileAt(from);
        if (!deleted.ok()) {
            fs_.DeleteFileAt(to);
            return Step::From(deleted);
        }
        return {};
    }

    Step MoveFolderItem(const std::string& from, const std::string& to) {
        if (SameVolume(from, to)) {
            FileResult renamed = fs_.Rename(from, to);
            if (renamed.status != FileResult::Status::OtherVolume) return Step::From(renamed);
        }
        // Across volumes: the whole folder is copied first. Only a complete copy lets the
        // source go; a failed or cancelled one is taken away again and the source stays as it
        // was.
        Step made = Step::From(fs_.CreateFolder(to, from));
        if (made.outcome != Outcome::Done) return made;
        Step copied = CopyContents(from, to, false);
        if (copied.outcome != Outcome::Done) {
            RemoveTree(to);
            return copied;
        }
        return Step::From(RemoveTree(from));
    }

    // Deletes a folder with everything in it. Links to folders are removed as links: what they
    // lead to is not part of the folder.
    FileResult RemoveTree(const std::string& folder) {
        std::uint32_t attributes = 0;
        FileResult read = fs_.GetAttributes(folder, attributes);
        if (!read.ok()) return read;
        if (!(attributes & platform::kAttrReparsePoint)) {
            std::vector<platform::FolderEntry> entries;
            FileResult listed = fs_.ListFolder(folder, entries);
            if (!listed.ok()) return listed;
            for (const platform::FolderEntry& entry : entries) {
                const std::string child = InFolder(folder, entry.name);
                FileResult r;
                if (!(entry.attributes & platform::kAttrDirectory)) {
                    r = fs_.DeleteFileAt(child);
                } else if (entry.attributes & platform::kAttrReparsePoint) {
                    r = fs_.RemoveFolder(child);
                } else {
                    r = RemoveTree(child);
                }
                if (!r.ok()) return r;
            }
        }
        return fs_.RemoveFolder(folder);
    }

    const DropServices& s_;
    platform::FileSystem& fs_;
    TransferKind kind_;
    platform::TransferProgress& progress_;
};

void ReportError(platform::MessageBoxes& boxes, std::string_view description) {
    boxes.MsgBox(description, platform::kMsgBoxOkOnly | platform::kMsgBoxExclamation, kAppTitle);
}

}  // namespace

void TransferToDesktop(const DropServices& services, TransferKind kind, std::vector<std::string> items) {
    const std::string folder = services.folders.GetFolderPath(platform::kDesktopDirectoryCreate);
    // Without it every destination would land in the root of the current drive.
    if (folder.empty()) {
        ReportError(services.boxes, kNoDesktopFolder);
        return;
    }
    std::unique_ptr<platform::TransferProgress> progress = services.progress.Begin(kind);
    Transfer transfer(services, kind, *progress);
    const std::size_t count = items.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (progress->Cancelled()) return;
        Step step = transfer.Item(items[i], folder);
        if (step.outcome == Outcome::Cancelled) return;
        if (step.outcome == Outcome::Failed) {
            // The progress window goes before the message, so that the message is not behind it.
            progress.reset();
            ReportError(services.boxes, step.error);
            return;
        }
    }
}

void CreateDesktopShortcuts(const DropServices& services, std::vector<std::string> items) {
    const std::string folder = services.folders.GetFolderPath(platform::kDesktopDirectoryCreate);
    if (folder.empty()) {
        ReportError(services.boxes, kNoDesktopFolder);
        return;
    }
    std::string error;
    std::unique_ptr<platform::ShortcutShell> shell = services.links.CreateShell(error);
    if (!shell) {
        ReportError(services.boxes, error);
        return;
    }
    const std::size_t count = items.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string fileName = ShortcutFileName(ItemName(items[i]));
        const std::string path = InFolder(folder, fileName);
        if (services.files.FileExists(path)) {
            const int answer = services.boxes.MsgBox(OverwriteQuestion(fileName),
                                                     platform::kMsgBoxYesNo | platform::kMsgBoxQuestion,
                                                     kOverwriteTitle);
            if (answer != platform::kMsgBoxYes) continue;
        }
        FileResult saved = shell->SaveShortcut(path, items[i]);
        if (!saved.ok()) {
            ReportError(services.boxes, saved.error);
            return;
        }
    }
}

}  // namespace lumbra::drop
