// The file commands on real files in a throwaway Wine prefix: copy, move and shortcuts into a
// desktop folder, with the real file operations, shortcut writer, message boxes and progress
// dialog. Every case checks by content hash that each file is at its source or byte-identical at
// its destination.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include <wrl/client.h>

#include "common/DropDataObject.h"
#include "drop/DesktopCommands.h"
#include "fakes/DropFakes.h"
#include "platform/win32/DropTarget.h"
#include "platform/win32/FileSystem.h"
#include "platform/win32/Handles.h"
#include "platform/win32/MessageBoxes.h"
#include "platform/win32/ProgressWindows.h"
#include "platform/win32/ShellLinks.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

namespace fs = std::filesystem;
using platform::TransferKind;

// ---- files ------------------------------------------------------------------------------------

std::string U8(const fs::path& p) { return Narrow(p.wstring()); }
fs::path P(const std::string& utf8) { return fs::path(Widen(utf8)); }

void Write(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::uint64_t Hash(const std::string& bytes) {  // FNV-1a
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

// Relative path (with "/" after folders) -> content hash, of everything under root.
using Snapshot = std::map<std::wstring, std::uint64_t>;
Snapshot Take(const fs::path& root) {
    Snapshot s;
    if (!fs::exists(root)) return s;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::wstring rel = fs::relative(e.path(), root).wstring();
        s[e.is_directory() ? rel + L"/" : rel] = e.is_directory() ? 0 : Hash(Read(e.path()));
    }
    return s;
}

void RemoveAll(const fs::path& root) {
    if (!fs::exists(root)) return;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        ::SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::error_code ec;
    fs::remove_all(root, ec);
}

// ---- the fixture: a source tree, a second volume and a desktop folder per test ----------------

class FileDrop : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root = fs::path(L"C:\\lumbra-drop") / P(name);
        other = fs::path(L"L:\\lumbra-drop") / P(name);
        RemoveAll(root);
        RemoveAll(other);
        desk = root / L"Desktop";
        src = root / L"src";
        fs::create_directories(desk);
        fs::create_directories(src);
        folder.desktop = U8(desk);
    }
    void TearDown() override {
        RemoveAll(root);
        RemoveAll(other);
    }

    bool SecondVolume() {
        std::error_code ec;
        fs::create_directories(other, ec);
        return !ec && fs::exists(other);
    }

    void Copy(const std::vector<fs::path>& items) { Run(TransferKind::Copy, items); }
    void Move(const std::vector<fs::path>& items) { Run(TransferKind::Move, items); }
    void Run(TransferKind kind, const std::vector<fs::path>& items) {
        std::vector<std::string> paths;
        for (const auto& p : items) paths.push_back(U8(p));
        drop::TransferToDesktop(services, kind, paths);
    }
    void Link(const std::vector<fs::path>& items) {
        std::vector<std::string> paths;
        for (const auto& p : items) paths.push_back(U8(p));
        drop::CreateDesktopShortcuts(services, paths);
    }

    // Every file of `before` (taken under `from`) is at `from` unchanged or at `to` unchanged.
    static void ExpectNothingLost(const Snapshot& before, const fs::path& from, const fs::path& to) {
        for (const auto& [rel, hash] : before) {
            if (!rel.empty() && rel.back() == L'/') continue;
            const bool atSource = fs::exists(from / rel) && Hash(Read(from / rel)) == hash;
            const bool atDestination = fs::exists(to / rel) && Hash(Read(to / rel)) == hash;
            EXPECT_TRUE(atSource || atDestination) << Narrow(rel) << " is neither intact at "
                                                   << U8(from) << " nor at " << U8(to);
        }
    }

    std::vector<std::string> Titles() const {
        std::vector<std::string> t;
        for (const auto& b : boxes.shown) t.push_back(b.title + "|" + std::to_string(b.style));
        return t;
    }

    fs::path root, other, desk, src;
    // The user's side: scripted answers, a cancel button pressed after a number of started items.
    fakes::DropFakeShellFolder folder;
    Win32FileSystem files;
    fakes::DropFakeMessageBoxes boxes;
    Win32ShellLinks links;
    fakes::DropFakeProgressWindows progress;
    drop::DropServices services{folder, files, boxes, links, progress};
    com_apartment com;
};

