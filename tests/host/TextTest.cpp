// UTF-8 inside the program, UTF-16 at the boundary: valid text both ways at every length's edges,
// and each invalid sequence replaced, with the reason it is invalid.
#include <gtest/gtest.h>

#include "platform/Text.h"

namespace lumbra::text {
namespace {

struct Case {
    std::string utf8;
    std::u16string utf16;
    const char* why;
};

// The text converted a character at a time, each character's bytes told by CharacterBytes.
std::u16string ByCharacters(std::string_view text) {
    std::u16string out;
    for (std::size_t at = 0, n = 0; at < text.size(); at += n) out += Utf8ToUtf16(text.substr(at, n = CharacterBytes(text, at)));
    return out;
}

TEST(Text, ValidTextGoesBothWays) {
    const Case cases[] = {
        {"壁紙の設定 ｼｮｰﾄｶｯﾄ.lnk (なし)", u"壁紙の設定 ｼｮｰﾄｶｯﾄ.lnk (なし)", "Japanese, full and half width"},
        {"\x7F", u"\x7F", "the last of one byte"},
        {"\xC2\x80", u"\x80", "the first of two bytes"},
        {"\xDF\xBF", u"\x7FF", "the last of two bytes"},
        {"\xE0\xA0\x80", u"\x800", "the first of three bytes"},
        {"\xED\x9F\xBF", u"\xD7FF", "the last before the surrogates"},
        {"\xEE\x80\x80", u"\xE000", "the first after them"},
        {"\xEF\xBF\xBF", u"\xFFFF", "the last of three bytes"},
        {"\xF0\x90\x80\x80", u"\xD800\xDC00", "U+10000, the first of four bytes: the first surrogate pair"},
        {"\xF0\x90\x8F\xBF", u"\xD800\xDFFF", "U+103FF, the last with the first high surrogate"},
        {"\xF0\x90\x90\x80", u"\xD801\xDC00", "U+10400, the first with the second"},
        {"a\xF0\x9F\x98\x80" "b", u"a\xD83D\xDE00" "b", "an emoji among letters"},
        {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF", "U+10FFFF, the last there is"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3), "an embedded NUL is kept"},
        {"", u"", "nothing"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.why;
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.why;
        EXPECT_EQ(Utf16Length(c.utf8), c.utf16.size()) << c.why;
        EXPECT_EQ(ByCharacters(c.utf8), c.utf16) << c.why;
    }
    EXPECT_EQ(CharacterBytes("a", 1), 0u) << "nothing after the end";
}

TEST(Text, EachMaximalInvalidPartOfUtf8BecomesOneReplacement) {
    const Case cases[] = {
        {"\x80", u"\xFFFD", "a continuation byte alone"},
        {"a\x80\xBF" "b", u"a\xFFFD\xFFFD" "b", "two continuation bytes alone"},
        {"\xC0\xAF", u"\xFFFD\xFFFD", "C0 never starts a character: it would be overlong"},
        {"\xC1\xBF", u"\xFFFD\xFFFD", "nor C1"},
        {"\xE0\x9F\xBF", u"\xFFFD\xFFFD\xFFFD", "E0 80..9F would be overlong"},
        {"\xF0\x8F\xBF\xBF", u"\xFFFD\xFFFD\xFFFD\xFFFD", "F0 80..8F would be overlong"},
        {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD", "ED A0..BF would be a surrogate"},
        {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD", "F4 90..BF would be beyond U+10FFFF"},
        {"\xF5\xFE\xFF", u"\xFFFD\xFFFD\xFFFD", "F5 to FF never start a character"},
        {"\xE6\x97", u"\xFFFD", "two bytes of three (日 is E6 97 A5): one maximal part"},
        {"\xE6\x97" "a\xF0\x9F\x98", u"\xFFFD" "a\xFFFD", "cut short before a letter, and three bytes of four at the end"},
        {"x\xC3", u"x\xFFFD", "a lead byte at the end"},
        {"\xE6\xE6\x97\xA5", u"\xFFFD\x65E5", "a lead byte ends the broken sequence and starts its own"},
        {"\xE3\x81\xF4\x8F\xBF", u"\xFFFD\xFFFD", "each cut-short sequence is one part"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.why;
        EXPECT_EQ(Utf16Length(c.utf8), c.utf16.size()) << c.why;
        EXPECT_EQ(ByCharacters(c.utf8), c.utf16) << c.why;
    }
}

TEST(Text, UnpairedSurrogatesOfUtf16BecomeReplacements) {
    const std::string r = "\xEF\xBF\xBD";
    const std::pair<std::u16string, std::string> cases[] = {
        {u"\xD800", r}, {u"\xDBFF", r}, {u"\xDC00", r}, {u"\xDFFF", r},  // each half alone
        {u"\xD83D" "A", r + "A"},                                       // a high half before a letter
        {u"\xDE00\xD83D", r + r},                                         // low before high
        {u"a\xD83D\xD83D\xDE00", "a" + r + "\xF0\x9F\x98\x80"},           // two highs, the second paired
    };
    for (const auto& [utf16, utf8] : cases) EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
}

TEST(Text, Latin1BytesAreTheirCodePoints) { EXPECT_EQ(Latin1ToUtf8("a\x7F\x80\xE9\xFF"), "a\x7F\xC2\x80\xC3\xA9\xC3\xBF"); }

}  // namespace
}  // namespace lumbra::text
