// The shell services of the popup menu on the real system: code page 932, the desktop lister,
// command lines and processes, opening files, the Shell automation object and the recycle bins.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>

#include "common/MenuCaptionTable.h"
#include "menu/Captions.h"
#include "menu/RecycleBin.h"
#include "platform/CommandLine.h"
#include "platform/win32/Handles.h"
#include "platform/win32/ShellFolder.h"
#include "platform/win32/ShellLauncher.h"
#include "platform/win32/ShellServices.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

namespace fs = std::filesystem;

fs::path TempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    fs::path path = fs::path(temp) / (name + L"-" + std::to_wstring(::GetCurrentProcessId()));
    std::error_code ignored;
    fs::remove_all(path, ignored);
    fs::create_directories(path);
    return path;
}

void Touch(const fs::path& path, const std::string& content = "x") { std::ofstream(path, std::ios::binary) << content; }

template <class Condition>
bool WaitFor(Condition condition, DWORD milliseconds = 5000) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (::GetTickCount64() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        if (condition()) return true;
        ::Sleep(20);
    }
    return condition();
}

// ---- code page 932 --------------------------------------------------------------------------

TEST(MenuCodePage932, WindowsCountsTheSameBytesAsTheCaptionsWereWrittenFor) {
    Win32CodePage932 cp932;
    for (const auto& row : testdata::AllFixedCaptions()) {
        const std::size_t chars = std::wstring(Widen(row.text)).size();
        const bool separator = row.text.starts_with("-");
        EXPECT_EQ(static_cast<int>(cp932.Cp932ByteCount(row.text) - chars) - (separator ? 1 : 0), row.pad) << row.text;
    }
    EXPECT_EQ(cp932.Cp932ByteCount("ﾏｲ ﾄﾞｷｭﾒﾝﾄ"), 10u);
    EXPECT_EQ(cp932.Cp932ByteCount("マイ ドキュメント"), 17u);
    EXPECT_EQ(cp932.Cp932ByteCount(""), 0u);
}

TEST(MenuCodePage932, DesktopNamesArePaddedAsOnTheHost) {
    Win32CodePage932 cp932;
    for (const auto& row : testdata::PaddedNames()) {
        EXPECT_EQ(menu::PadCaption(row.name, cp932), std::string(row.name) + std::string(row.pad, 'x')) << row.name;
    }
}

// ---- the desktop lister ---------------------------------------------------------------------

