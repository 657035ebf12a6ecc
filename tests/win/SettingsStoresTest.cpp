// The registry reader against the real registry of a throwaway Wine prefix, and what the system
// tells of the program and the screen. (The settings store and WIN.INI are read and written
// end to end.)
#include <gtest/gtest.h>
#include <windows.h>

#include "desktop/modMain.h"
#include "platform/win32/Registry.h"
#include "platform/win32/SystemInfo.h"

namespace lumbra::win32 {
namespace {

TEST(Registry, TextValuesReadBackAndAnythingElseReadsAsTheTextOfItsBytesOrEmpty) {
    const wchar_t key[] = L"Software\\LumbraTests\\Readers";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\LumbraTests");
    const DWORD digit = 0x32;  // the byte of "2"
    const std::wstring japanese = L"C:\\壁紙\\写真 ①.jpg", fits(400, L'b'), tooLong(600, L'a');
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"", REG_SZ, japanese.c_str(), DWORD((japanese.size() + 1) * 2));
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Digit", REG_DWORD, &digit, sizeof digit);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Fits", REG_SZ, fits.c_str(), DWORD((fits.size() + 1) * 2));
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Long", REG_SZ, tooLong.c_str(), DWORD((tooLong.size() + 1) * 2));
    Win32Registry registry;
    auto read = [&](const char* path, const char* name) {
        return desktop::ReadRegString(registry, platform::RootKey::CurrentUser, path, name);
    };
    EXPECT_EQ(read("Software\\LumbraTests\\Readers", ""), "C:\\壁紙\\写真 ①.jpg");
    EXPECT_EQ(read("Software\\LumbraTests\\Readers", "Digit"), "2");
    EXPECT_EQ(read("Software\\LumbraTests\\Readers", "Fits"), std::string(400, 'b'));
    EXPECT_EQ(read("Software\\LumbraTests\\Readers", "Long"), "") << "1202 bytes: more than the buffer";
    EXPECT_EQ(read("Software\\LumbraTests\\Readers", "Missing"), "");
    EXPECT_EQ(read("Software\\LumbraTests\\Nowhere", "x"), "");
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
