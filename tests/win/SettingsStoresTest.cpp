// The registry reader against the real registry of a throwaway Wine prefix, and what the system
// tells of the program and the screen. (The settings store and WIN.INI are read and written
// end to end.)
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "desktop/modMain.h"
#include "platform/win32/Registry.h"
#include "platform/win32/SystemInfo.h"

namespace lumbra::win32 {
namespace {

TEST(Registry, TextValuesReadBackAndAnythingElseReadsAsTheTextOfItsBytesOrEmpty) {
    const wchar_t key[] = L"Software\\LumbraTests\\Readers";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\LumbraTests");
    const DWORD digit = 0x32;  // the byte of "2"
    const std::wstring japanese = L"C:\\壁紙\\写真 ①.jpg", fits(400, L'b'), tooLong(600, L'a');  // 1202 bytes
    for (const auto& [name, text] : {std::pair(L"", &japanese), std::pair(L"Fits", &fits), std::pair(L"Long", &tooLong)}) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text->c_str(), static_cast<DWORD>((text->size() + 1) * 2));
    }
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Digit", REG_DWORD, &digit, sizeof digit);
    Win32Registry registry;
    std::vector<std::string> read;
    for (const char* name : {"", "Digit", "Fits", "Long", "Missing"}) {
        read.push_back(desktop::ReadRegString(registry, platform::RootKey::CurrentUser, "Software\\LumbraTests\\Readers", name));
    }
    EXPECT_EQ(read, std::vector<std::string>({"C:\\壁紙\\写真 ①.jpg", "2", std::string(400, 'b'), "", ""}));
    EXPECT_EQ(desktop::ReadRegString(registry, platform::RootKey::CurrentUser, "Software\\LumbraTests\\Nowhere", ""), "");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\LumbraTests");
}

TEST(SystemInfo, TheCommandLineAfterTheProgramNameAndTheScreenAtTheSystemDpi) {
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\Lumbra\\LumbraPanel.exe\"  /dbg x"), L"/dbg x");
    EXPECT_EQ(ArgumentsOf(L"\"C:\\a b\\LumbraPanel.exe\""), L"");
    EXPECT_EQ(ArgumentsOf(L"C:\\LumbraPanel.exe\t/DBG "), L"/DBG ");
    const platform::ScreenMetrics m = Win32SystemInfo().Screen();
    EXPECT_EQ(m.dpiX, 96) << "the test prefix runs at 96 DPI";
    EXPECT_EQ(m.widthTwips, static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)) * 15.0f);
    EXPECT_NE(Win32SystemInfo().ProgramFolder().back(), '\\');
}

}  // namespace
}  // namespace lumbra::win32
