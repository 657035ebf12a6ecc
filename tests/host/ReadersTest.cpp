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

TEST(TrimAtNull, TextWithoutNulIsUnchanged) {
    EXPECT_EQ(TrimAtNull("C:\\Windows\\壁紙.bmp"), "C:\\Windows\\壁紙.bmp");
    EXPECT_EQ(TrimAtNull(""), "");
}

TEST(TrimAtNull, CutsAtTheFirstNul) {
    EXPECT_EQ(TrimAtNull(std::string("\0abc", 4)), "");
    EXPECT_EQ(TrimAtNull(std::string("ab\0cd\0e", 7)), "ab");
    EXPECT_EQ(TrimAtNull(std::string("abc\0", 4)), "abc");
}

class ReadIniStringTest : public ::testing::Test {
protected:
    std::string Read(std::string_view section, std::string_view key, std::uint32_t size = 261,
                     std::string_view file = "WIN.INI") {
        return ReadIniString(profile, section, key, size, file);
    }
    FakeProfileFile profile;
};

TEST_F(ReadIniStringTest, ReturnsTheValue) {
    profile.Put("WIN.INI", "Desktop", "Wallpaper", "C:\\壁紙\\海.bmp");
    EXPECT_EQ(Read("Desktop", "Wallpaper"), "C:\\壁紙\\海.bmp");
}

TEST_F(ReadIniStringTest, MissingFileSectionOrKeyGiveMinusOne) {
    profile.Put("WIN.INI", "Desktop", "Wallpaper", "x.bmp");
    EXPECT_EQ(Read("Desktop", "Wallpaper", 261, "OTHER.INI"), "-1");
    EXPECT_EQ(Read("colors", "Wallpaper"), "-1");
    EXPECT_EQ(Read("Desktop", "Pattern"), "-1");
}

TEST_F(ReadIniStringTest, EmptyValueGivesMinusOneLikeAMissingKey) {
    profile.Put("WIN.INI", "Desktop", "Wallpaper", "");
    EXPECT_EQ(Read("Desktop", "Wallpaper"), "-1");
}

TEST_F(ReadIniStringTest, LiteralMinusOneCannotBeToldFromMissing) {
    profile.Put("WIN.INI", "Desktop", "TileWallpaper", "-1");
    EXPECT_EQ(Read("Desktop", "TileWallpaper"), "-1");
}

TEST_F(ReadIniStringTest, CutsAValueToOneLessThanTheSize) {
    const std::string longValue = std::string(200, 'a') + std::string(100, 'b');  // 300 characters
    profile.Put("WIN.INI", "Desktop", "Wallpaper", longValue);
    EXPECT_EQ(Read("Desktop", "Wallpaper", 261), longValue.substr(0, 260));

    profile.Put("WIN.INI", "Desktop", "Exact", std::string(260, 'c'));
    EXPECT_EQ(Read("Desktop", "Exact", 261), std::string(260, 'c'));
    profile.Put("WIN.INI", "Desktop", "OneOver", std::string(261, 'd'));
    EXPECT_EQ(Read("Desktop", "OneOver", 261), std::string(260, 'd'));
}

TEST_F(ReadIniStringTest, ABufferWithRoomOnlyForTheNulReadsNothing) {
    profile.Put("WIN.INI", "Desktop", "Wallpaper", "x.bmp");
    EXPECT_EQ(Read("Desktop", "Wallpaper", 1), "-1");
}

