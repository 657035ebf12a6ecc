// The desktop background settings: the colour text, and the precedence and sentinels of the
// profile file and the registry.
#include <gtest/gtest.h>

#include <string>

#include "desktop/modMain.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"

namespace lumbra::desktop {
namespace {

using fakes::FakeProfileFile;
using fakes::FakeRegistry;
using platform::RootKey;

constexpr std::int32_t kDesktopColour = static_cast<std::int32_t>(0x80000001u);

TEST(ParseColorTriplet, RedGreenBlueMakeRedPlusGreenTimes256PlusBlueTimes65536) {
    // 0 + 128 * 256 + 128 * 65536 = 32768 + 8388608
    EXPECT_EQ(ParseColorTriplet("0 128 128"), 8421376);
    // 255 + 255 * 256 + 255 * 65536 = 0xFFFFFF
    EXPECT_EQ(ParseColorTriplet("255 255 255"), 16777215);
    EXPECT_EQ(ParseColorTriplet("1 0 0"), 1);
    EXPECT_EQ(ParseColorTriplet("0 1 0"), 256);
    EXPECT_EQ(ParseColorTriplet("0 0 1"), 65536);
}

TEST(ParseColorTriplet, MissingOrEmptyTextIsTheDesktopColour) {
    EXPECT_EQ(ParseColorTriplet("-1"), kDesktopColour);
    EXPECT_EQ(ParseColorTriplet(""), kDesktopColour);
}

TEST(ParseColorTriplet, OnlyTheExactTextMinusOneMeansMissing) {
    // A red component of -1 is a number like any other: -1 + 0 + 0.
    EXPECT_EQ(ParseColorTriplet("-1 0 0"), -1);
}

TEST(ParseColorTriplet, TwoBlanksInARowMakeAnEmptyField) {
    // Fields "0", "", "128", "128": red 0, green 0 (no number), blue 128; the fourth is ignored.
    EXPECT_EQ(ParseColorTriplet("0  128 128"), 8388608);
    // Fields "", "1", "2", "3": red 0, green 1, blue 2 -> 256 + 131072.
    EXPECT_EQ(ParseColorTriplet(" 1 2 3"), 131328);
}

TEST(ParseColorTriplet, FieldsAfterTheThirdAreIgnored) {
    // 10 + 20 * 256 + 30 * 65536 = 10 + 5120 + 1966080
    EXPECT_EQ(ParseColorTriplet("10 20 30 40"), 1971210);
    // Fields 1, 2, 3, "": 1 + 512 + 196608.
    EXPECT_EQ(ParseColorTriplet("1 2 3 "), 197121);
}

TEST(ParseColorTriplet, FewerThanThreeFieldsIsTheDesktopColour) {
    EXPECT_EQ(ParseColorTriplet("5"), kDesktopColour);
    EXPECT_EQ(ParseColorTriplet("10 20"), kDesktopColour);
    // Tabs do not separate fields: one field only.
    EXPECT_EQ(ParseColorTriplet("10\t20\t30"), kDesktopColour);
}

TEST(ParseColorTriplet, ComponentsAreNumericValuesNotLimitedTo255) {
    EXPECT_EQ(ParseColorTriplet("256 0 0"), 256);
    EXPECT_EQ(ParseColorTriplet("&HFF 0 0"), 255);
    EXPECT_EQ(ParseColorTriplet("x 1 0"), 256);
    // Rounded half to even: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2; 2 * 256 + 2 * 65536.
    EXPECT_EQ(ParseColorTriplet("0.5 1.5 2.5"), 131584);
    // Signed arithmetic: -32768 * 65536 is the smallest 32-bit value and still fits.
    EXPECT_EQ(ParseColorTriplet("0 0 -32768"), INT32_MIN);
    // 32767 * 65536 = 2147418112 fits as well.
    EXPECT_EQ(ParseColorTriplet("0 0 32767"), 2147418112);
}

TEST(ParseColorTriplet, ASumOutside32BitsIsTheDesktopColour) {
    // 32768 * 65536 = 2^31, one more than the largest 32-bit value.
    EXPECT_EQ(ParseColorTriplet("0 0 32768"), kDesktopColour);
    // -1 - 2^31 is one below the smallest.
    EXPECT_EQ(ParseColorTriplet("-1 0 -32768"), kDesktopColour);
    // 65535 + 65535 * 256 + 32767 * 65536 = 65535 + 16776960 + 2147418112 = 2164260607.
    EXPECT_EQ(ParseColorTriplet("65535 65535 32767"), kDesktopColour);
    // A component that is no 32-bit number at all.
    EXPECT_EQ(ParseColorTriplet("4294967296 0 0"), kDesktopColour);
    EXPECT_EQ(ParseColorTriplet("1E400 0 0"), kDesktopColour);
}

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

TEST_F(GetWallpaperInfoTest, NothingStoredAnywhere) {
    WallpaperInfo info = Get();
    EXPECT_EQ(info.wallpaper, "(なし)");
    EXPECT_EQ(info.tileWallpaper, 1);
    EXPECT_EQ(info.wallpaperStyle, 1);
    EXPECT_EQ(info.pattern, "-1");
    EXPECT_EQ(info.backColor, kDesktopColour);
}

TEST_F(GetWallpaperInfoTest, ProfileSettingsStandWithoutARegistryWallpaper) {
    Desktop("Wallpaper", "C:\\Windows\\雲.bmp");
    Desktop("TileWallpaper", "0");
    Desktop("WallPaperStyle", "2");
    Desktop("Pattern", "0 0 0 0 0 0 0 0");
    Colors("0 128 128");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.wallpaper, "C:\\Windows\\雲.bmp");
    EXPECT_EQ(info.tileWallpaper, 0);
    EXPECT_EQ(info.wallpaperStyle, 2);
    EXPECT_EQ(info.pattern, "0 0 0 0 0 0 0 0");
    EXPECT_EQ(info.backColor, 8421376);
}

TEST_F(GetWallpaperInfoTest, EmptyProfileWallpaperIsNone) {
    Desktop("Wallpaper", "");
    EXPECT_EQ(Get().wallpaper, "(なし)");
}

TEST_F(GetWallpaperInfoTest, MissingTileFlagAndStyleBecomeOne) {
    Desktop("Wallpaper", "C:\\a.bmp");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.tileWallpaper, 1);
    EXPECT_EQ(info.wallpaperStyle, 1);
}

