// The file commands on real files in a throwaway Wine prefix, for what an in-memory file system
// cannot show: names the old path rules would change, paths past 260 characters, replacing
// through a passing file, a second volume (drive L: of the test prefixes); and the drop target
// with a source that waits for the outcome.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/DropDataObject.h"
#include "drop/DesktopCommands.h"
#include "fakes/DropFakes.h"
#include "platform/win32/DropTarget.h"
#include "platform/win32/FileSystem.h"
#include "platform/win32/Handles.h"
#include "platform/win32/ShellLinks.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using platform::DropOutcome;
using Texts = std::vector<std::string>;

// The test's own file access, every path spelt out exactly.
unique_file Open(const std::string& path, DWORD access, DWORD share, DWORD how, DWORD attributes = 0) {
    return unique_file(::CreateFileW(Widen("\\\\?\\" + path).c_str(), access, share, nullptr, how, attributes, nullptr));
}

void Put(const std::string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    for (std::size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
        ::CreateDirectoryW(Widen("\\\\?\\" + path.substr(0, slash)).c_str(), nullptr);
    }
    DWORD written = 0;
    unique_file file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, attributes);
    ASSERT_TRUE(file && ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(Widen("\\\\?\\" + path).c_str()); }

class FileDrop : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        files.CreateFolder("C:\\lumbra-drop", "");
        files.CreateFolder(desk, "");
        folder.desktop = desk;
    }
    void TearDown() override {
        for (const char* root : {"C:\\lumbra-drop", "L:\\lumbra-drop"}) Tree(root, true);
    }
    // What is under the folder, as "relative path=content" or "relative path/"; or takes it away.
    Texts Tree(const std::string& folder, bool clear = false, const std::string& prefix = "") {
        Texts out;
        std::vector<platform::FolderEntry> entries;
        files.ListFolder(folder, entries);
        for (const auto& e : entries) {
            const std::string path = folder + "\\" + e.name;
            char buffer[64];
            DWORD got = 0;
            if (!e.facts.Folder()) {
                ::ReadFile(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).get(), buffer, sizeof buffer, &got, nullptr);
            }
            out.push_back(prefix + e.name + (e.facts.Folder() ? "/" : "=" + std::string(buffer, got)));
            const Texts inner = e.facts.Folder() ? Tree(path, clear, prefix + e.name + "\\") : Texts{};
            out.insert(out.end(), inner.begin(), inner.end());
            if (clear && !e.facts.Folder()) files.DeleteFileAt(path);
        }
        if (clear) files.RemoveFolder(folder);
        std::sort(out.begin(), out.end());
        return out;
    }
    DropOutcome Run(char command, const Texts& items) {
        if (command == 'l') return drop::CreateDesktopShortcuts(services, items);
        return drop::TransferToDesktop(services, command == 'c' ? platform::TransferKind::Copy : platform::TransferKind::Move,
                                       items);
    }

    const std::string desk = "C:\\lumbra-drop\\Desktop";
    const std::string src = "C:\\lumbra-drop\\src";
    fakes::DropFakeShellFolder folder;
    Win32FileSystem files;
    fakes::DropFakeMessageBoxes boxes;
    Win32ShellLinks links;
    fakes::DropFakeProgressWindows progress;
    drop::DropServices services{folder, files, boxes, links, progress};
    com_apartment com;
};

// (A name ending in a dot and a path of 300 characters are copied end to end.)
TEST_F(FileDrop, ANameEndingInASpaceIsCopiedAndAShortcutKeepsItsTargetAsDropped) {
    Put(src + "\\memo", "plain");
    Put(src + "\\memo ", "space");
    EXPECT_EQ(Run('c', {src + "\\memo "}), DropOutcome::Copied);
    EXPECT_EQ(Run('l', {src + "\\memo "}), DropOutcome::Linked);
    ASSERT_EQ(Tree(desk).size(), 2u) << boxes.shown.size();
    EXPECT_EQ(Tree(desk)[0], "memo =space");
    EXPECT_EQ(ReadShortcutTarget(desk + "\\memo へのｼｮｰﾄｶｯﾄ.lnk"), src + "\\memo ");
}

