// The desktop background settings: the colour text, and the precedence and sentinels of the
// profile file and the registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/modMain.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"

namespace lumbra::desktop {
namespace {

using fakes::FakeProfileFile;
using fakes::FakeRegistry;
using platform::RootKey;

constexpr std::int32_t kDesktopColour = static_cast<std::int32_t>(0x80000001u);

TEST(ParseColorTriplet, RedPlusGreenTimes256PlusBlueTimes65536OrTheDesktopColour) {
    const struct {
        const char* text;
        std::int32_t colour;
        const char* why;
    } cases[] = {
        {"0 128 128", 8421376, "0 + 128 * 256 + 128 * 65536 = 32768 + 8388608"},
        {"255 255 255", 16777215, "0xFFFFFF"},
        {"1 0 0", 1, "red"},
        {"0 1 0", 256, "green"},
        {"0 0 1", 65536, "blue"},
        {"-1", kDesktopColour, "the profile reader's missing value"},
        {"", kDesktopColour, "empty"},
        {"-1 0 0", -1, "a red component of -1 is a number like any other: only the exact text -1 means missing"},
        {"0  128 128", 8388608, "fields 0, \"\", 128, 128: green 0 (no number), blue 128, the fourth ignored"},
        {" 1 2 3", 131328, "fields \"\", 1, 2, 3: red 0, green 1, blue 2 -> 256 + 131072"},
        {"10 20 30 40", 1971210, "fields after the third are ignored: 10 + 5120 + 1966080"},
        {"1 2 3 ", 197121, "fields 1, 2, 3, \"\": 1 + 512 + 196608"},
        {"5", kDesktopColour, "one field"},
        {"10 20", kDesktopColour, "two fields"},
        {"10\t20\t30", kDesktopColour, "tabs do not separate fields: one field only"},
        {"256 0 0", 256, "components are not limited to 255"},
        {"&HFF 0 0", 255, "components are numeric values"},
        {"x 1 0", 256, "text without a number is 0"},
        {"0.5 1.5 2.5", 131584, "halves to even: 0, 2, 2 -> 2 * 256 + 2 * 65536"},
        {"0 0 -32768", INT32_MIN, "-32768 * 65536 is the smallest 32-bit value and still fits"},
        {"0 0 32767", 2147418112, "32767 * 65536 fits as well"},
        {"0 0 32768", kDesktopColour, "32768 * 65536 = 2^31, one more than the largest 32-bit value"},
        {"-1 0 -32768", kDesktopColour, "-1 - 2^31 is one below the smallest"},
        {"65535 65535 32767", kDesktopColour, "65535 + 16776960 + 2147418112 = 2164260607"},
        {"4294967296 0 0", kDesktopColour, "a component that is no 32-bit number at all"},
        {"1E400 0 0", kDesktopColour, "an infinite component"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseColorTriplet(c.text), c.colour) << "\"" << c.text << "\": " << c.why;
}

using Entries = std::vector<std::pair<const char*, std::string>>;

class GetWallpaperInfoTest : public ::testing::Test {
protected:
    void Desktop(std::string_view key, std::string_view value) { profile.Put("WIN.INI", "Desktop", key, value); }
    void Colors(std::string_view value) { profile.Put("WIN.INI", "colors", "BackGround", value); }
    void Reg(std::string_view name, std::string_view value) {
        registry.PutString(RootKey::CurrentUser, kDesktopGeneralKey, name, value);
    }
    WallpaperInfo Get() { return GetWallpaperInfo(profile, registry); }

    FakeProfileFile profile;
    FakeRegistry registry;
};

// The profile's [Desktop] entries and the registry's values, and the wallpaper, tile flag and
// style they give.
TEST_F(GetWallpaperInfoTest, PictureTileFlagAndStyleFromTheProfileOrTheRegistry) {
    const std::string longPath = "C:\\" + std::string(297, 'p');  // 300 characters
    const struct {
        const char* why;
        Entries desktop;
        Entries reg;
        std::string wallpaper;
        int tile;
        int style;
    } cases[] = {
        {"nothing stored anywhere", {}, {}, "(なし)", 1, 1},
        {"the profile's settings stand without a registry wallpaper",
         {{"Wallpaper", "C:\\Windows\\雲.bmp"}, {"TileWallpaper", "0"}, {"WallPaperStyle", "2"}}, {},
         "C:\\Windows\\雲.bmp", 0, 2},
        {"an empty profile wallpaper is none", {{"Wallpaper", ""}}, {}, "(なし)", 1, 1},
        {"a missing tile flag and style become 1", {{"Wallpaper", "C:\\a.bmp"}}, {}, "C:\\a.bmp", 1, 1},
        {"an empty tile flag and style become 1", {{"TileWallpaper", ""}, {"WallPaperStyle", ""}}, {}, "(なし)", 1, 1},
        {"profile numbers are numeric values rounded half to even",
         {{"TileWallpaper", " 1 "}, {"WallPaperStyle", "2.5"}}, {}, "(なし)", 1, 2},
        {"text without a number is 0, not missing", {{"TileWallpaper", "yes"}}, {}, "(なし)", 0, 1},
        {"a profile number outside 16 bits is taken as missing",
         {{"TileWallpaper", "40000"}, {"WallPaperStyle", "-32769"}}, {}, "(なし)", 1, 1},
        {"the edges of the 16-bit range are kept", {{"TileWallpaper", "32767"}, {"WallPaperStyle", "-32768"}}, {},
         "(なし)", 32767, -32768},
        {"the profile wallpaper is cut to 260 characters", {{"Wallpaper", longPath}}, {}, longPath.substr(0, 260), 1, 1},
        {"the registry's picture wins with its tile flag and style",
         {{"Wallpaper", "C:\\old.bmp"}, {"TileWallpaper", "1"}, {"WallPaperStyle", "0"}},
         {{"Wallpaper", "C:\\写真\\海.jpg"}, {"TileWallpaper", "0"}, {"WallpaperStyle", "2"}}, "C:\\写真\\海.jpg", 0, 2},
        {"a registry picture without tile flag or style gives 0, not 1",
         {{"TileWallpaper", "1"}, {"WallPaperStyle", "2"}}, {{"Wallpaper", "C:\\a.jpg"}}, "C:\\a.jpg", 0, 0},
        {"a registry tile flag or style outside 16 bits is 0 like an absent value", {},
         {{"Wallpaper", "C:\\a.jpg"}, {"TileWallpaper", "70000"}, {"WallpaperStyle", "-40000"}}, "C:\\a.jpg", 0, 0},
        {"a registry -1 is not replaced", {},
         {{"Wallpaper", "C:\\a.jpg"}, {"TileWallpaper", "-1"}, {"WallpaperStyle", "-1"}}, "C:\\a.jpg", -1, -1},
        {"a registry wallpaper without any dot is taken as a picture", {{"Wallpaper", "C:\\old.bmp"}},
         {{"Wallpaper", "C:\\Pictures\\sunset"}, {"WallpaperStyle", "2"}}, "C:\\Pictures\\sunset", 0, 2},
        {"an empty registry wallpaper leaves the profile in force",
         {{"Wallpaper", "C:\\old.bmp"}, {"TileWallpaper", "0"}}, {{"TileWallpaper", "1"}, {"Wallpaper", ""}},
         "C:\\old.bmp", 0, 1},
        {"a missing registry wallpaper leaves the profile in force", {{"Wallpaper", "C:\\old.bmp"}},
         {{"TileWallpaper", "1"}}, "C:\\old.bmp", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FakeProfileFile freshProfile;
        FakeRegistry freshRegistry;
        for (const auto& [key, value] : c.desktop) freshProfile.Put("WIN.INI", "Desktop", key, value);
        for (const auto& [name, value] : c.reg) {
            freshRegistry.PutString(RootKey::CurrentUser, kDesktopGeneralKey, name, value);
        }
        const WallpaperInfo info = GetWallpaperInfo(freshProfile, freshRegistry);
        EXPECT_EQ(info.wallpaper, c.wallpaper);
        EXPECT_EQ(info.tileWallpaper, c.tile);
        EXPECT_EQ(info.wallpaperStyle, c.style);
    }
}

TEST_F(GetWallpaperInfoTest, PatternAndColourComeFromTheProfileAlways) {
    WallpaperInfo info = Get();
    EXPECT_EQ(info.pattern, "-1");
    EXPECT_EQ(info.backColor, kDesktopColour);

    Desktop("Pattern", "  170 85 170 85  ");  // returned unchanged, blanks included
    Colors("255 255 255");
    Reg("Wallpaper", "C:\\写真\\海.jpg");
    info = Get();
    EXPECT_EQ(info.pattern, "  170 85 170 85  ");
    EXPECT_EQ(info.backColor, 16777215);
}

TEST_F(GetWallpaperInfoTest, ARegistryHtmlPageLeavesTheProfileInForceTheExtensionRunningFromTheLastDot) {
    Desktop("Wallpaper", "C:\\old.bmp");
    Desktop("TileWallpaper", "0");
    Desktop("WallPaperStyle", "2");
    Reg("TileWallpaper", "1");
    Reg("WallpaperStyle", "0");
    for (const char* page : {"C:\\web\\page.HTM", "C:\\web\\page.htm", "C:\\web\\page.Html", "C:\\web\\page.html",
                             "C:\\web\\page.hTmL", "C:\\pics.d\\page.htm"}) {
        SCOPED_TRACE(page);
        Reg("Wallpaper", page);
        WallpaperInfo info = Get();
        EXPECT_EQ(info.wallpaper, "C:\\old.bmp");
        EXPECT_EQ(info.tileWallpaper, 0);
        EXPECT_EQ(info.wallpaperStyle, 2);
    }
    // ".htm\pic" and ".htmlx" are no HTML extensions; "x.html.jpg" ends in ".jpg".
    for (const char* picture : {"C:\\site.htm\\pic", "C:\\page.htmlx", "C:\\x.html.jpg", "C:\\page.ht"}) {
        SCOPED_TRACE(picture);
        Reg("Wallpaper", picture);
        EXPECT_EQ(Get().wallpaper, picture);
    }
}

TEST_F(GetWallpaperInfoTest, ARegistryWallpaperUnderAnotherRootIsNotSeen) {
    Desktop("Wallpaper", "C:\\old.bmp");
    registry.PutString(RootKey::LocalMachine, kDesktopGeneralKey, "Wallpaper", "C:\\machine.jpg");
    EXPECT_EQ(Get().wallpaper, "C:\\old.bmp");
}

TEST_F(GetWallpaperInfoTest, ReadsTheStoresAfreshOnEveryCall) {
    Desktop("Wallpaper", "C:\\first.bmp");
    EXPECT_EQ(Get().wallpaper, "C:\\first.bmp");
    Desktop("Wallpaper", "C:\\second.bmp");
    Colors("1 0 0");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.wallpaper, "C:\\second.bmp");
    EXPECT_EQ(info.backColor, 1);
    Reg("Wallpaper", "C:\\third.jpg");
    EXPECT_EQ(Get().wallpaper, "C:\\third.jpg");
    registry.RemoveValue(RootKey::CurrentUser, kDesktopGeneralKey, "Wallpaper");
    EXPECT_EQ(Get().wallpaper, "C:\\second.bmp");
}

TEST_F(GetWallpaperInfoTest, ReadsTheExactNamesWithA261CharacterBuffer) {
    Reg("Wallpaper", "C:\\a.jpg");
    Get();
    std::vector<std::string> asked;
    for (const FakeProfileFile::Call& call : profile.Calls()) {
        asked.push_back(call.section + "/" + call.key);
        EXPECT_EQ(call.size, 261u);
        EXPECT_EQ(call.file, "WIN.INI");
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"Desktop/Wallpaper", "Desktop/TileWallpaper", "Desktop/WallPaperStyle",
                                               "Desktop/Pattern", "colors/BackGround"}));
    std::vector<std::string> queried;
    for (const FakeRegistry::Query& q : registry.Queries()) {
        EXPECT_EQ(q.root, RootKey::CurrentUser);
        EXPECT_EQ(q.path, "Software\\Microsoft\\Internet Explorer\\Desktop\\General");
        queried.push_back(q.name);
    }
    EXPECT_EQ(queried, (std::vector<std::string>{"Wallpaper", "TileWallpaper", "WallpaperStyle"}));
    EXPECT_EQ(registry.KeysClosed(), registry.KeysOpened());
}

}  // namespace
}  // namespace lumbra::desktop