TEST_F(GetWallpaperInfoTest, EmptyTileFlagAndStyleBecomeOne) {
    Desktop("TileWallpaper", "");
    Desktop("WallPaperStyle", "");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.tileWallpaper, 1);
    EXPECT_EQ(info.wallpaperStyle, 1);
}

TEST_F(GetWallpaperInfoTest, ProfileNumbersAreNumericValuesRoundedHalfToEven) {
    Desktop("TileWallpaper", " 1 ");
    Desktop("WallPaperStyle", "2.5");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.tileWallpaper, 1);
    EXPECT_EQ(info.wallpaperStyle, 2);
    // Text without a number is 0, not missing.
    Desktop("TileWallpaper", "yes");
    EXPECT_EQ(Get().tileWallpaper, 0);
}

TEST_F(GetWallpaperInfoTest, ProfileTileFlagOrStyleOutside16BitsIsTakenAsMissing) {
    Desktop("TileWallpaper", "40000");
    Desktop("WallPaperStyle", "-32769");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.tileWallpaper, 1);
    EXPECT_EQ(info.wallpaperStyle, 1);
    // The edges of the range are kept.
    Desktop("TileWallpaper", "32767");
    Desktop("WallPaperStyle", "-32768");
    info = Get();
    EXPECT_EQ(info.tileWallpaper, 32767);
    EXPECT_EQ(info.wallpaperStyle, -32768);
}

TEST_F(GetWallpaperInfoTest, PatternIsReturnedUnchangedBlanksIncluded) {
    Desktop("Pattern", "  170 85 170 85  ");
    EXPECT_EQ(Get().pattern, "  170 85 170 85  ");
}

TEST_F(GetWallpaperInfoTest, ProfileWallpaperIsCutTo260Characters) {
    const std::string path = "C:\\" + std::string(297, 'p');  // 300 characters
    Desktop("Wallpaper", path);
    EXPECT_EQ(Get().wallpaper, path.substr(0, 260));
}

