#pragma once
// The shell for the popup menu's commands, the desktop lister glnFile and the code page 932
// counter, on the W functions.
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileLister.h"
#include "platform/Shell.h"

namespace lumbra::win32 {

class Win32CodePage932 final : public platform::CodePageCounter {
public:
    std::size_t Cp932ByteCount(std::string_view utf8) override;
};

// One directory search per folder; names compared as Explorer sorts them.
class Win32FileLister final : public platform::FileLister {
public:
    platform::FolderListing List(std::string_view folder) override;
    int CompareNames(std::string_view a, std::string_view b) override;
};

// The windows that the shell's own "minimise all" would have minimised, for systems whose
// Shell object does not do it (Wine answers E_NOTIMPL).
class MinimizedWindows {
public:
    void MinimizeAll();
    void RestoreAll();

private:
    std::vector<HWND> windows_;
};

class Win32Shell final : public platform::Shell {
public:
    bool StartProcess(std::string_view commandLine, std::int32_t show) override;
    std::unique_ptr<platform::ShellDispatch> CreateShellDispatch() override;
    bool QueryRecycleBin(std::string_view root, platform::RecycleBinInfo& info) override;
    void EmptyRecycleBin(std::uintptr_t owner, std::string_view root, std::uint32_t flags) override;
    platform::DriveType GetDriveType(std::string_view root) override;
    std::string SystemFolder() override;
    bool FileExists(std::string_view path) override;
    void ShowItemMenu(std::uintptr_t owner, std::string_view path, std::int32_t x, std::int32_t y) override;
    platform::WindowsVersion Version() override;

private:
    MinimizedWindows minimized_;
};

// The program name at the start of a command line (quoted or up to the first blank).
std::wstring ProgramOf(std::wstring_view commandLine);

}  // namespace lumbra::win32
