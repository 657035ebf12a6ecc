#include "platform/win32/ShellLauncher.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {

void Win32ShellLauncher::Execute(std::uintptr_t ownerWindow, std::string_view verb, std::string_view file,
                                 std::string_view parameters, std::string_view directory, int showCommand) {
    const std::wstring wideVerb = Widen(verb);
    const std::wstring wideFile = Widen(file);
    const std::wstring wideParameters = Widen(parameters);
    const std::wstring wideDirectory = Widen(directory);
    // Empty texts go as no text: the shell then uses no parameters and the current folder.
    ::ShellExecuteW(reinterpret_cast<HWND>(ownerWindow), wideVerb.empty() ? nullptr : wideVerb.c_str(), wideFile.c_str(),
                    wideParameters.empty() ? nullptr : wideParameters.c_str(),
                    wideDirectory.empty() ? nullptr : wideDirectory.c_str(), showCommand);
}

}  // namespace lumbra::win32
