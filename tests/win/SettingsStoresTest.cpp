// The settings readers against the real registry and WIN.INI of a throwaway Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include "desktop/modMain.h"
#include "platform/win32/Profile.h"
#include "platform/win32/Registry.h"
#include "platform/win32/Settings.h"
#include "platform/win32/SystemInfo.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

const wchar_t kScratchKey[] = L"Software\\LumbraTests\\Readers";

class RegistryScratch : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\LumbraTests"); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\LumbraTests"); }

    static void Put(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
        ::RegCloseKey(key);
    }
    static void PutText(const wchar_t* name, const std::wstring& text) {
        Put(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    static std::string Read(std::string_view name) {
        Win32Registry registry;
        return desktop::ReadRegString(registry, platform::RootKey::CurrentUser, "Software\\LumbraTests\\Readers",
                                      name);
    }
};

TEST_F(RegistryScratch, ReadsTextValuesIncludingTheDefaultAndJapanese) {
    PutText(L"", L"既定の値");
    PutText(L"Wallpaper", L"C:\\壁紙\\写真 ①.jpg");
    EXPECT_EQ(Read(""), "既定の値");
    EXPECT_EQ(Read("Wallpaper"), "C:\\壁紙\\写真 ①.jpg");
}

TEST_F(RegistryScratch, MissingKeyOrValueReadsAsEmptyText) {
    Win32Registry registry;
    EXPECT_EQ(desktop::ReadRegString(registry, platform::RootKey::CurrentUser, "Software\\LumbraTests\\Nowhere", "x"),
              "");
    PutText(L"Other", L"1");
    EXPECT_EQ(Read("Missing"), "");
}

TEST_F(RegistryScratch, NumbersReadAsTheTextOfTheirBytes) {
    const DWORD zero = 0;
    const DWORD fiftyTwo = 0x32;  // the byte of the digit "2"
    Put(L"Zero", REG_DWORD, &zero, sizeof zero);
    Put(L"Digit", REG_DWORD, &fiftyTwo, sizeof fiftyTwo);
    EXPECT_EQ(Read("Zero"), "");
    EXPECT_EQ(Read("Digit"), "2");
}

TEST_F(RegistryScratch, ValueTooLargeForTheBufferReadsAsEmptyText) {
    PutText(L"Long", std::wstring(600, L'a'));  // 1202 bytes in UTF-16
    PutText(L"Fits", std::wstring(400, L'b'));  // 802 bytes
    EXPECT_EQ(Read("Long"), "");
    EXPECT_EQ(Read("Fits"), std::string(400, 'b'));
}

TEST(ProfileFile, ReadsWinIniThroughTheProfileApiWithTheSentinels) {
    ASSERT_TRUE(::WritePrivateProfileStringW(L"LumbraTests", L"Colour", L"0 128 128", L"WIN.INI"));
    ASSERT_TRUE(::WritePrivateProfileStringW(L"LumbraTests", L"Empty", L"", L"WIN.INI"));
    ASSERT_TRUE(::WritePrivateProfileStringW(L"LumbraTests", L"Long", std::wstring(300, L'z').c_str(), L"WIN.INI"));
    // [Desktop] lives in the registry (Unicode); other sections of WIN.INI may be a file in the
    // system's ANSI code page.
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Desktop", L"LumbraTestName", L"デスクトップ.bmp", L"WIN.INI"));
    Win32Profile profile;
    EXPECT_EQ(desktop::ReadIniString(profile, "LumbraTests", "Colour", 261, "WIN.INI"), "0 128 128");
    EXPECT_EQ(desktop::ReadIniString(profile, "LumbraTests", "Empty", 261, "WIN.INI"), "-1");
    EXPECT_EQ(desktop::ReadIniString(profile, "LumbraTests", "Missing", 261, "WIN.INI"), "-1");
    EXPECT_EQ(desktop::ReadIniString(profile, "NoSuchSection", "Colour", 261, "WIN.INI"), "-1");
    EXPECT_EQ(desktop::ReadIniString(profile, "LumbraTests", "Long", 261, "WIN.INI"), std::string(260, 'z'));
    EXPECT_EQ(desktop::ReadIniString(profile, "Desktop", "LumbraTestName", 261, "WIN.INI"), "デスクトップ.bmp");
    ::WritePrivateProfileStringW(L"LumbraTests", nullptr, nullptr, L"WIN.INI");
    ::WritePrivateProfileStringW(L"Desktop", L"LumbraTestName", nullptr, L"WIN.INI");
}

TEST(WallpaperSettings, RegistryWallpaperWinsOverTheProfile) {
    const wchar_t general[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
    ::WritePrivateProfileStringW(L"Desktop", L"Wallpaper", L"C:\\profile.bmp", L"WIN.INI");
    ::WritePrivateProfileStringW(L"Desktop", L"TileWallpaper", L"1", L"WIN.INI");
    ::WritePrivateProfileStringW(L"colors", L"BackGround", L"10 20 30", L"WIN.INI");
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, general, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring wall = L"C:\\registry.jpg";
    const std::wstring style = L"2";
    ::RegSetValueExW(key, L"Wallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(wall.c_str()),
                     static_cast<DWORD>((wall.size() + 1) * 2));
    ::RegSetValueExW(key, L"WallpaperStyle", 0, REG_SZ, reinterpret_cast<const BYTE*>(style.c_str()),
                     static_cast<DWORD>((style.size() + 1) * 2));
    ::RegDeleteValueW(key, L"TileWallpaper");
    ::RegCloseKey(key);

    Win32Profile profile;
    Win32Registry registry;
    desktop::WallpaperInfo info = desktop::GetWallpaperInfo(profile, registry);
    EXPECT_EQ(info.wallpaper, "C:\\registry.jpg");
    EXPECT_EQ(info.tileWallpaper, 0);
    EXPECT_EQ(info.wallpaperStyle, 2);
    EXPECT_EQ(info.backColor, 10 + 20 * 256 + 30 * 65536);

    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, general, L"Wallpaper");
    info = desktop::GetWallpaperInfo(profile, registry);
    EXPECT_EQ(info.wallpaper, "C:\\profile.bmp");
    EXPECT_EQ(info.tileWallpaper, 1);
}

TEST(SettingsStore, SavesUnderTheClassicPerUserKeyAndReadsBack) {
    Win32Settings settings;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\LumbraTest");
    EXPECT_FALSE(settings.GetSetting("LumbraTest", "Setting", "Left").has_value());
    settings.SaveSetting("LumbraTest", "Setting", "Left", "-1234.5");
    settings.SaveSetting("LumbraTest", "UpdateInfo", "ApplicationPath", "C:\\プログラム\\Lumbra");
    EXPECT_EQ(settings.GetSetting("LumbraTest", "Setting", "Left"), "-1234.5");
    EXPECT_EQ(settings.GetSetting("LumbraTest", "UpdateInfo", "ApplicationPath"), "C:\\プログラム\\Lumbra");

    wchar_t raw[64] = {};
    DWORD bytes = sizeof raw;
    DWORD type = 0;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\LumbraTest\\Setting", L"Left",
                             RRF_RT_ANY, &type, raw, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(raw, L"-1234.5");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\LumbraTest");
}

TEST(SystemInfo, CommandLineIsTheTextAfterTheProgramName) {
    EXPECT_EQ(ArgumentsOf(L"LumbraPanel.exe /dbg"), L"/dbg");
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\Lumbra\\LumbraPanel.exe\"  /dbg x"), L"/dbg x");
    EXPECT_EQ(ArgumentsOf(L"\"C:\\a b\\LumbraPanel.exe\""), L"");
    EXPECT_EQ(ArgumentsOf(L"C:\\LumbraPanel.exe\t/DBG "), L"/DBG ");
}

TEST(SystemInfo, ScreenMetricsFollowTheDisplay) {
    Win32SystemInfo system;
    platform::ScreenMetrics m = system.Screen();
    EXPECT_FLOAT_EQ(m.twipsPerPixelX, 15.0f);  // the test prefix runs at 96 DPI
    EXPECT_FLOAT_EQ(m.widthTwips, static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)) * 15.0f);
    EXPECT_FLOAT_EQ(m.heightTwips, static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)) * 15.0f);
    std::string folder = system.ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
}

}  // namespace
}  // namespace lumbra::win32