TEST_F(FileDrop, ReplacingGoesThroughAPassingFileAndAFailedCopyLeavesTheOldOneAsItWas) {
    Put(src + "\\a", "new-a");
    Put(src + "\\b", "new-b");
    Put(desk + "\\a", "old-a", FILE_ATTRIBUTE_READONLY);
    Put(desk + "\\b", "old-b", FILE_ATTRIBUTE_READONLY);
    {
        unique_file unreadable = Open(src + "\\b", GENERIC_READ, 0, OPEN_EXISTING);
        EXPECT_EQ(Run('c', {src + "\\a", src + "\\b"}), DropOutcome::Nothing);
    }
    ASSERT_EQ(boxes.shown.size(), 3u) << "a question for each, then the error";
    EXPECT_TRUE(boxes.shown[2].starts_with("Lumbra|48|")) << boxes.shown[2];
    EXPECT_EQ(Tree(desk), (Texts{"a=new-a", "b=old-b"}));
    EXPECT_TRUE(Attributes(desk + "\\b") & FILE_ATTRIBUTE_READONLY);

    const std::string lnk = desk + "\\aへのｼｮｰﾄｶｯﾄ.lnk";
    Put(lnk, "not even a shortcut", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Run('l', {src + "\\a"}), DropOutcome::Linked);
    EXPECT_EQ(ReadShortcutTarget(lnk), src + "\\a");
    EXPECT_TRUE(Attributes(lnk) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Tree(desk).size(), 3u) << "nothing left beside them";
}

TEST_F(FileDrop, AMoveToAnotherVolumeTakesAwayOnlyWhatItCopiedAndCouldDelete) {
    const std::string other = "L:\\lumbra-drop\\F";
    Put(other + "\\a", "A");
    Put(other + "\\G\\b", "B");
    Put(other + "\\c", "C");
    {
        unique_file inUse = Open(other + "\\c", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        EXPECT_EQ(Run('m', {other}), DropOutcome::Copied);
    }
    EXPECT_EQ(Tree(desk), (Texts{"F/", "F\\G/", "F\\G\\b=B", "F\\a=A", "F\\c=C"}));
    EXPECT_EQ(Tree(other), Texts{"c=C"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].find(other + "\\c"), std::string::npos) << boxes.shown[0];
}

// With the source in the same process: under Wine a source in another process cannot be told
// "Performed DropEffect" (its data object answers SetData with E_NOTIMPL).
TEST(FileDropTarget, AnswersNeverMoveTakesOneDropAtATimeAndTellsAWaitingSourceWhatCameOfIt) {
    com_apartment com;
    int drops = 0;
    Microsoft::WRL::ComPtr<PanelDropTarget> target;
    target.Attach(new PanelDropTarget({nullptr, [&](const platform::DropData& d, DWORD, POINTL) {
                                           ++drops;
                                           return d.files == Texts{"C:\\a.txt"};
                                       }}));
    testdata::Data data(CF_HDROP, testdata::FileList({L"C:\\a.txt"}));
    data.SetAsyncMode(TRUE);
    auto told = [&](const wchar_t* name) { return data.told[static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(name))]; };
    auto answers = [&](DWORD keys, bool drop) {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        target->DragEnter(&data, keys, {}, &effect);
        if (drop) target->Drop(&data, 0, {}, &effect);
        return effect;
    };
    EXPECT_EQ(answers(MK_RBUTTON, false), static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(answers(MK_RBUTTON, true), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(data.started && !data.ended);
    EXPECT_EQ(answers(MK_LBUTTON, false) | answers(MK_LBUTTON, true), static_cast<DWORD>(DROPEFFECT_NONE)) << "busy";
    EXPECT_EQ(drops, 1);
    target->Finish(DropOutcome::Moved);
    EXPECT_EQ((std::vector<DWORD>{static_cast<DWORD>(data.ended), data.endEffect, told(CFSTR_PERFORMEDDROPEFFECT),
                                  told(CFSTR_LOGICALPERFORMEDDROPEFFECT)}),
              (std::vector<DWORD>{1, DROPEFFECT_NONE, DROPEFFECT_NONE, DROPEFFECT_MOVE}));
    EXPECT_EQ(answers(MK_LBUTTON, true), static_cast<DWORD>(DROPEFFECT_LINK));
    target->Finish(DropOutcome::Linked);
    EXPECT_EQ(data.endEffect, static_cast<DWORD>(DROPEFFECT_LINK));
}

}  // namespace
}  // namespace lumbra::win32