TEST_F(GetWallpaperInfoTest, RegistryPictureWinsWithItsTileFlagAndStyle) {
    Desktop("Wallpaper", "C:\\old.bmp");
    Desktop("TileWallpaper", "1");
    Desktop("WallPaperStyle", "0");
    Desktop("Pattern", "1 2 3");
    Colors("255 255 255");
    Reg("Wallpaper", "C:\\写真\\海.jpg");
    Reg("TileWallpaper", "0");
    Reg("WallpaperStyle", "2");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.wallpaper, "C:\\写真\\海.jpg");
    EXPECT_EQ(info.tileWallpaper, 0);
    EXPECT_EQ(info.wallpaperStyle, 2);
    // Pattern and colour always come from the profile.
    EXPECT_EQ(info.pattern, "1 2 3");
    EXPECT_EQ(info.backColor, 16777215);
}

TEST_F(GetWallpaperInfoTest, RegistryPictureWithoutTileFlagOrStyleGivesZeroNotOne) {
    Desktop("TileWallpaper", "1");
    Desktop("WallPaperStyle", "2");
    Reg("Wallpaper", "C:\\a.jpg");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.wallpaper, "C:\\a.jpg");
    EXPECT_EQ(info.tileWallpaper, 0);
    EXPECT_EQ(info.wallpaperStyle, 0);
}

TEST_F(GetWallpaperInfoTest, RegistryTileFlagOrStyleOutside16BitsIsZeroLikeAnAbsentValue) {
    Reg("Wallpaper", "C:\\a.jpg");
    Reg("TileWallpaper", "70000");
    Reg("WallpaperStyle", "-40000");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.tileWallpaper, 0);
    EXPECT_EQ(info.wallpaperStyle, 0);
}

TEST_F(GetWallpaperInfoTest, RegistryMinusOneIsNotReplaced) {
    Reg("Wallpaper", "C:\\a.jpg");
    Reg("TileWallpaper", "-1");
    Reg("WallpaperStyle", "-1");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.tileWallpaper, -1);
    EXPECT_EQ(info.wallpaperStyle, -1);
}

TEST_F(GetWallpaperInfoTest, RegistryHtmlPageLeavesTheProfileInForce) {
    Desktop("Wallpaper", "C:\\old.bmp");
    Desktop("TileWallpaper", "0");
    Desktop("WallPaperStyle", "2");
    Reg("TileWallpaper", "1");
    Reg("WallpaperStyle", "0");
    for (const char* page : {"C:\\web\\page.HTM", "C:\\web\\page.htm", "C:\\web\\page.Html", "C:\\web\\page.html",
                             "C:\\web\\page.hTmL"}) {
        SCOPED_TRACE(page);
        Reg("Wallpaper", page);
        WallpaperInfo info = Get();
        EXPECT_EQ(info.wallpaper, "C:\\old.bmp");
        EXPECT_EQ(info.tileWallpaper, 0);
        EXPECT_EQ(info.wallpaperStyle, 2);
    }
}

TEST_F(GetWallpaperInfoTest, ExtensionRunsFromTheLastDot) {
    // ".htm\pic" and ".htmlx" are no HTML extensions; "x.html.jpg" ends in ".jpg".
    for (const char* picture : {"C:\\site.htm\\pic", "C:\\page.htmlx", "C:\\x.html.jpg", "C:\\page.ht"}) {
        SCOPED_TRACE(picture);
        Reg("Wallpaper", picture);
        EXPECT_EQ(Get().wallpaper, picture);
    }
    Reg("Wallpaper", "C:\\pics.d\\page.htm");
    EXPECT_EQ(Get().wallpaper, "(なし)");
}

TEST_F(GetWallpaperInfoTest, RegistryWallpaperWithoutAnyDotIsTakenAsAPicture) {
    Desktop("Wallpaper", "C:\\old.bmp");
    Reg("Wallpaper", "C:\\Pictures\\sunset");
    Reg("WallpaperStyle", "2");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.wallpaper, "C:\\Pictures\\sunset");
    EXPECT_EQ(info.wallpaperStyle, 2);
}

TEST_F(GetWallpaperInfoTest, EmptyOrMissingRegistryWallpaperLeavesTheProfileInForce) {
    Desktop("Wallpaper", "C:\\old.bmp");
    Desktop("TileWallpaper", "0");
    Reg("TileWallpaper", "1");
    Reg("Wallpaper", "");
    WallpaperInfo info = Get();
    EXPECT_EQ(info.wallpaper, "C:\\old.bmp");
    EXPECT_EQ(info.tileWallpaper, 0);

    registry.RemoveValue(RootKey::CurrentUser, kDesktopGeneralKey, "Wallpaper");
    EXPECT_EQ(Get().wallpaper, "C:\\old.bmp");
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
