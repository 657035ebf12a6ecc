// UTF-8 inside the program, UTF-16 at the boundary: round trips and the replacement of invalid
// sequences.
#include <gtest/gtest.h>

#include <string>

#include "platform/Text.h"

namespace lumbra::text {
namespace {

constexpr char16_t kFFFD = u'\xFFFD';
const std::string kFFFD8 = "\xEF\xBF\xBD";

// Readable in a failure message whatever the bytes.
std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15], ' '};
    return out;
}

TEST(Utf8ToUtf16, ValidTextRoundTrips) {
    const struct {
        std::string utf8;
        std::u16string utf16;
        const char* why;
    } cases[] = {
        {"壁紙の設定 ｼｮｰﾄｶｯﾄ へのｼｮｰﾄｶｯﾄ.lnk (なし)", u"壁紙の設定 ｼｮｰﾄｶｯﾄ へのｼｮｰﾄｶｯﾄ.lnk (なし)", "Japanese"},
        {"A", u"A", "one byte"},
        {"\x7F", {u'\x007F'}, "the last single byte"},
        {"\xC2\x80", {u'\x0080'}, "the first of two bytes"},
        {"\xC3\xA9", {u'\x00E9'}, "two bytes"},
        {"\xDF\xBF", {u'\x07FF'}, "the last of two bytes"},
        {"\xE0\xA0\x80", {u'\x0800'}, "the first of three bytes"},
        {"\xE6\x97\xA5", {u'\x65E5'}, "three bytes"},
        {"\xED\x9F\xBF", {u'\xD7FF'}, "the last code point before the surrogates"},
        {"\xEF\xBF\xBF", {u'\xFFFF'}, "the last of three bytes"},
        // U+1F600 - 0x10000 = 0xF600: high 0xD800 + 0x3D, low 0xDC00 + 0x200.
        {"\xF0\x9F\x98\x80", {u'\xD83D', u'\xDE00'}, "four bytes: a surrogate pair"},
        {"a😀b🏯", {u'a', u'\xD83D', u'\xDE00', u'b', u'\xD83C', u'\xDFEF'}, "emoji among letters"},
        {"\xF4\x8F\xBF\xBF", {u'\xDBFF', u'\xDFFF'}, "U+10FFFF, the last code point there is"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3), "an embedded NUL is kept"},
        {"", u"", "nothing"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.why;
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.why;
    }
}

