// The file commands on real files in a throwaway Wine prefix, for what an in-memory file system
// cannot show: names the old path rules would change, paths past 260 characters, replacing
// through a passing file, and a second volume (drive L: of the test prefixes).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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

// The test's own file access, every path spelt out exactly.
std::wstring X(const std::wstring& path) { return L"\\\\?\\" + path; }

unique_file Open(const std::wstring& path, DWORD access, DWORD share, DWORD how, DWORD attributes = 0) {
    return unique_file(::CreateFileW(X(path).c_str(), access, share, nullptr, how, attributes, nullptr));
}

// A folder and the folders above it.
void Folders(const std::wstring& path) {
    for (std::size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
        ::CreateDirectoryW(X(path.substr(0, slash)).c_str(), nullptr);
    }
    ::CreateDirectoryW(X(path).c_str(), nullptr);
}

void Put(const std::wstring& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    Folders(path.substr(0, path.rfind(L'\\')));
    DWORD written = 0;
    unique_file file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, attributes);
    ASSERT_TRUE(file && ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
}

std::string Get(const std::wstring& path) {
    unique_file file = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    char buffer[256];
    DWORD got = 0;
    if (!file || !::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return "<missing>";
    return std::string(buffer, got);
}

class FileDrop : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        folder.desktop = Narrow(desk);
        Folders(desk);
    }
    void TearDown() override {
        for (const char* root : {"C:\\lumbra-drop", "L:\\lumbra-drop"}) Clear(root);
    }
    void Clear(const std::string& folder) {
        std::vector<platform::FolderEntry> entries;
        files.ListFolder(folder, entries);
        for (const auto& e : entries) {
            if (e.facts.Folder() && !e.facts.link) Clear(folder + "\\" + e.name);
            if (!e.facts.Folder()) files.DeleteFileAt(folder + "\\" + e.name);
        }
        files.RemoveFolder(folder);
    }
    DropOutcome Run(char command, const std::vector<std::wstring>& items) {
        std::vector<std::string> paths;
        for (const auto& p : items) paths.push_back(Narrow(p));
        if (command == 'l') return drop::CreateDesktopShortcuts(services, paths);
        return drop::TransferToDesktop(services, command == 'c' ? platform::TransferKind::Copy : platform::TransferKind::Move,
                                       paths);
    }
    std::vector<std::string> Names(const std::wstring& folder) {
        std::vector<platform::FolderEntry> entries;
        files.ListFolder(Narrow(folder), entries);
        std::vector<std::string> names;
        for (const auto& e : entries) names.push_back(e.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::wstring desk = L"C:\\lumbra-drop\\Desktop";
    const std::wstring src = L"C:\\lumbra-drop\\src";
    const std::wstring other = L"L:\\lumbra-drop";
    fakes::DropFakeShellFolder folder;
    Win32FileSystem files;
    fakes::DropFakeMessageBoxes boxes;
    Win32ShellLinks links;
    fakes::DropFakeProgressWindows progress;
    drop::DropServices services{folder, files, boxes, links, progress};
    com_apartment com;
};

TEST_F(FileDrop, NamesEndingInADotOrASpaceAndPathsPast260CharactersReachTheirOwnItems) {
    Put(src + L"\\memo", "plain");
    Put(src + L"\\memo.", "dot");
    Put(src + L"\\memo ", "space");
    const std::wstring top = src + L"\\" + std::wstring(60, L'd');
    std::wstring deep = top;
    while (deep.size() < 300) deep += L"\\" + std::wstring(60, L'e');
    Put(deep + L"\\deep.txt", "deep");
    EXPECT_EQ(Run('c', {src + L"\\memo.", src + L"\\memo ", top}), DropOutcome::Copied);
    EXPECT_EQ(Run('m', {deep + L"\\deep.txt"}), DropOutcome::Moved);
    EXPECT_EQ(Run('l', {src + L"\\memo."}), DropOutcome::Linked);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front();
    EXPECT_EQ(Names(desk), (std::vector<std::string>{std::string(60, 'd'), "deep.txt", "memo ", "memo.",
                                                     "memo.へのｼｮｰﾄｶｯﾄ.lnk"}));
    EXPECT_EQ(ReadShortcutTarget(Narrow(desk + L"\\memo.へのｼｮｰﾄｶｯﾄ.lnk")), Narrow(src + L"\\memo."));
    EXPECT_EQ(Get(desk + L"\\memo.") + Get(desk + L"\\memo ") + Get(desk + L"\\deep.txt"), "dotspacedeep");
    EXPECT_EQ(Get(desk + deep.substr(src.size()) + L"\\deep.txt"), "deep");
    EXPECT_EQ(Get(deep + L"\\deep.txt"), "<missing>");
    EXPECT_EQ(Get(src + L"\\memo."), "dot");
}

TEST_F(FileDrop, ReplacingGoesThroughAPassingFileAndAFailedCopyLeavesTheOldOneAsItWas) {
    Put(src + L"\\a.txt", "new-a");
    Put(src + L"\\b.txt", "new-b");
    Put(desk + L"\\a.txt", "old-a", FILE_ATTRIBUTE_READONLY);
    Put(desk + L"\\b.txt", "old-b", FILE_ATTRIBUTE_READONLY);
    {
        unique_file unreadable = Open(src + L"\\b.txt", GENERIC_READ, 0, OPEN_EXISTING);
        EXPECT_EQ(Run('c', {src + L"\\a.txt", src + L"\\b.txt"}), DropOutcome::Nothing);
    }
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_TRUE(boxes.shown[2].starts_with("Lumbra|48|")) << boxes.shown[2];
    EXPECT_EQ(Get(desk + L"\\a.txt") + Get(desk + L"\\b.txt"), "new-aold-b");
    EXPECT_TRUE(::GetFileAttributesW(X(desk + L"\\b.txt").c_str()) & FILE_ATTRIBUTE_READONLY);

    const std::wstring lnk = desk + L"\\a.txtへのｼｮｰﾄｶｯﾄ.lnk";
    Put(lnk, "not even a shortcut", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Run('l', {src + L"\\a.txt"}), DropOutcome::Linked);
    EXPECT_EQ(ReadShortcutTarget(Narrow(lnk)), Narrow(src + L"\\a.txt"));
    EXPECT_TRUE(::GetFileAttributesW(X(lnk).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Names(desk), (std::vector<std::string>{"a.txt", "a.txtへのｼｮｰﾄｶｯﾄ.lnk", "b.txt"}));
}

TEST_F(FileDrop, AMoveToAnotherVolumeTakesAwayOnlyWhatItCopiedAndCouldDelete) {
    Put(other + L"\\Docs\\a.txt", "A");
    Put(other + L"\\Docs\\sub\\b.txt", "B");
    Put(other + L"\\Docs\\c.txt", "C");
    {
        unique_file inUse = Open(other + L"\\Docs\\c.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        EXPECT_EQ(Run('m', {other + L"\\Docs"}), DropOutcome::Copied);
    }
    EXPECT_EQ(Names(desk + L"\\Docs"), (std::vector<std::string>{"a.txt", "c.txt", "sub"}));
    EXPECT_EQ(Get(desk + L"\\Docs\\sub\\b.txt") + Get(desk + L"\\Docs\\c.txt"), "BC");
    EXPECT_EQ(Names(other + L"\\Docs"), std::vector<std::string>{"c.txt"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].find("L:\\lumbra-drop\\Docs\\c.txt"), std::string::npos) << boxes.shown[0];
}

// With the source in the same process: under Wine a source in another process cannot be told
// "Performed DropEffect" (its data object answers SetData with E_NOTIMPL).
TEST(FileDropTarget, AnswersNeverMoveTakesOneDropAtATimeAndTellsAWaitingSourceWhatCameOfIt) {
    com_apartment com;
    int drops = 0;
    Microsoft::WRL::ComPtr<PanelDropTarget> target;
    target.Attach(new PanelDropTarget({nullptr, [&](const platform::DropData& d, DWORD, POINTL) {
                                           ++drops;
                                           return d.files == std::vector<std::string>{"C:\\a.txt"};
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
    target->Finish(platform::DropOutcome::Moved);
    EXPECT_TRUE(data.ended);
    EXPECT_EQ(std::vector<DWORD>({data.endEffect, told(CFSTR_PERFORMEDDROPEFFECT), told(CFSTR_LOGICALPERFORMEDDROPEFFECT)}),
              std::vector<DWORD>({DROPEFFECT_NONE, DROPEFFECT_NONE, DROPEFFECT_MOVE}));
    EXPECT_EQ(answers(MK_LBUTTON, true), static_cast<DWORD>(DROPEFFECT_LINK));
    target->Finish(platform::DropOutcome::Linked);
    EXPECT_EQ(data.endEffect, static_cast<DWORD>(DROPEFFECT_LINK));
}

}  // namespace
}  // namespace lumbra::win32