TEST(MenuDesktopLister, FilesThenFoldersInExplorersOrderWithoutHiddenOrSystemEntries) {
    const fs::path folder = TempFolder(L"lumbra-lister");
    for (const wchar_t* name : {L"b.txt", L"a10.txt", L"a2.txt", L"メモ.txt", L"hidden.txt", L"system.txt", L"desktop.ini"}) {
        Touch(folder / name);
    }
    ::SetFileAttributesW((folder / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((folder / L"system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    ::SetFileAttributesW((folder / L"desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    for (const wchar_t* name : {L"Zeta", L"alpha", L"Folder 10", L"Folder 9", L"Secret"}) fs::create_directories(folder / name);
    ::SetFileAttributesW((folder / L"Secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    fs::create_directories(folder / L"alpha" / L"nested");
    Touch(folder / L"alpha" / L"inner.txt");

    Win32FileLister lister;
    const std::string base = Narrow(folder.wstring());
    EXPECT_EQ(lister.ListFiles(base, ""), base + "\\a2.txt\r\n" + base + "\\a10.txt\r\n" + base + "\\b.txt\r\n" + base +
                                              "\\メモ.txt");
    EXPECT_EQ(lister.ListFolders(base),
              base + "\\alpha\r\n" + base + "\\Folder 9\r\n" + base + "\\Folder 10\r\n" + base + "\\Zeta");
    fs::remove_all(folder);
}

TEST(MenuDesktopLister, AnEmptyOrMissingFolderListsNothing) {
    const fs::path folder = TempFolder(L"lumbra-empty");
    Win32FileLister lister;
    EXPECT_EQ(lister.ListFiles(Narrow(folder.wstring()), ""), "");
    EXPECT_EQ(lister.ListFolders(Narrow(folder.wstring())), "");
    EXPECT_EQ(lister.ListFiles(Narrow((folder / L"missing").wstring()), ""), "");

    // No folder at all (the desktop folder could not be found) is not the current directory.
    fs::create_directory(folder / L"sub");
    std::ofstream(folder / L"here.txt") << "x";
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    EXPECT_EQ(lister.ListFiles("", ""), "");
    EXPECT_EQ(lister.ListFolders(""), "");
    fs::current_path(previous);
    fs::remove_all(folder);
}

TEST(MenuDesktopLister, TheDesktopDirectoryIsKnownAndExists) {
    Win32ShellFolder folders(nullptr);
    const std::string desktop = folders.GetFolderPath(platform::kDesktopDirectoryCreate);
    ASSERT_FALSE(desktop.empty());
    EXPECT_TRUE(fs::is_directory(fs::path(Widen(desktop))));
}

// ---- command lines and processes ------------------------------------------------------------

TEST(MenuCommandLine, WindowsParsesBackExactlyTheArgumentsQuoted) {
    const std::vector<std::vector<std::string>> cases = {
        {"rundll32.exe", "shell32.dll,Control_RunDLL", "Desk.cpl"},
        {"C:\\Program Files\\app.exe", "a b", "", "tab\there", "quote\"inside", "C:\\dir with space\\",
         "back\\\\\"slash", "日本語 ファイル.txt"},
    };
    for (const auto& arguments : cases) {
        const std::wstring line = Widen(platform::BuildCommandLine(arguments));
        int count = 0;
        LPWSTR* parsed = ::CommandLineToArgvW(line.c_str(), &count);
        ASSERT_NE(parsed, nullptr);
        ASSERT_EQ(static_cast<std::size_t>(count), arguments.size()) << Narrow(line);
        for (int i = 0; i < count; ++i) EXPECT_EQ(Narrow(parsed[i]), arguments[static_cast<std::size_t>(i)]);
        ::LocalFree(parsed);
    }
}

TEST(MenuCommandLine, AProgramOfTheSystemFolderStartsByItsBareName) {
    const fs::path folder = TempFolder(L"lumbra-start");
    const fs::path marker = folder / L"started.txt";
    Win32Shell shell;
    const std::string line = "cmd.exe /c echo started>" + platform::QuoteArgument(Narrow(marker.wstring()));
    ASSERT_TRUE(shell.StartProcess(line, platform::kShowNormal));
    EXPECT_TRUE(WaitFor([&] { return fs::exists(marker) && fs::file_size(marker) > 0; }));
    EXPECT_FALSE(shell.StartProcess("no-such-program-here.exe", platform::kShowNormal));
    EXPECT_EQ(Narrow(ProgramOf(L"\"C:\\a b\\x.exe\" arg")), "C:\\a b\\x.exe");
    EXPECT_EQ(Narrow(ProgramOf(L"rundll32.exe shell32.dll,Control_RunDLL Desk.cpl")), "rundll32.exe");
    fs::remove_all(folder);
}

TEST(MenuOpenFile, AFileOpensWithTheProgramRegisteredForItsType) {
    const fs::path folder = TempFolder(L"lumbra-open");
    const fs::path document = folder / L"文書 one.lumbramenutest";
    const fs::path marker = folder / L"opened.txt";
    Touch(document, "contents");
    // A type of our own whose open command copies the file it is given (registered in the
    // classes root of this throwaway system).
    const std::wstring command = L"\"" + Widen(Win32Shell().SystemFolder()) + L"\\cmd.exe\" /c copy \"%1\" \"" +
                                 marker.wstring() + L"\"";
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CLASSES_ROOT, L".lumbramenutest", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr);
    const wchar_t progId[] = L"LumbraMenuTest.Document";
    ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(progId), sizeof progId);
    ::RegCloseKey(key);
    ::RegCreateKeyExW(HKEY_CLASSES_ROOT, L"LumbraMenuTest.Document\\shell\\open\\command", 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);

    com_apartment com;
    Win32ShellLauncher launcher;
    launcher.Execute(0, "open", Narrow(document.wstring()), "", "", platform::kShowNormal);
    EXPECT_TRUE(WaitFor([&] { return fs::exists(marker) && fs::file_size(marker) == 8; }));
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".lumbramenutest");
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"LumbraMenuTest.Document");
    fs::remove_all(folder);
}

// ---- the Shell automation object ------------------------------------------------------------

TEST(MenuShellObject, TheRecycleBinAndTheDesktopGiveTheirItemsAndVerbs) {
    com_apartment com;
    Win32Shell shell;
    std::unique_ptr<platform::ShellDispatch> dispatch = shell.CreateShellDispatch();
    ASSERT_NE(dispatch, nullptr);
    std::unique_ptr<platform::ShellNameSpace> bin = dispatch->NameSpace(platform::kFolderRecycleBin);
    ASSERT_NE(bin, nullptr);
    std::unique_ptr<platform::ShellFolderItem> binItem = bin->OwnItem();
    ASSERT_NE(binItem, nullptr) << "Item() with its argument left out";
    const auto verbs = binItem->Verbs();
    // The verbs of the item's context menu; its separators have no name.
    int named = 0;
    for (const auto& verb : verbs) named += !verb->Name().empty();
    EXPECT_GE(named, 2);

    const std::string desktopPath = Win32ShellFolder(nullptr).GetFolderPath(platform::kDesktopDirectoryCreate);
    const fs::path onDesktop = fs::path(Widen(desktopPath)) / L"lumbra-parse-name.txt";
    Touch(onDesktop);
    std::unique_ptr<platform::ShellNameSpace> desktop = dispatch->NameSpace(platform::kFolderDesktop);
    ASSERT_NE(desktop, nullptr);
    EXPECT_NE(desktop->ParseName("lumbra-parse-name.txt"), nullptr);
    EXPECT_EQ(desktop->ParseName("no such item on the desktop"), nullptr);
    fs::remove(onDesktop);
    EXPECT_NE(dispatch->NameSpace(platform::kFolderMyDocuments), nullptr);
}

class MinimisableWindow {
public:
    MinimisableWindow() {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = ::DefWindowProcW;
        cls.hInstance = ::GetModuleHandleW(nullptr);
        cls.lpszClassName = L"LumbraMinimiseTest";
        ::RegisterClassExW(&cls);
        hwnd = ::CreateWindowExW(0, L"LumbraMinimiseTest", L"minimise me", WS_OVERLAPPEDWINDOW, 50, 50, 200, 150,
                                 nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::ShowWindow(hwnd, SW_SHOWNORMAL);
    }
    ~MinimisableWindow() { ::DestroyWindow(hwnd); }
    HWND hwnd = nullptr;
};

TEST(MenuShellObject, MinimiseAllAndItsUndoReachTheWindows) {
    com_apartment com;
    MinimisableWindow window;
    ASSERT_FALSE(::IsIconic(window.hwnd));
    Win32Shell shell;
    ASSERT_NE(shell.CreateShellDispatch(), nullptr);
    shell.CreateShellDispatch()->MinimizeAll();
    EXPECT_TRUE(WaitFor([&] { return ::IsIconic(window.hwnd) != FALSE; }));
    // Another object of the same shell undoes it: the command makes a new one every time.
    shell.CreateShellDispatch()->UndoMinimizeALL();
    EXPECT_TRUE(WaitFor([&] { return ::IsIconic(window.hwnd) == FALSE; }));
}

TEST(MenuShellObject, TheVersionIsAtLeastWindowsMe) {
    Win32Shell shell;
    const platform::WindowsVersion version = shell.Version();
    EXPECT_GE(version.major * 100 + version.minor, 490u);
}

// ---- the recycle bins -----------------------------------------------------------------------

void EmptyEveryBinQuietly(Win32Shell& shell) {
    shell.EmptyRecycleBin(0, "", SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}

TEST(MenuRecycleBin, AFileDeletedToTheBinMakesItFullAndEmptyingMakesItEmpty) {
    Win32Shell shell;
    EmptyEveryBinQuietly(shell);
    EXPECT_FALSE(menu::QueryRecycleBinFull(shell));
    EXPECT_EQ(shell.GetDriveType("C:\\"), platform::DriveType::Fixed);

    const fs::path folder = TempFolder(L"lumbra-bin");
    const fs::path victim = folder / L"ごみ.txt";
    Touch(victim, "some bytes to throw away");
    std::wstring from = victim.wstring();
    from.push_back(L'\0');  // the list ends with an empty name
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(::SHFileOperationW(&operation), 0);
    ASSERT_FALSE(fs::exists(victim));

    EXPECT_TRUE(menu::QueryRecycleBinFull(shell));
    platform::RecycleBinInfo drive;
    ASSERT_TRUE(shell.QueryRecycleBin("C:\\", drive));
    EXPECT_GE(drive.items, 1);

    EmptyEveryBinQuietly(shell);
    EXPECT_FALSE(menu::QueryRecycleBinFull(shell));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace lumbra::win32
