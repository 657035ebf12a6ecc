// The file commands on real files in a throwaway Wine prefix, for what an in-memory file system
// cannot show: replacing through a passing file, with the attributes of what it replaces, and a
// second volume (drive L: of the test prefixes); and the drop target with a source that waits for
// the outcome. (Names the old path rules would change, paths past 260 characters and links are
// copied end to end, from a drag source.)
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
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

namespace fs = std::filesystem;
using platform::DropOutcome;
using Texts = std::vector<std::string>;

void Put(const std::string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    fs::create_directories(fs::path(Widen(path)).parent_path());
    std::ofstream(fs::path(Widen(path)), std::ios::binary) << content;
    ::SetFileAttributesW(Widen(path).c_str(), attributes);
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(Widen(path).c_str()); }

// What is under the folder, as "relative path=content" or "relative path/".
Texts Tree(const std::string& folder) {
    Texts out;
    for (const auto& e : fs::recursive_directory_iterator(Widen(folder))) {
        std::ifstream in(e.path(), std::ios::binary);
        const std::string content(std::istreambuf_iterator<char>(in), {});
        const std::string name = Narrow(e.path().lexically_relative(Widen(folder)).wstring());
        out.push_back(name + (e.is_directory() ? "/" : "=" + content));
    }
    std::sort(out.begin(), out.end());
    return out;
}

class FileDrop : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        fs::create_directories(desk);
        folder.desktop = desk;
    }
    void TearDown() override {
        for (const char* root : {"C:\\lumbra-drop", "L:\\lumbra-drop"}) {
            std::error_code e;  // read-only files go too
            for (const auto& f : fs::recursive_directory_iterator(root, e)) {
                ::SetFileAttributesW(f.path().c_str(), FILE_ATTRIBUTE_NORMAL);
            }
            fs::remove_all(root, e);
        }
    }
    DropOutcome Run(char command, const Texts& items) { return fakes::RunDrop(services, command, items); }

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

TEST_F(FileDrop, ReplacingGoesThroughAPassingFileAndAFailedCopyLeavesTheOldOneAsItWas) {
    Put(src + "\\a", "new-a");
    Put(src + "\\b", "new-b");
    Put(desk + "\\a", "old-a", FILE_ATTRIBUTE_READONLY);
    Put(desk + "\\b", "old-b", FILE_ATTRIBUTE_READONLY);
    {
        unique_file unreadable(
            ::CreateFileW(Widen(src + "\\b").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(Run('c', {src + "\\a", src + "\\b"}), DropOutcome::Nothing);
    }
    ASSERT_EQ(boxes.shown.size(), 3u) << "a question for each, then the error";
    EXPECT_EQ(Tree(desk), (Texts{"a=new-a", "b=old-b"}));
    EXPECT_TRUE(Attributes(desk + "\\b") & FILE_ATTRIBUTE_READONLY);

    // The shortcut's target is the item as dropped, without the prefix the file calls take.
    const std::string lnk = desk + "\\aへのｼｮｰﾄｶｯﾄ.lnk";
    Put(lnk, "not even a shortcut", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Run('l', {src + "\\a"}), DropOutcome::Linked);
    EXPECT_EQ(ReadShortcutTarget(lnk), src + "\\a");
    EXPECT_TRUE(Attributes(lnk) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Tree(desk).size(), 3u) << "nothing left beside them";
}

// The other volume answers the rename with ERROR_NOT_SAME_DEVICE: the move becomes a copy.
TEST_F(FileDrop, AMoveToAnotherVolumeCopiesAndThenTakesTheSourceAway) {
    const std::string other = "L:\\lumbra-drop\\F";
    Put(other + "\\a", "A");
    Put(other + "\\G\\b", "B");
    EXPECT_EQ(Run('m', {other}), DropOutcome::Moved);
    EXPECT_EQ(Tree(desk), (Texts{"F/", "F\\G/", "F\\G\\b=B", "F\\a=A"}));
    EXPECT_FALSE(fs::exists(Widen(other)));
    EXPECT_TRUE(boxes.shown.empty());
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
}

}  // namespace
}  // namespace lumbra::win32
