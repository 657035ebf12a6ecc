// The desktop background settings: the profile and registry readers with their buffers and
// sentinels, the numeric value of a text, the colour triplet, and which store wins.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "desktop/NumericValue.h"
#include "desktop/modMain.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"

namespace lumbra::desktop {
namespace {

using platform::RegType;
using platform::RootKey;
constexpr std::int32_t kDesktopColour = static_cast<std::int32_t>(0x80000001u);

TEST(Readers, ProfileValueIsCutToOneLessThanTheSizeAndNothingReadIsMinusOne) {
    fakes::FakeProfileFile profile;
    profile.Put("WIN.INI", "Desktop", "Wallpaper", "C:\\壁紙\\海.bmp");
    profile.Put("WIN.INI", "Desktop", "Empty", "");
    profile.Put("WIN.INI", "Desktop", "Long", std::string(200, 'a') + std::string(100, 'b'));
    profile.Put("WIN.INI", "Desktop", "Nul", std::string("ab\0cd", 5));
    const struct {
        const char *section, *key;
        std::uint32_t size;
        const char* file;
        std::string value;
    } cases[] = {
        {"Desktop", "Wallpaper", 261, "WIN.INI", "C:\\壁紙\\海.bmp"}, {"Desktop", "Empty", 261, "WIN.INI", "-1"},
        {"Desktop", "Long", 261, "WIN.INI", std::string(200, 'a') + std::string(60, 'b')},
        {"Desktop", "Wallpaper", 1, "WIN.INI", "-1"}, {"Desktop", "Nul", 261, "WIN.INI", "ab"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadIniString(profile, c.section, c.key, c.size, c.file), c.value) << c.key;
}

TEST(Readers, RegistryValueIsTheTextOfItsBytesUpToTheFirstNulOrEmpty) {
    fakes::FakeRegistry reg;
    const std::string key = "Software\\Lumbra\\Test";
    reg.PutString(RootKey::CurrentUser, key, "Text", "C:\\壁紙\\海.jpg");
    reg.PutString(RootKey::CurrentUser, key, "Empty", "");
    reg.PutValue(RootKey::CurrentUser, key, "NoNul", RegType::String, {'x', 0, 'y', 0});
    reg.PutValue(RootKey::CurrentUser, key, "Odd", RegType::String, {'x', 0, 'y', 0, 'z'});
    reg.PutDword(RootKey::CurrentUser, key, "Zero", 0);
    reg.PutDword(RootKey::CurrentUser, key, "Twelve", 0x00003231u);
    reg.PutBinary(RootKey::CurrentUser, key, "Bin", {'a', 'b', 0, 'c'});
    reg.PutBinary(RootKey::CurrentUser, key, "Bin1023", std::vector<std::uint8_t>(1023, 'b'));
    reg.PutBinary(RootKey::CurrentUser, key, "Bin1024", std::vector<std::uint8_t>(1024, 'b'));
    reg.PutString(RootKey::CurrentUser, key, "Over", std::string(512, 'w'));
    reg.PutString(RootKey::ClassesRoot, "CLSID\\{X}", "", "既定の名前");
    const struct {
        RootKey root;
        std::string path;
        const char* name;
        std::string text;
    } cases[] = {
        {RootKey::CurrentUser, key, "Text", "C:\\壁紙\\海.jpg"}, {RootKey::CurrentUser, key, "Empty", ""},
        {RootKey::CurrentUser, key, "NoNul", "xy"}, {RootKey::CurrentUser, key, "Odd", "xy"},  // half a character at the end
        {RootKey::CurrentUser, key, "Zero", ""}, {RootKey::CurrentUser, key, "Twelve", "12"},
        {RootKey::CurrentUser, key, "Bin", "ab"}, {RootKey::CurrentUser, key, "Bin1023", std::string(1023, 'b')},
        {RootKey::CurrentUser, key, "Bin1024", ""},  // no room left for the NUL in the buffer
        {RootKey::CurrentUser, key, "Over", ""}, {RootKey::CurrentUser, key, "Missing", ""},
        {RootKey::CurrentUser, "Software\\Nowhere", "Text", ""}, {RootKey::ClassesRoot, "CLSID\\{X}", "", "既定の名前"},
        {RootKey::CurrentUser, "CLSID\\{X}", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadRegString(reg, c.root, c.path, c.name), c.text) << c.name;
    EXPECT_EQ(reg.KeysClosed(), reg.KeysOpened());
}

TEST(NumericValue, ReadsTheNumberAtTheStartOfTheText) {
    const std::pair<std::string, double> cases[] = {
        {"42", 42}, {"+7", 7}, {"-13", -13}, {"2.5", 2.5}, {".25", 0.25}, {"-.5", -0.5}, {"5.", 5},
        {"1.5E2", 150}, {"1.5d2", 150}, {"25E-1", 2.5}, {"2E+1", 20}, {"7E", 7}, {"7E+", 7}, {"7Ex", 7},
        {"&H1F", 31}, {"&h1f", 31}, {"&H19", 25}, {"&HA", 10}, {"&Ha", 10}, {"&O17", 15}, {"&o7", 7},
        {"&O178", 15}, {"&H1G", 1}, {"&H1:", 1}, {"&O1:", 1}, {"&H", 0}, {"&O8", 0}, {"&", 0}, {"&X1", 0},
        {"&HFFFF", -1}, {"&H8000", -32768}, {"&H7FFF", 32767}, {"&H10000", 65536}, {"&HFFFFFFFF", -1},
        {"&H100000000", 4294967296.0}, {"&H" + std::string(17, 'F'), HUGE_VAL}, {"&O177777", -1},
        {"  12", 12}, {"1 2 3", 123}, {"\t-\t5", -5}, {"\n4\n2\n", 42}, {"1 . 5 E 1", 15}, {"& H 1 F", 31},
        {"4\r2", 4}, {"\r42", 0}, {"12abc", 12}, {"1.2.3", 1.2}, {"3,5", 3}, {"1E2.5", 100}, {"9-1", 9},
        {"", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"--5", 0}, {"+-5", 0}, {"-&H1", 0}, {"E5", 0}, {"0x1F", 0},
        {"1E-400", 0}, {"0.01E-400", 0}, {"1E400", HUGE_VAL}, {"-1E400", -HUGE_VAL}, {"0.001E+400", HUGE_VAL},
        {std::string(400, '9'), HUGE_VAL}, {"0." + std::string(400, '0') + "1", 0},
        {"1E99999999999999999999", HUGE_VAL}, {"1E-99999999999999999999", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(NumericValue(text), value) << '"' << text << '"';
}

TEST(NumericValue, FieldsRoundHalfToEvenThenCheckTheirRange) {
    const std::pair<double, double> rounding[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {-2.5, -2},
                                                  {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {-0.2, 0}, {7, 7}};
    for (const auto& [value, rounded] : rounding) EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    const std::pair<double, std::optional<std::int16_t>> narrow[] = {
        {32767, 32767}, {-32768, -32768}, {32768, {}}, {-32769, {}}, {32767.5, {}}, {32766.5, 32766}, {-32768.5, -32768}, {HUGE_VAL, {}}};
    for (const auto& [value, field] : narrow) EXPECT_EQ(ToInt16(value), field) << value;
    const std::pair<double, std::optional<std::int32_t>> wide[] = {
        {2147483647.0, 2147483647}, {-2147483648.0, INT32_MIN}, {2147483648.0, {}}, {-2147483649.0, {}},
        {2147483647.5, {}}, {-2147483648.5, INT32_MIN}, {std::nan(""), {}}};
    for (const auto& [value, field] : wide) EXPECT_EQ(ToInt32(value), field) << std::fixed << value;
}

TEST(ParseColorTriplet, RedPlusGreenTimes256PlusBlueTimes65536OrTheDesktopColour) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0 128 128", 8421376}, {"255 255 255", 16777215}, {"1 0 0", 1}, {"0 1 0", 256}, {"0 0 1", 65536},
        {"-1", kDesktopColour}, {"", kDesktopColour}, {"-1 0 0", -1}, {"0  128 128", 8388608},  // fields 0, "", 128, 128
        {" 1 2 3", 131328}, {"10 20 30 40", 1971210}, {"1 2 3 ", 197121}, {"5", kDesktopColour}, {"10 20", kDesktopColour},
        {"10\t20\t30", kDesktopColour}, {"256 0 0", 256}, {"&HFF 0 0", 255}, {"x 1 0", 256}, {"0.5 1.5 2.5", 131584},
        {"0 0 -32768", INT32_MIN}, {"0 0 32767", 2147418112}, {"0 0 32768", kDesktopColour}, {"-1 0 -32768", kDesktopColour},
        {"4294967296 0 0", kDesktopColour}, {"1E400 0 0", kDesktopColour},
    };
    for (const auto& [text, colour] : cases) EXPECT_EQ(ParseColorTriplet(text), colour) << '"' << text << '"';
}

using Entries = std::vector<std::pair<const char*, std::string>>;

// The profile's [Desktop] entries and the registry's values, and the wallpaper, tile flag and
// style they give; the pattern and the colour always come from the profile.
TEST(GetWallpaperInfo, PictureTileFlagAndStyleFromTheProfileOrARegistryPictureThatIsNoPage) {
    const std::string longPath = "C:\\" + std::string(297, 'p');
    const Entries old{{"Wallpaper", "C:\\old.bmp"}, {"WallPaperStyle", "2"}};
    const struct {
        Entries desktop, reg;
        std::string wallpaper;
        int tile, style;
    } cases[] = {
        {{}, {}, "(なし)", 1, 1},
        {{{"Wallpaper", "C:\\雲.bmp"}, {"TileWallpaper", "0"}, {"WallPaperStyle", "2"}}, {}, "C:\\雲.bmp", 0, 2},
        {{{"TileWallpaper", " 1 "}, {"WallPaperStyle", "2.5"}}, {}, "(なし)", 1, 2},
        {{{"TileWallpaper", "40000"}, {"WallPaperStyle", "-32769"}}, {}, "(なし)", 1, 1},
        {{{"TileWallpaper", "32767"}, {"WallPaperStyle", "-32768"}}, {}, "(なし)", 32767, -32768},
        {{{"Wallpaper", longPath}}, {}, longPath.substr(0, 260), 1, 1},
        {old, {{"Wallpaper", "C:\\写真\\海.jpg"}, {"TileWallpaper", "0"}, {"WallpaperStyle", "2"}}, "C:\\写真\\海.jpg", 0, 2},
        {{{"TileWallpaper", "1"}, {"WallPaperStyle", "2"}}, {{"Wallpaper", "C:\\a.jpg"}}, "C:\\a.jpg", 0, 0},
        {{}, {{"Wallpaper", "C:\\a.jpg"}, {"TileWallpaper", "70000"}, {"WallpaperStyle", "-1"}}, "C:\\a.jpg", 0, -1},
        {old, {{"Wallpaper", "C:\\Pictures\\sunset"}, {"WallpaperStyle", "99999"}}, "C:\\Pictures\\sunset", 0, 0},
        {old, {{"TileWallpaper", "0"}, {"Wallpaper", ""}}, "C:\\old.bmp", 1, 2},
        {old, {{"Wallpaper", "C:\\w\\page.HTM"}, {"TileWallpaper", "0"}}, "C:\\old.bmp", 1, 2},  // a page
        {old, {{"Wallpaper", "C:\\w\\page.Html"}}, "C:\\old.bmp", 1, 2}, {old, {{"Wallpaper", "C:\\p.ht"}}, "C:\\p.ht", 0, 0},
        {old, {{"Wallpaper", "C:\\site.htm\\pic"}}, "C:\\site.htm\\pic", 0, 0}, {old, {{"Wallpaper", "C:\\p.htmlx"}}, "C:\\p.htmlx", 0, 0},
    };
    for (const auto& c : cases) {
        fakes::FakeProfileFile profile;
        fakes::FakeRegistry registry;
        for (const auto& [key, value] : c.desktop) profile.Put("WIN.INI", "Desktop", key, value);
        for (const auto& [name, value] : c.reg) registry.PutString(RootKey::CurrentUser, kDesktopGeneralKey, name, value);
        registry.PutString(RootKey::LocalMachine, kDesktopGeneralKey, "Wallpaper", "C:\\machine.jpg");  // never seen
        profile.Put("WIN.INI", "Desktop", "Pattern", "  170 85  ");
        profile.Put("WIN.INI", "colors", "BackGround", c.tile == 0 ? "255 255 255" : "-1");
        const WallpaperInfo info = GetWallpaperInfo(profile, registry);
        EXPECT_EQ(info.wallpaper, c.wallpaper);
        EXPECT_EQ(info.tileWallpaper, c.tile) << c.wallpaper;
        EXPECT_EQ(info.wallpaperStyle, c.style) << c.wallpaper;
        EXPECT_EQ(info.pattern, "  170 85  ");
        EXPECT_EQ(info.backColor, c.tile == 0 ? 16777215 : kDesktopColour);
    }
}

}  // namespace
}  // namespace lumbra::desktop
