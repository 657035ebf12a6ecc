// The profile and registry readers: their buffers, cuts and sentinels.
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
using platform::RegType;
using platform::RootKey;

TEST(TrimAtNull, CutsAtTheFirstNul) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Windows\\壁紙.bmp", "C:\\Windows\\壁紙.bmp"}, {"", ""}, {std::string("\0abc", 4), ""},
        {std::string("ab\0cd\0e", 7), "ab"},                    {std::string("abc\0", 4), "abc"}};
    for (const auto& [text, trimmed] : cases) EXPECT_EQ(TrimAtNull(text), trimmed) << trimmed;
}

TEST(ReadIniString, ValueCutToOneLessThanTheSizeOrMinusOneForNothing) {
    FakeProfileFile profile;
    profile.Put("WIN.INI", "Desktop", "Wallpaper", "C:\\壁紙\\海.bmp");
    profile.Put("WIN.INI", "Desktop", "Empty", "");
    profile.Put("WIN.INI", "Desktop", "TileWallpaper", "-1");
    profile.Put("WIN.INI", "Desktop", "Long", std::string(200, 'a') + std::string(100, 'b'));
    profile.Put("WIN.INI", "Desktop", "Exact", std::string(260, 'c'));
    profile.Put("WIN.INI", "Desktop", "OneOver", std::string(261, 'd'));
    const struct {
        const char* section;
        const char* key;
        std::uint32_t size;
        const char* file;
        std::string value;
        const char* why;
    } cases[] = {
        {"Desktop", "Wallpaper", 261, "WIN.INI", "C:\\壁紙\\海.bmp", "the value"},
        {"Desktop", "Wallpaper", 261, "OTHER.INI", "-1", "missing file"},
        {"colors", "Wallpaper", 261, "WIN.INI", "-1", "missing section"},
        {"Desktop", "Pattern", 261, "WIN.INI", "-1", "missing key"},
        {"Desktop", "Empty", 261, "WIN.INI", "-1", "an empty value is like a missing key"},
        {"Desktop", "TileWallpaper", 261, "WIN.INI", "-1", "a literal -1 cannot be told from missing"},
        {"Desktop", "Long", 261, "WIN.INI", std::string(200, 'a') + std::string(60, 'b'), "300 characters cut to 260"},
        {"Desktop", "Exact", 261, "WIN.INI", std::string(260, 'c'), "260 characters fit"},
        {"Desktop", "OneOver", 261, "WIN.INI", std::string(260, 'd'), "261 characters do not"},
        {"Desktop", "Wallpaper", 1, "WIN.INI", "-1", "room for the NUL only"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadIniString(profile, c.section, c.key, c.size, c.file), c.value) << c.key << ": " << c.why;
    }
}

TEST(ReadIniString, AsksWithAnEmptyDefaultAndTheGivenSizeAndFile) {
    FakeProfileFile profile;
    profile.Put("WIN.INI", "Desktop", "Wallpaper", "x.bmp");
    ReadIniString(profile, "Desktop", "Wallpaper", 77, "WIN.INI");
    ASSERT_EQ(profile.Calls().size(), 1u);
    const FakeProfileFile::Call& call = profile.Calls()[0];
    EXPECT_EQ(call.section, "Desktop");
    EXPECT_EQ(call.key, "Wallpaper");
    EXPECT_EQ(call.defaultValue, "");
    EXPECT_EQ(call.size, 77u);
    EXPECT_EQ(call.file, "WIN.INI");
}

class ReadRegStringTest : public ::testing::Test {
protected:
    static constexpr std::string_view kKey = "Software\\Lumbra\\Test";
    std::string Read(std::string_view name, std::string_view path = kKey, RootKey root = RootKey::CurrentUser) {
        return ReadRegString(reg, root, path, name);
    }
    FakeRegistry reg;
};

