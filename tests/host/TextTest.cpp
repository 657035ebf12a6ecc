// UTF-8 inside the program, UTF-16 at the boundary: round trips and the replacement of invalid
// sequences.
#include <gtest/gtest.h>

#include <string>

#include "platform/Text.h"

namespace lumbra::text {
namespace {

constexpr char16_t kFFFD = u'\xFFFD';
const std::string kFFFD8 = "\xEF\xBF\xBD";

TEST(Utf8ToUtf16, JapaneseRoundTrips) {
    const std::string utf8 = "壁紙の設定 ｼｮｰﾄｶｯﾄ へのｼｮｰﾄｶｯﾄ.lnk (なし)";
    const std::u16string utf16 = u"壁紙の設定 ｼｮｰﾄｶｯﾄ へのｼｮｰﾄｶｯﾄ.lnk (なし)";
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
}

TEST(Utf8ToUtf16, EncodingOfEachLength) {
    // One, two, three and four bytes: U+0041, U+00E9, U+65E5, U+1F600.
    EXPECT_EQ(Utf8ToUtf16("A"), u"A");
    EXPECT_EQ(Utf8ToUtf16("\xC3\xA9"), std::u16string(1, u'\x00E9'));
    EXPECT_EQ(Utf8ToUtf16("\xE6\x97\xA5"), std::u16string(1, u'\x65E5'));
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), (std::u16string{u'\xD83D', u'\xDE00'}));
}

TEST(Utf8ToUtf16, EmojiBecomeSurrogatePairsAndComeBack) {
    // U+1F600 - 0x10000 = 0xF600: high 0xD800 + 0x3D, low 0xDC00 + 0x200.
    const std::string utf8 = "a😀b🏯";
    const std::u16string utf16 = {u'a', u'\xD83D', u'\xDE00', u'b', u'\xD83C', u'\xDFEF'};
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
    // The last code point there is: U+10FFFF.
    EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), (std::u16string{u'\xDBFF', u'\xDFFF'}));
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xDBFF', u'\xDFFF'}), "\xF4\x8F\xBF\xBF");
}

TEST(Utf8ToUtf16, EmbeddedNulIsKept) {
    const std::string utf8("a\0b", 3);
    const std::u16string utf16(u"a\0b", 3);
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
    EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(Utf8ToUtf16, StrayContinuationByteIsReplaced) {
    EXPECT_EQ(Utf8ToUtf16("\x80"), std::u16string(1, kFFFD));
    EXPECT_EQ(Utf8ToUtf16("a\x80\xBF" "b"), (std::u16string{u'a', kFFFD, kFFFD, u'b'}));
}

TEST(Utf8ToUtf16, OverlongFormsAreReplaced) {
    // C0 and C1 never start a character; E0 80..9F and F0 80..8F would be overlong.
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (std::u16string{kFFFD, kFFFD}));
    EXPECT_EQ(Utf8ToUtf16("\xC1\xBF"), (std::u16string{kFFFD, kFFFD}));
    EXPECT_EQ(Utf8ToUtf16("\xE0\x80\xAF"), (std::u16string{kFFFD, kFFFD, kFFFD}));
    EXPECT_EQ(Utf8ToUtf16("\xF0\x80\x80\xAF"), (std::u16string{kFFFD, kFFFD, kFFFD, kFFFD}));
}

TEST(Utf8ToUtf16, EncodedSurrogatesAreReplaced) {
    // ED A0 80 would be U+D800.
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), (std::u16string{kFFFD, kFFFD, kFFFD}));
    // ED 9F BF is U+D7FF, the last code point before them.
    EXPECT_EQ(Utf8ToUtf16("\xED\x9F\xBF"), std::u16string(1, u'\xD7FF'));
}

TEST(Utf8ToUtf16, BeyondU10FFFFIsReplaced) {
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), (std::u16string{kFFFD, kFFFD, kFFFD, kFFFD}));
    EXPECT_EQ(Utf8ToUtf16("\xF5"), std::u16string(1, kFFFD));
    EXPECT_EQ(Utf8ToUtf16("\xFF\xFE"), (std::u16string{kFFFD, kFFFD}));
}

TEST(Utf8ToUtf16, TruncatedSequenceIsOneReplacement) {
    // The first two bytes of 日 (E6 97 A5): one maximal invalid part.
    EXPECT_EQ(Utf8ToUtf16("\xE6\x97"), std::u16string(1, kFFFD));
    EXPECT_EQ(Utf8ToUtf16("\xE6\x97" "a"), (std::u16string{kFFFD, u'a'}));
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98"), std::u16string(1, kFFFD));
    EXPECT_EQ(Utf8ToUtf16("x\xC3"), (std::u16string{u'x', kFFFD}));
    // A new lead byte ends the broken sequence and starts its own character.
    EXPECT_EQ(Utf8ToUtf16("\xE6\xE6\x97\xA5"), (std::u16string{kFFFD, u'\x65E5'}));
}

TEST(Utf16ToUtf8, UnpairedSurrogatesAreReplaced) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), kFFFD8);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xDC00')), kFFFD8);
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xD83D', u'A'}), kFFFD8 + "A");
    // Low before high: two unpaired halves.
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xDE00', u'\xD83D'}), kFFFD8 + kFFFD8);
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', u'\xD83D', u'\xD83D', u'\xDE00'}), "a" + kFFFD8 + "😀");
}

TEST(Utf16ToUtf8, EncodingOfEachLength) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\x007F')), "\x7F");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\x0080')), "\xC2\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\x07FF')), "\xDF\xBF");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\x0800')), "\xE0\xA0\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xFFFF')), "\xEF\xBF\xBF");
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