TEST(Utf8ToUtf16, EachMaximalInvalidSubpartBecomesOneReplacement) {
    const struct {
        std::string utf8;
        std::u16string utf16;
        const char* why;
    } cases[] = {
        {"\x80", {kFFFD}, "a stray continuation byte"},
        {"a\x80\xBF" "b", {u'a', kFFFD, kFFFD, u'b'}, "two stray continuation bytes"},
        // C0 and C1 never start a character; E0 80..9F and F0 80..8F would be overlong.
        {"\xC0\xAF", {kFFFD, kFFFD}, "overlong C0"},
        {"\xC1\xBF", {kFFFD, kFFFD}, "overlong C1"},
        {"\xE0\x80\xAF", {kFFFD, kFFFD, kFFFD}, "overlong E0"},
        {"\xF0\x80\x80\xAF", {kFFFD, kFFFD, kFFFD, kFFFD}, "overlong F0"},
        {"\xED\xA0\x80", {kFFFD, kFFFD, kFFFD}, "ED A0 80 would be the surrogate U+D800"},
        {"\xF4\x90\x80\x80", {kFFFD, kFFFD, kFFFD, kFFFD}, "beyond U+10FFFF"},
        {"\xF5", {kFFFD}, "F5 never starts a character"},
        {"\xFF\xFE", {kFFFD, kFFFD}, "FF and FE neither"},
        {"\xE6\x97", {kFFFD}, "the first two bytes of 日 (E6 97 A5): one maximal invalid part"},
        {"\xE6\x97" "a", {kFFFD, u'a'}, "truncated before a letter"},
        {"\xF0\x9F\x98", {kFFFD}, "three bytes of four"},
        {"x\xC3", {u'x', kFFFD}, "a lead byte at the end"},
        {"\xE6\xE6\x97\xA5", {kFFFD, u'\x65E5'}, "a new lead byte ends the broken sequence and starts its own"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << Hex(c.utf8) << ": " << c.why;
}

TEST(Utf16ToUtf8, UnpairedSurrogatesAreReplaced) {
    const struct {
        std::u16string utf16;
        std::string utf8;
        const char* why;
    } cases[] = {
        {{u'\xD800'}, kFFFD8, "a high surrogate alone"},
        {{u'\xDC00'}, kFFFD8, "a low surrogate alone"},
        {{u'\xD83D', u'A'}, kFFFD8 + "A", "a high surrogate before a letter"},
        {{u'\xDE00', u'\xD83D'}, kFFFD8 + kFFFD8, "low before high: two unpaired halves"},
        {{u'a', u'\xD83D', u'\xD83D', u'\xDE00'}, "a" + kFFFD8 + "😀", "two highs, the second paired"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.why;
}

TEST(Latin1ToUtf8, EachByteIsTheCodePointOfItsValue) {
    EXPECT_EQ(Latin1ToUtf8("abc"), "abc");
    EXPECT_EQ(Latin1ToUtf8("\xE9\xFF"), "\xC3\xA9\xC3\xBF");
    EXPECT_EQ(Latin1ToUtf8("\x80"), "\xC2\x80");
}

TEST(Utf16Length, CountsCodeUnits) {
    EXPECT_EQ(Utf16Length("a😀日"), 4u);  // 1 + 2 + 1
    EXPECT_EQ(Utf16Length(""), 0u);
    EXPECT_EQ(Utf16Length("\x80\x80"), 2u);  // two replacements
}

TEST(CharacterBytes, WholeSequencesOfEachLength) {
    const std::string text = "a\xC3\xA9日😀";  // 1, 2, 3 and 4 bytes
    EXPECT_EQ(CharacterBytes(text, 0), 1u);
    EXPECT_EQ(CharacterBytes(text, 1), 2u);
    EXPECT_EQ(CharacterBytes(text, 3), 3u);
    EXPECT_EQ(CharacterBytes(text, 6), 4u);
    EXPECT_EQ(CharacterBytes(text, 10), 0u) << "nothing after the end";
}

TEST(CharacterBytes, ABrokenSequenceIsTheSubpartThatBecomesOneReplacement) {
    EXPECT_EQ(CharacterBytes("\xE3\x81" "A", 0), 2u) << "a three-byte start cut short before an A";
    EXPECT_EQ(CharacterBytes("\xF0\x9F", 0), 2u) << "cut short by the end";
    EXPECT_EQ(CharacterBytes("\xE0\x80\x80", 0), 1u) << "an overlong start stands alone";
    EXPECT_EQ(CharacterBytes("\xED\xA0\x80", 0), 1u) << "so does an encoded surrogate";
    EXPECT_EQ(CharacterBytes("\xF8\x88", 0), 1u) << "and a byte no sequence starts with";
    EXPECT_EQ(CharacterBytes("\x80\x80", 1), 1u);
}

TEST(CharacterBytes, CuttingAtEveryCharacterGivesTheUnitsOfTheWhole) {
    const std::string text = "x\xE3\x81" "A\xF0\x9F\x98\x80\xE0\x80\xF4\x90\x80\x80日\xF0\x9F";
    std::u16string pieces;
    for (std::size_t at = 0; at < text.size(); at += CharacterBytes(text, at)) {
        pieces += Utf8ToUtf16(std::string_view(text).substr(at, CharacterBytes(text, at)));
    }
    EXPECT_EQ(pieces, Utf8ToUtf16(text));
}

}  // namespace
}  // namespace lumbra::text
