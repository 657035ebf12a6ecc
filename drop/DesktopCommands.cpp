#include "drop/DesktopCommands.h"

#include <algorithm>
#include <memory>

#include "drop/DropNames.h"

namespace lumbra::drop {
namespace {

using platform::DropOutcome;
using platform::FileResult;
using platform::ItemFacts;
using platform::TransferKind;

constexpr std::string_view kNoDesktopFolder = "デスクトップ フォルダーが見つかりません。";
// A message names this many items at most and counts the rest.
constexpr std::size_t kNamesListed = 10;
// Passing names tried beside one destination before the last is taken whatever it holds.
constexpr int kTempNamesTried = 100;

// Done: the item is at its destination (and for a move, gone from its source). Kept: a move
// copied it but left its source, wholly or in part.
enum class Outcome { Done, Kept, Skipped, Cancelled, Failed };

struct Step {
    Outcome outcome = Outcome::Done;
    std::string error;

    static Step From(const FileResult& r) { return r.ok() ? Step{} : Step{Outcome::Failed, r.error}; }
    static Step Fail(std::string error) { return {Outcome::Failed, std::move(error)}; }
};

bool SameText(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

void ReportError(platform::MessageBoxes& boxes, std::string_view description) {
    boxes.MsgBox(description, platform::kMsgBoxOkOnly | platform::kMsgBoxExclamation, kAppTitle);
}

bool Ask(platform::MessageBoxes& boxes, std::string_view name) {
    return boxes.MsgBox(OverwriteQuestion(name), platform::kMsgBoxYesNo | platform::kMsgBoxQuestion, kOverwriteTitle) ==
           platform::kMsgBoxYes;
}

// A heading, then one path a line.
std::string NameList(std::string_view heading, const std::vector<std::string>& paths) {
    std::string text(heading);
    for (std::size_t i = 0; i < paths.size() && i < kNamesListed; ++i) text += "\r\n" + paths[i];
    if (paths.size() > kNamesListed) text += "\r\nほか " + std::to_string(paths.size() - kNamesListed) + " 個";
    return text;
}

void Append(std::string& text, std::string_view more) {
    if (more.empty()) return;
    if (!text.empty()) text += "\r\n\r\n";
    text += more;
}

// A name beside `to` where nothing is: new content is written there first, so that a failure
// half-way never touches what stands at `to`.
std::string TempBeside(platform::FileSystem& fs, std::string_view to) {
    const std::string_view folder = ParentFolder(to);
    ItemFacts facts;
    for (int n = 1;; ++n) {
        std::string name = TempName(folder, n);
        if (n == kTempNamesTried || !fs.Facts(name, facts).ok()) return name;
    }
}

// A file just written may be held for a moment (a virus scanner reads it): a second try.
void Discard(platform::FileSystem& fs, std::string_view temp) {
    if (!fs.DeleteFileAt(temp).ok()) fs.DeleteFileAt(temp);
}

// Replaces only what the user agreed to replace; otherwise anything at `to` makes it fail.
FileResult PutInPlace(platform::FileSystem& fs, std::string_view temp, std::string_view to, bool replace) {
    FileResult r = replace ? fs.ReplaceFileAt(temp, to) : fs.Rename(temp, to);
    if (!r.ok()) Discard(fs, temp);
    return r;
}

class Transfer {
public:
    Transfer(const DropServices& s, TransferKind kind, platform::TransferProgress& progress)
        : s_(s), fs_(s.files), kind_(kind), progress_(progress) {}

    Step Item(const std::string& path, const std::string& folder) {
        // A root would come with an empty name and pour a whole drive into the desktop folder.
        if (IsRoot(path))
            return Step::Fail(Worded("「" + path + "」はドライブまたは共有フォルダーのルートなので、",
                                     "コピーできません。", "移動できません。"));
        ItemFacts facts;
        FileResult read = fs_.Facts(path, facts);
        if (!read.ok()) return Step::From(read);
        const std::string_view name = ItemName(path);
        const std::string destination = InFolder(folder, name);

        // Copying or moving an item onto itself would truncate it, and a folder into itself
        // would never end: both are refused before anything is touched.
        const std::string quoted = "「" + std::string(name) + "」";
        if (fs_.SameItem(path, destination)) {
            return Step::Fail(Worded(quoted + "は", "コピー元とコピー先が同じです。", "移動元と移動先が同じです。"));
        }
        if (facts.Folder() && !facts.link && InsideItself(path, folder)) {
            return Step::Fail(Worded(quoted + "の", "コピー先はコピー元のフォルダーの中にあります。",
                                     "移動先は移動元のフォルダーの中にあります。"));
        }
        progress_.Item(path, destination);
        return kind_ == TransferKind::Copy ? Copy(path, destination, name, facts) : Move(path, destination, facts);
    }

    // What the user is told at the end besides an error: links left out, sources left behind.
    std::string Notes() const {
        std::string text;
        if (!leftOut_.empty()) {
            Append(text,
                   NameList(kind_ == TransferKind::Copy
                                ? "次のリンクは作れなかったため、コピーしていません（リンクの先はコピーしません）。"
                                : "次のリンクは移動先に作れなかったため、移動元をそのまま残しました。",
                            leftOut_));
        }
        if (!remains_.empty()) {
            Append(
                text,
                NameList("デスクトップへのコピーは完了しましたが、次の移動元の項目は削除できなかったため残っています。",
                         remains_));
        }
        return text;
    }

private:
    std::string Worded(std::string text, std::string_view copy, std::string_view move) const {
        text += kind_ == TransferKind::Copy ? copy : move;
        return text;
    }

    // Whether the folder the items go to is `source` or lies somewhere inside it.
    bool InsideItself(std::string_view source, std::string_view folder) {
        for (std::string_view p = folder; !p.empty(); p = ParentFolder(p)) {
            if (fs_.SameItem(p, source)) return true;
        }
        return false;
    }

    bool Asked(std::string_view name) {
        const bool yes = Ask(s_.boxes, name);
        progress_.Answered();
        return yes;
    }

    // A file of the same name is replaced, and a folder merged into, once the user agrees;
    // an item of the other kind in the way makes the copy fail with the system's own reason.
    Step Copy(const std::string& from, const std::string& to, std::string_view name, const ItemFacts& facts) {
        if (facts.link) return CopyLinkItem(from, to, facts) ? Step{} : Step{Outcome::Skipped, {}};
        ItemFacts there;
        const bool sameKind = fs_.Facts(to, there).ok() && there.Folder() == facts.Folder() && !there.link;
        if (sameKind && !Asked(name)) return {Outcome::Skipped, {}};
        if (!facts.Folder()) return Step::From(PlaceCopy(from, to, sameKind));
        if (!sameKind) {
            Step made = Step::From(fs_.CreateFolder(to, from));
            if (made.outcome != Outcome::Done) return made;
        }
        return CopyContents(from, to, sameKind);
    }

    FileResult PlaceCopy(const std::string& from, const std::string& to, bool replace) {
        const std::string temp = TempBeside(fs_, to);
        FileResult copied = fs_.CopyFileTo(from, temp, &progress_);
        if (!copied.ok()) {
            Discard(fs_, temp);
            return copied;
        }
        return PutInPlace(fs_, temp, to, replace);
    }

    // Links are never followed: one to an ancestor would copy for ever. The link itself is made
    // again where the system allows it; otherwise it is left out and named at the end.
    bool CopyLinkItem(const std::string& from, const std::string& to, const ItemFacts& facts) {
        if (!fs_.CopyLink(from, to).ok()) {
            leftOut_.push_back(from);
            return false;
        }
        copied_.push_back({from, facts});
        return true;
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
            if (entry.facts.link) {
                CopyLinkItem(child, target, entry.facts);
                continue;
            }
            ItemFacts there;
            const bool occupied = merge && fs_.Facts(target, there).ok() && !there.link;
            if (entry.facts.Folder()) {
                const bool into = occupied && there.Folder();
                if (!into) {
                    Step made = Step::From(fs_.CreateFolder(target, child));
                    if (made.outcome != Outcome::Done) return made;
                }
                copied_.push_back({child, entry.facts});
                Step inner = CopyContents(child, target, into);
                if (inner.outcome != Outcome::Done) return inner;
            } else {
                progress_.Item(child, target);
                Step placed = Step::From(PlaceCopy(child, target, occupied && !there.Folder()));
                if (placed.outcome != Outcome::Done) return placed;
                copied_.push_back({child, entry.facts});
            }
        }
        return {};
    }

    Step Move(const std::string& from, const std::string& to, const ItemFacts& facts) {
        if (SameText(fs_.VolumeRoot(from), fs_.VolumeRoot(to))) {
            FileResult renamed = fs_.Rename(from, to);
            if (renamed.status != FileResult::Status::OtherVolume) return Step::From(renamed);
        }
        // Across volumes a move is a copy, and then the source goes as far as it was copied and
        // is unchanged since. A failed or cancelled copy is taken away again.
        copied_.clear();
        const std::size_t leftBefore = leftOut_.size();
        if (facts.link) {
            if (!CopyLinkItem(from, to, facts)) return {Outcome::Skipped, {}};
        } else if (facts.Folder()) {
            Step made = Step::From(fs_.CreateFolder(to, from));
            if (made.outcome != Outcome::Done) return made;
            copied_.push_back({from, facts});
            Step step = CopyContents(from, to, false);
            if (step.outcome != Outcome::Done) {
                RemoveTree(to);
                return step;
            }
        } else {
            Step placed = Step::From(PlaceCopy(from, to, false));
            if (placed.outcome != Outcome::Done) return placed;
            copied_.push_back({from, facts});
        }
        // A copy that left a link out is no move: the whole source stays.
        if (leftOut_.size() != leftBefore) return {Outcome::Kept, {}};
        return RemoveCopied() ? Step{} : Step{Outcome::Kept, {}};
    }

    struct Copied {
        std::string path;
        ItemFacts facts;
    };

    // Children were recorded after their folder, so the reverse order empties a folder before
    // it is removed. What cannot go, or changed since it was copied, stays and is named.
    bool RemoveCopied() {
        bool all = true;
        for (auto it = copied_.rbegin(); it != copied_.rend(); ++it) {
            if (!RemoveSource(*it)) {
                remains_.push_back(it->path);
                all = false;
            }
        }
        return all;
    }

    bool RemoveSource(const Copied& item) {
        ItemFacts now;
        if (!fs_.Facts(item.path, now).ok()) return false;
        if (item.facts.link) {
            return now.link && (now.Folder() ? fs_.RemoveFolder(item.path) : fs_.DeleteFileAt(item.path)).ok();
        }
        if (item.facts.Folder()) return now.Folder() && fs_.RemoveFolder(item.path).ok();
        const bool unchanged =
            !now.Folder() && !now.link && now.size == item.facts.size && now.writeTime == item.facts.writeTime;
        return unchanged && fs_.DeleteFileAt(item.path).ok();
    }

    // Takes away a copy that did not complete: a folder this command made, links removed as
    // links. What cannot go stays; the source is whole either way.
    void RemoveTree(const std::string& folder) {
        std::vector<platform::FolderEntry> entries;
        if (fs_.ListFolder(folder, entries).ok()) {
            for (const platform::FolderEntry& entry : entries) {
                const std::string child = InFolder(folder, entry.name);
                if (!entry.facts.Folder()) {
                    fs_.DeleteFileAt(child);
                } else if (entry.facts.link) {
                    fs_.RemoveFolder(child);
                } else {
                    RemoveTree(child);
                }
            }
        }
        fs_.RemoveFolder(folder);
    }

    const DropServices& s_;
    platform::FileSystem& fs_;
    TransferKind kind_;
    platform::TransferProgress& progress_;
    std::vector<Copied> copied_;
    std::vector<std::string> leftOut_;
    std::vector<std::string> remains_;
};

}  // namespace

DropOutcome TransferToDesktop(const DropServices& services, TransferKind kind, std::vector<std::string> items) {
    const std::string folder = services.folders.GetFolderPath(platform::kDesktopDirectoryCreate);
    // Without it every destination would land in the root of the current drive.
    if (folder.empty()) {
        ReportError(services.boxes, kNoDesktopFolder);
        return DropOutcome::Nothing;
    }
    std::unique_ptr<platform::TransferProgress> progress = services.progress.Begin(kind);
    Transfer transfer(services, kind, *progress);
    std::string text;
    bool ended = true;  // every item was handled
    bool done = false;  // something reached the desktop folder
    bool moved = true;  // every item left its source
    for (const std::string& item : items) {
        if (progress->Cancelled()) {
            ended = false;
            break;
        }
        Step step = transfer.Item(item, folder);
        if (step.outcome == Outcome::Cancelled || step.outcome == Outcome::Failed) {
            text = step.error;
            ended = false;
            break;
        }
        done = done || step.outcome == Outcome::Done || step.outcome == Outcome::Kept;
        moved = moved && step.outcome == Outcome::Done;
    }
    // The progress window goes before the message, so that the message is not behind it.
    progress.reset();
    Append(text, transfer.Notes());
    if (!text.empty()) ReportError(services.boxes, text);
    if (!ended || !done) return DropOutcome::Nothing;
    return kind == TransferKind::Move && moved ? DropOutcome::Moved : DropOutcome::Copied;
}

DropOutcome CreateDesktopShortcuts(const DropServices& services, std::vector<std::string> items) {
    const std::string folder = services.folders.GetFolderPath(platform::kDesktopDirectoryCreate);
    if (folder.empty()) {
        ReportError(services.boxes, kNoDesktopFolder);
        return DropOutcome::Nothing;
    }
    std::string error;
    std::unique_ptr<platform::ShortcutShell> shell = services.links.CreateShell(error);
    if (!shell) {
        ReportError(services.boxes, error);
        return DropOutcome::Nothing;
    }
    platform::FileSystem& fs = services.files;
    bool made = false;
    for (const std::string& item : items) {
        const std::string fileName = ShortcutFileName(ItemName(item));
        const std::string path = InFolder(folder, fileName);
        // A folder of that name is not asked about: putting the shortcut in its place fails.
        ItemFacts there;
        const bool replace = fs.Facts(path, there).ok() && !there.Folder();
        if (replace && !Ask(services.boxes, fileName)) continue;
        // The target is the item as it was dropped.
        const std::string temp = TempBeside(fs, path);
        FileResult saved = shell->SaveShortcut(temp, item, replace ? std::string_view(path) : std::string_view());
        if (saved.ok()) {
            saved = PutInPlace(fs, temp, path, replace);
        } else {
            Discard(fs, temp);
        }
        if (!saved.ok()) {
            ReportError(services.boxes, saved.error);
            return DropOutcome::Nothing;
        }
        made = true;
    }
    return made ? DropOutcome::Linked : DropOutcome::Nothing;
}

}  // namespace lumbra::drop