TEST_F(ReadIniStringTest, AsksWithAnEmptyDefaultAndTheGivenSizeAndFile) {
    profile.Put("WIN.INI", "Desktop", "Wallpaper", "x.bmp");
    Read("Desktop", "Wallpaper", 77, "WIN.INI");
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

TEST_F(ReadRegStringTest, ReadsAStringValue) {
    reg.PutString(RootKey::CurrentUser, kKey, "Wallpaper", "C:\\壁紙\\海.jpg");
    EXPECT_EQ(Read("Wallpaper"), "C:\\壁紙\\海.jpg");
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

TEST_F(ReadRegStringTest, EveryReadClosesItsKey) {
    reg.PutString(RootKey::CurrentUser, kKey, "Wallpaper", "a.bmp");
    reg.PutBinary(RootKey::CurrentUser, kKey, "Big", std::vector<std::uint8_t>(2000, 'x'));
    Read("Wallpaper");
    Read("Big");
    Read("Absent");
    EXPECT_EQ(reg.KeysOpened(), 3);
    EXPECT_EQ(reg.KeysClosed(), 3);
}

TEST_F(ReadRegStringTest, QueriesWithTheGivenNameAndA1024ByteBuffer) {
    reg.PutString(RootKey::CurrentUser, kKey, "Wallpaper", "a.bmp");
    Read("Wallpaper");
    ASSERT_EQ(reg.Queries().size(), 1u);
    EXPECT_EQ(reg.Queries()[0].name, "Wallpaper");
    EXPECT_EQ(reg.Queries()[0].bufferBytes, 1024u);
}

TEST_F(ReadRegStringTest, EmptyNameReadsTheDefaultValue) {
    reg.PutString(RootKey::ClassesRoot, "CLSID\\{X}", "", "既定の名前");
    reg.PutString(RootKey::ClassesRoot, "CLSID\\{X}", "LocalizedString", "別の値");
    EXPECT_EQ(Read("", "CLSID\\{X}", RootKey::ClassesRoot), "既定の名前");
}

TEST_F(ReadRegStringTest, ReadsUnderTheGivenRootOnly) {
    reg.PutString(RootKey::ClassesRoot, kKey, "Wallpaper", "hkcr.bmp");
    EXPECT_EQ(Read("Wallpaper", kKey, RootKey::CurrentUser), "");
    EXPECT_EQ(Read("Wallpaper", kKey, RootKey::ClassesRoot), "hkcr.bmp");
}

TEST_F(ReadRegStringTest, EmptyStringValueGivesEmptyText) {
    reg.PutString(RootKey::CurrentUser, kKey, "Wallpaper", "");
    EXPECT_EQ(Read("Wallpaper"), "");
}

TEST_F(ReadRegStringTest, BlanksOfAStoredTextAreKept) {
    reg.PutString(RootKey::CurrentUser, kKey, "Pattern", "  x  ");
    EXPECT_EQ(Read("Pattern"), "  x  ");
}

TEST_F(ReadRegStringTest, ANumberIsTheTextOfItsRawBytesUpToTheFirstZeroByte) {
    // 0 is four zero bytes: nothing before the first zero byte.
    reg.PutDword(RootKey::CurrentUser, kKey, "Zero", 0);
    EXPECT_EQ(Read("Zero"), "");
    // 0x00003231 is stored 31 32 00 00: the characters "1" and "2".
    reg.PutDword(RootKey::CurrentUser, kKey, "Twelve", 0x00003231u);
    EXPECT_EQ(Read("Twelve"), "12");
    // No zero byte at all: all four bytes, 31 32 33 34.
    reg.PutDword(RootKey::CurrentUser, kKey, "Full", 0x34333231u);
    EXPECT_EQ(Read("Full"), "1234");
    // 2 is stored 02 00 00 00: one control character, not the digit.
    reg.PutDword(RootKey::CurrentUser, kKey, "Two", 2);
    EXPECT_EQ(Read("Two"), std::string("\x02"));
}

TEST_F(ReadRegStringTest, BinaryIsTheTextOfItsBytesUpToTheFirstZeroByte) {
    reg.PutBinary(RootKey::CurrentUser, kKey, "Bin", {'a', 'b', 0, 'c'});
    EXPECT_EQ(Read("Bin"), "ab");
}

TEST_F(ReadRegStringTest, AStringStoredWithoutItsNulIsReadWhole) {
    reg.PutValue(RootKey::CurrentUser, kKey, "NoNul", RegType::String, {'x', 0, 'y', 0});
    EXPECT_EQ(Read("NoNul"), "xy");
}

TEST_F(ReadRegStringTest, AValueOf1024BytesOrMoreReadsAsEmptyText) {
    // 511 characters and the NUL in UTF-16: exactly 1024 bytes.
    reg.PutString(RootKey::CurrentUser, kKey, "Exact", std::string(511, 'w'));
    EXPECT_EQ(Read("Exact"), "");
    // 512 characters and the NUL: 1026 bytes, beyond the buffer.
    reg.PutString(RootKey::CurrentUser, kKey, "Over", std::string(512, 'w'));
    EXPECT_EQ(Read("Over"), "");
    reg.PutBinary(RootKey::CurrentUser, kKey, "Bin1024", std::vector<std::uint8_t>(1024, 'b'));
    EXPECT_EQ(Read("Bin1024"), "");
    reg.PutBinary(RootKey::CurrentUser, kKey, "Bin4000", std::vector<std::uint8_t>(4000, 'b'));
    EXPECT_EQ(Read("Bin4000"), "");
    EXPECT_EQ(reg.KeysClosed(), reg.KeysOpened());
}

TEST_F(ReadRegStringTest, AValueJustBelow1024BytesIsRead) {
    // 510 characters and the NUL: 1022 bytes.
    reg.PutString(RootKey::CurrentUser, kKey, "Fits", std::string(510, 'w'));
    EXPECT_EQ(Read("Fits"), std::string(510, 'w'));
    reg.PutBinary(RootKey::CurrentUser, kKey, "Bin1023", std::vector<std::uint8_t>(1023, 'b'));
    EXPECT_EQ(Read("Bin1023"), std::string(1023, 'b'));
}

}  // namespace
}  // namespace lumbra::desktop