TEST_F(ReadRegStringTest, TextOfEachKindOfValueAndEveryReadClosesItsKey) {
    reg.PutString(RootKey::CurrentUser, kKey, "Text", "C:\\壁紙\\海.jpg");
    reg.PutString(RootKey::CurrentUser, kKey, "Empty", "");
    reg.PutString(RootKey::CurrentUser, kKey, "Blanks", "  x  ");
    reg.PutValue(RootKey::CurrentUser, kKey, "NoNul", RegType::String, {'x', 0, 'y', 0});
    reg.PutDword(RootKey::CurrentUser, kKey, "Zero", 0);
    reg.PutDword(RootKey::CurrentUser, kKey, "Twelve", 0x00003231u);
    reg.PutDword(RootKey::CurrentUser, kKey, "Full", 0x34333231u);
    reg.PutDword(RootKey::CurrentUser, kKey, "Two", 2);
    reg.PutBinary(RootKey::CurrentUser, kKey, "Bin", {'a', 'b', 0, 'c'});
    reg.PutString(RootKey::CurrentUser, kKey, "Fits", std::string(510, 'w'));
    reg.PutBinary(RootKey::CurrentUser, kKey, "Bin1023", std::vector<std::uint8_t>(1023, 'b'));
    reg.PutString(RootKey::CurrentUser, kKey, "Exact", std::string(511, 'w'));
    reg.PutString(RootKey::CurrentUser, kKey, "Over", std::string(512, 'w'));
    reg.PutBinary(RootKey::CurrentUser, kKey, "Bin1024", std::vector<std::uint8_t>(1024, 'b'));
    reg.PutBinary(RootKey::CurrentUser, kKey, "Bin4000", std::vector<std::uint8_t>(4000, 'b'));
    const struct {
        const char* name;
        std::string text;
        const char* why;
    } cases[] = {
        {"Text", "C:\\壁紙\\海.jpg", "a string value"},
        {"Empty", "", "an empty string"},
        {"Blanks", "  x  ", "blanks are kept"},
        {"NoNul", "xy", "a string stored without its NUL is read whole"},
        // A number or binary value is the text of its raw bytes up to the first zero byte.
        {"Zero", "", "0 is four zero bytes"},
        {"Twelve", "12", "0x00003231 is stored 31 32 00 00"},
        {"Full", "1234", "no zero byte at all: 31 32 33 34"},
        {"Two", "\x02", "2 is stored 02 00 00 00: a control character, not the digit"},
        {"Bin", "ab", "binary up to the first zero byte"},
        // The buffer holds 1024 bytes; a value that fills it leaves no room for the NUL.
        {"Fits", std::string(510, 'w'), "510 characters and the NUL: 1022 bytes"},
        {"Bin1023", std::string(1023, 'b'), "1023 bytes"},
        {"Exact", "", "511 characters and the NUL: exactly 1024 bytes"},
        {"Over", "", "512 characters and the NUL: 1026 bytes, beyond the buffer"},
        {"Bin1024", "", "1024 bytes"},
        {"Bin4000", "", "4000 bytes"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.name), c.text) << c.name << ": " << c.why;
    EXPECT_EQ(reg.KeysOpened(), static_cast<int>(std::size(cases)));
    EXPECT_EQ(reg.KeysClosed(), reg.KeysOpened());
}

TEST_F(ReadRegStringTest, MissingKeyGivesEmptyTextAndClosesNothing) {
    EXPECT_EQ(Read("Wallpaper"), "");
    EXPECT_EQ(reg.OpenAttempts(), 1);
    EXPECT_EQ(reg.KeysOpened(), 0);
    EXPECT_EQ(reg.KeysClosed(), 0);
    EXPECT_TRUE(reg.Queries().empty());
}

TEST_F(ReadRegStringTest, MissingValueGivesEmptyTextAndClosesTheKey) {
    reg.PutString(RootKey::CurrentUser, kKey, "Other", "x");
    EXPECT_EQ(Read("Wallpaper"), "");
    EXPECT_EQ(reg.KeysOpened(), 1);
    EXPECT_EQ(reg.KeysClosed(), 1);
}

TEST_F(ReadRegStringTest, QueriesWithTheGivenNameAndA1024ByteBuffer) {
    reg.PutString(RootKey::CurrentUser, kKey, "Wallpaper", "a.bmp");
    Read("Wallpaper");
    ASSERT_EQ(reg.Queries().size(), 1u);
    EXPECT_EQ(reg.Queries()[0].name, "Wallpaper");
    EXPECT_EQ(reg.Queries()[0].bufferBytes, 1024u);
}

TEST_F(ReadRegStringTest, EmptyNameReadsTheDefaultValueUnderTheGivenRootOnly) {
    reg.PutString(RootKey::ClassesRoot, "CLSID\\{X}", "", "既定の名前");
    reg.PutString(RootKey::ClassesRoot, "CLSID\\{X}", "LocalizedString", "別の値");
    EXPECT_EQ(Read("", "CLSID\\{X}", RootKey::ClassesRoot), "既定の名前");
    EXPECT_EQ(Read("", "CLSID\\{X}", RootKey::CurrentUser), "");
}

}  // namespace
}  // namespace lumbra::desktop