// ---- copy and move ----------------------------------------------------------------------------

TEST_F(FileDrop, CopyTakesFilesAndFoldersWholeUnderTheirNames) {
    Write(src / L"報告書.txt", "report");
    Write(src / L"Docs" / L"a.bin", std::string(300000, '\x5a'));
    Write(src / L"Docs" / L"深い" / L"b\U0001F600.txt", "deep");
    const Snapshot before = Take(src);
    Copy({src / L"報告書.txt", src / L"Docs"});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Take(desk), before);
    EXPECT_EQ(Take(src), before);
}

TEST_F(FileDrop, MoveOnOneVolumeTakesFilesAndFoldersAway) {
    Write(src / L"a.txt", "A");
    Write(src / L"Docs" / L"sub" / L"b.txt", "B");
    const Snapshot before = Take(src);
    Move({src / L"a.txt", src / L"Docs"});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Take(desk), before);
    EXPECT_FALSE(fs::exists(src / L"a.txt"));
    EXPECT_FALSE(fs::exists(src / L"Docs"));
}

TEST_F(FileDrop, CopyOntoAnExistingNameAsksAndYesReplaces) {
    Write(src / L"a.txt", "new contents");
    Write(desk / L"a.txt", "old");
    boxes.answers = {IDYES};
    Copy({src / L"a.txt"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, "a.txtはすでに存在します。\r\n上書きして置換えますか？");
    EXPECT_EQ(boxes.shown[0].title, "上書き確認");
    EXPECT_EQ(boxes.shown[0].style, 36);
    EXPECT_EQ(Read(desk / L"a.txt"), "new contents");
    EXPECT_EQ(Read(src / L"a.txt"), "new contents");
}

TEST_F(FileDrop, CopyOntoAnExistingNameWithNoSkipsItAndGoesOn) {
    Write(src / L"1.txt", "one");
    Write(src / L"2.txt", "two");
    Write(src / L"3.txt", "three");
    Write(desk / L"2.txt", "theirs");
    const Snapshot before = Take(src);
    boxes.answers = {IDNO};
    Copy({src / L"1.txt", src / L"2.txt", src / L"3.txt"});
    EXPECT_EQ(Titles(), (std::vector<std::string>{"上書き確認|36"}));
    EXPECT_EQ(Read(desk / L"1.txt"), "one");
    EXPECT_EQ(Read(desk / L"2.txt"), "theirs");
    EXPECT_EQ(Read(desk / L"3.txt"), "three");
    EXPECT_EQ(Take(src), before);
}

TEST_F(FileDrop, CopyFolderOntoAnExistingFolderMergesAfterYes) {
    Write(src / L"Docs" / L"same.txt", "new");
    Write(src / L"Docs" / L"sub" / L"added.txt", "added");
    Write(desk / L"Docs" / L"same.txt", "old");
    Write(desk / L"Docs" / L"sub" / L"mine.txt", "mine");
    boxes.answers = {IDYES};
    Copy({src / L"Docs"});
    EXPECT_EQ(Titles(), (std::vector<std::string>{"上書き確認|36"}));
    EXPECT_EQ(Read(desk / L"Docs" / L"same.txt"), "new");
    EXPECT_EQ(Read(desk / L"Docs" / L"sub" / L"added.txt"), "added");
    EXPECT_EQ(Read(desk / L"Docs" / L"sub" / L"mine.txt"), "mine");
}

TEST_F(FileDrop, MoveOntoAnExistingNameFailsWithOneMessageAndLaterItemsStay) {
    Write(src / L"a.txt", "mine");
    Write(src / L"b.txt", "later");
    Write(desk / L"a.txt", "theirs");
    const Snapshot before = Take(src);
    Move({src / L"a.txt", src / L"b.txt"});
    ASSERT_EQ(Titles(), (std::vector<std::string>{"Lumbra|48"}));
    EXPECT_FALSE(boxes.shown[0].prompt.empty());
    EXPECT_EQ(Take(src), before);
    EXPECT_EQ(Read(desk / L"a.txt"), "theirs");
    EXPECT_FALSE(fs::exists(desk / L"b.txt"));
}

TEST_F(FileDrop, ThreeItemsWhereTheSecondFailsDoOnlyTheFirst) {
    Write(src / L"1.txt", "one");
    Write(src / L"2.txt", "two");
    Write(src / L"3.txt", "three");
    const Snapshot before = Take(src);
    // Another program holds the second file open without sharing it.
    unique_file lock(::CreateFileW((src / L"2.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    Copy({src / L"1.txt", src / L"2.txt", src / L"3.txt"});
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Lumbra|48"}));
    EXPECT_EQ(Read(desk / L"1.txt"), "one");
    EXPECT_FALSE(fs::exists(desk / L"2.txt"));
    EXPECT_FALSE(fs::exists(desk / L"3.txt"));

    boxes.shown.clear();
    fs::remove(desk / L"1.txt");
    Move({src / L"1.txt", src / L"gone.txt", src / L"3.txt"});
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Lumbra|48"}));
    EXPECT_EQ(Read(desk / L"1.txt"), "one");
    EXPECT_TRUE(fs::exists(src / L"3.txt"));
    lock.reset();
    ExpectNothingLost(before, src, desk);
}

TEST_F(FileDrop, SourceEqualToDestinationIsAnErrorAndTheFileStaysWhole) {
    const std::string precious(100000, '\x42');
    Write(desk / L"self.txt", precious);
    Write(desk / L"Self" / L"in.txt", "inside");
    const Snapshot before = Take(desk);
    Copy({desk / L"self.txt"});
    Move({desk / L"self.txt"});
    Copy({desk / L"Self"});
    Move({desk / L"Self"});
    EXPECT_EQ(Titles(), (std::vector<std::string>(4, "Lumbra|48")));
    EXPECT_EQ(boxes.shown[0].prompt, "「self.txt」はコピー元とコピー先が同じです。");
    EXPECT_EQ(Take(desk), before);
    EXPECT_EQ(Read(desk / L"self.txt"), precious);
}

TEST_F(FileDrop, SameItemSpeltDifferentlyIsStillTheSame) {
    Write(desk / L"Case.txt", "x");
    // The desktop folder given in another case and with a short detour.
    folder.desktop = U8(root) + "\\SRC\\..\\DESKTOP";
    Copy({desk / L"Case.txt"});
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Lumbra|48"}));
    EXPECT_EQ(Read(desk / L"Case.txt"), "x");
}

TEST_F(FileDrop, MoveFolderToAnotherVolumeCopiesWholeAndThenDeletesTheSource) {
    ASSERT_TRUE(SecondVolume()) << "drive L: is missing from the prefix";
    Write(other / L"Docs" / L"a.txt", "A");
    Write(other / L"Docs" / L"sub" / L"b.bin", std::string(200000, '\x07'));
    ::SetFileAttributesW((other / L"Docs" / L"a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    const Snapshot before = Take(other / L"Docs");
    Move({other / L"Docs"});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(fs::exists(other / L"Docs"));
    EXPECT_EQ(Take(desk / L"Docs"), before);
}

TEST_F(FileDrop, MoveFolderToAnotherVolumeThatFailsPartWayKeepsTheSourceAndRemovesTheCopy) {
    ASSERT_TRUE(SecondVolume()) << "drive L: is missing from the prefix";
    Write(other / L"Docs" / L"1.txt", "one");
    Write(other / L"Docs" / L"2.bin", std::string(100000, '\x02'));
    Write(other / L"Docs" / L"3-locked.txt", "locked");
    Write(other / L"Docs" / L"4.txt", "four");
    Write(other / L"after.txt", "after");
    const Snapshot before = Take(other);
    unique_file lock(::CreateFileW((other / L"Docs" / L"3-locked.txt").c_str(), GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    Move({other / L"Docs", other / L"after.txt"});
    lock.reset();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Lumbra|48"}));
    // Part-way: files before the locked one had been copied when it failed.
    EXPECT_GE(progress.items.size(), 3u);
    EXPECT_FALSE(fs::exists(desk / L"Docs"));
    EXPECT_FALSE(fs::exists(desk / L"after.txt"));
    EXPECT_EQ(Take(other), before);
}

TEST_F(FileDrop, MoveFolderToAnotherVolumeCancelledKeepsTheSourceAndSaysNothing) {
    ASSERT_TRUE(SecondVolume()) << "drive L: is missing from the prefix";
    Write(other / L"Docs" / L"1.txt", "one");
    Write(other / L"Docs" / L"2.txt", "two");
    Write(other / L"Docs" / L"3.txt", "three");
    const Snapshot before = Take(other);
    progress.cancelAfterItems = 3;  // the folder and its first two files have started
    Move({other / L"Docs"});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(fs::exists(desk / L"Docs"));
    EXPECT_EQ(Take(other), before);
}

TEST_F(FileDrop, CopyCancelledStopsAfterTheCurrentFileAndKeepsWhatIsDone) {
    Write(src / L"Docs" / L"1.txt", "one");
    Write(src / L"Docs" / L"2.txt", "two");
    Write(src / L"Docs" / L"3.txt", "three");
    Write(src / L"next.txt", "next");
    const Snapshot before = Take(src);
    progress.cancelAfterItems = 3;
    Copy({src / L"Docs", src / L"next.txt"});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Read(desk / L"Docs" / L"1.txt"), "one");
    EXPECT_EQ(Read(desk / L"Docs" / L"2.txt"), "two");
    EXPECT_FALSE(fs::exists(desk / L"Docs" / L"3.txt"));
    EXPECT_FALSE(fs::exists(desk / L"next.txt"));
    EXPECT_EQ(Take(src), before);
}

// ---- shortcuts --------------------------------------------------------------------------------

const std::wstring kSuffix = L"へのｼｮｰﾄｶｯﾄ.lnk";

TEST_F(FileDrop, ShortcutToANewItemPointsAtIt) {
    Write(src / L"報告.txt", "r");
    fs::create_directories(src / L"Docs");
    Link({src / L"報告.txt", src / L"Docs"});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadShortcutTarget(U8(desk / (L"報告.txt" + kSuffix))), U8(src / L"報告.txt"));
    EXPECT_EQ(ReadShortcutTarget(U8(desk / (L"Docs" + kSuffix))), U8(src / L"Docs"));
    EXPECT_EQ(Read(src / L"報告.txt"), "r");
}

TEST_F(FileDrop, ExistingHiddenShortcutIsAskedAboutAndYesRewritesIt) {
    Write(src / L"a.txt", "a");
    Write(src / L"b.txt", "b");
    Link({src / L"b.txt"});
    const fs::path lnk = desk / (L"a.txt" + kSuffix);
    fs::rename(desk / (L"b.txt" + kSuffix), lnk);  // a shortcut of a's name that points at b
    ::SetFileAttributesW(lnk.c_str(), FILE_ATTRIBUTE_HIDDEN);
    boxes.answers = {IDYES};
    Link({src / L"a.txt"});
    ASSERT_EQ(Titles(), (std::vector<std::string>{"上書き確認|36"}));
    EXPECT_EQ(boxes.shown[0].prompt, Narrow(L"a.txt" + kSuffix) + "はすでに存在します。\r\n上書きして置換えますか？");
    EXPECT_EQ(ReadShortcutTarget(U8(lnk)), U8(src / L"a.txt"));
    EXPECT_TRUE(::GetFileAttributesW(lnk.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FileDrop, ExistingHiddenShortcutAnsweredNoStaysByteForByte) {
    Write(src / L"1.txt", "1");
    Write(src / L"2.txt", "2");
    Write(src / L"3.txt", "3");
    Write(desk / (L"2.txt" + kSuffix), "not even a shortcut");
    ::SetFileAttributesW((desk / (L"2.txt" + kSuffix)).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    boxes.answers = {IDNO};
    Link({src / L"1.txt", src / L"2.txt", src / L"3.txt"});
    EXPECT_EQ(Titles(), (std::vector<std::string>{"上書き確認|36"}));
    EXPECT_EQ(Read(desk / (L"2.txt" + kSuffix)), "not even a shortcut");
    EXPECT_EQ(ReadShortcutTarget(U8(desk / (L"1.txt" + kSuffix))), U8(src / L"1.txt"));
    EXPECT_EQ(ReadShortcutTarget(U8(desk / (L"3.txt" + kSuffix))), U8(src / L"3.txt"));
}

TEST_F(FileDrop, FolderInTheWayOfAShortcutIsAnErrorWithoutAQuestion) {
    Write(src / L"1.txt", "1");
    Write(src / L"2.txt", "2");
    Write(src / L"3.txt", "3");
    Write(desk / (L"2.txt" + kSuffix) / L"inside.txt", "inside");
    Link({src / L"1.txt", src / L"2.txt", src / L"3.txt"});
    ASSERT_EQ(Titles(), (std::vector<std::string>{"Lumbra|48"}));
    EXPECT_FALSE(boxes.shown[0].prompt.empty());
    EXPECT_TRUE(fs::exists(desk / (L"1.txt" + kSuffix)));
    EXPECT_FALSE(fs::exists(desk / (L"3.txt" + kSuffix)));
    EXPECT_EQ(Read(desk / (L"2.txt" + kSuffix) / L"inside.txt"), "inside");
}

// ---- the real message box and progress window -------------------------------------------------

// Waits for a top-level dialog with this title, hands back the texts of its children, and
// presses the button with this id.
std::thread Answer(std::wstring title, int button, std::vector<std::wstring>& texts) {
    return std::thread([title, button, &texts] {
        for (int i = 0; i < 200; ++i) {
            HWND box = ::FindWindowW(L"#32770", title.c_str());
            if (box != nullptr && ::IsWindowVisible(box)) {
                ::EnumChildWindows(
                    box,
                    [](HWND child, LPARAM data) -> BOOL {
                        wchar_t text[512] = {};
                        ::GetWindowTextW(child, text, 512);
                        reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(text);
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&texts));
                ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& wanted) {
    for (const auto& t : texts) {
        if (t.find(wanted) != std::wstring::npos) return true;
    }
    return false;
}

TEST(FileDropBoxes, OverwriteQuestionShowsItsTextAndReturnsTheButtonPressed) {
    Win32MessageBoxes boxes(nullptr);
    for (int button : {IDYES, IDNO}) {
        std::vector<std::wstring> texts;
        std::thread answer = Answer(L"上書き確認", button, texts);
        const int got = boxes.MsgBox("x.txtはすでに存在します。\r\n上書きして置換えますか？", 36, "上書き確認");
        answer.join();
        EXPECT_EQ(got, button);
        EXPECT_TRUE(Contains(texts, L"x.txtはすでに存在します。")) << "texts seen: " << texts.size();
    }
}

TEST(FileDropBoxes, ErrorBoxHasOneOkButton) {
    Win32MessageBoxes boxes(nullptr);
    std::vector<std::wstring> texts;
    std::thread answer = Answer(L"Lumbra", IDOK, texts);
    EXPECT_EQ(boxes.MsgBox("アクセスが拒否されました。", 48, "Lumbra"), IDOK);
    answer.join();
    EXPECT_TRUE(Contains(texts, L"アクセスが拒否されました。"));
    EXPECT_FALSE(Contains(texts, L"No"));
}

TEST(FileDropProgress, LongCommandShowsAWindowWhoseCancelButtonStopsIt) {
    com_apartment com;
    Win32ProgressWindows windows(nullptr, 0);
    auto progress = windows.Begin(TransferKind::Copy);
    progress->Item("L:\\a.txt", "C:\\Desktop\\a.txt");
    EXPECT_FALSE(progress->Cancelled());
    HWND dialog = nullptr;
    for (int i = 0; i < 100 && dialog == nullptr; ++i) {
        dialog = ::FindWindowW(nullptr, Widen("コピーしています - Lumbra").c_str());
        if (dialog == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(dialog, nullptr) << "no progress window";
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDCANCEL)));
    bool cancelled = false;
    for (int i = 0; i < 100 && !cancelled; ++i) {
        cancelled = progress->Cancelled();
        if (!cancelled) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(cancelled);
    progress.reset();
}

TEST(FileDropProgress, ShortCommandShowsNoWindow) {
    com_apartment com;
    Win32ProgressWindows windows(nullptr, 60000);
    auto progress = windows.Begin(TransferKind::Move);
    progress->Item("L:\\a.txt", "C:\\Desktop\\a.txt");
    progress->Bytes(10, 10);
    EXPECT_FALSE(progress->Cancelled());
    EXPECT_EQ(::FindWindowW(nullptr, Widen("移動しています - Lumbra").c_str()), nullptr);
}

TEST(FileDropProgress, TimeSpentOnAQuestionDoesNotBringTheWindow) {
    com_apartment com;
    Win32ProgressWindows windows(nullptr, 400);
    auto progress = windows.Begin(TransferKind::Copy);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // the user reads the question
    progress->Answered();
    progress->Item("L:\\a.txt", "C:\\Desktop\\a.txt");
    progress->Bytes(10, 10);
    EXPECT_FALSE(progress->Cancelled());
    EXPECT_EQ(::FindWindowW(nullptr, Widen("コピーしています - Lumbra").c_str()), nullptr);
    // Once the command itself has run past the delay, the window comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    progress->Item("L:\\b.txt", "C:\\Desktop\\b.txt");
    HWND dialog = nullptr;
    for (int i = 0; i < 100 && dialog == nullptr; ++i) {
        dialog = ::FindWindowW(nullptr, Widen("コピーしています - Lumbra").c_str());
        if (dialog == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_NE(dialog, nullptr);
    progress.reset();
}

// ---- the dropped data -------------------------------------------------------------------------

TEST(FileDropData, FileListComesInTheSourcesOrderInAnyUnicodeOtherFormatsCarryNone) {
    Microsoft::WRL::ComPtr<IDataObject> list, text;
    list.Attach(new testdata::OneFormatData(
        CF_HDROP, testdata::FileListMemory({L"C:\\z.txt", L"C:\\写真\\夏 \U0001F600.jpg", L"D:\\"})));
    text.Attach(new testdata::OneFormatData(CF_UNICODETEXT, testdata::TextMemory(L"just text")));
    const platform::DropData got = ReadDropData(list.Get());
    EXPECT_TRUE(got.hasFileList);
    EXPECT_EQ(got.files, (std::vector<std::string>{"C:\\z.txt", "C:\\写真\\夏 😀.jpg", "D:\\"}));
    const platform::DropData none = ReadDropData(text.Get());
    EXPECT_FALSE(none.hasFileList);
    EXPECT_TRUE(none.files.empty());
}

TEST(FileDropData, KeyStateBecomesButtonAndShiftBits) {
    EXPECT_EQ(DragButtons(MK_LBUTTON), 1);
    EXPECT_EQ(DragButtons(MK_RBUTTON), 2);
    EXPECT_EQ(DragButtons(MK_MBUTTON), 4);
    EXPECT_EQ(DragButtons(MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL), 3);
    EXPECT_EQ(DragShift(MK_SHIFT | MK_CONTROL | MK_ALT | MK_LBUTTON), 7);
    EXPECT_EQ(DragShift(MK_RBUTTON), 0);
}

}  // namespace
}  // namespace lumbra::win32
