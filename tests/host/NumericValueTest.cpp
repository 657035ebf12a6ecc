// The numeric value of a text, as the settings stores hold numbers, and its storage in the
// 16- and 32-bit fields of the desktop settings.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "desktop/NumericValue.h"

namespace lumbra::desktop {
namespace {

TEST(NumericValue, ReadsDigitsAndSign) {
    EXPECT_EQ(NumericValue("42"), 42.0);
    EXPECT_EQ(NumericValue("+7"), 7.0);
    EXPECT_EQ(NumericValue("-13"), -13.0);
    EXPECT_EQ(NumericValue("007"), 7.0);
}

TEST(NumericValue, ReadsDecimals) {
    EXPECT_EQ(NumericValue("2.5"), 2.5);
    EXPECT_EQ(NumericValue(".25"), 0.25);
    EXPECT_EQ(NumericValue("-.5"), -0.5);
    EXPECT_EQ(NumericValue("5."), 5.0);
    EXPECT_EQ(NumericValue("0.1"), 0.1);
}

TEST(NumericValue, ReadsAnExponentWrittenWithEOrD) {
    EXPECT_EQ(NumericValue("1.5E2"), 150.0);
    EXPECT_EQ(NumericValue("1.5e2"), 150.0);
    EXPECT_EQ(NumericValue("1.5D2"), 150.0);
    EXPECT_EQ(NumericValue("1.5d2"), 150.0);
    EXPECT_EQ(NumericValue("25E-1"), 2.5);
    EXPECT_EQ(NumericValue("2E+1"), 20.0);
    EXPECT_EQ(NumericValue("5.E2"), 500.0);
    EXPECT_EQ(NumericValue("1D-2"), 0.01);
}

TEST(NumericValue, AnExponentMarkWithoutDigitsEndsTheNumber) {
    EXPECT_EQ(NumericValue("7E"), 7.0);
    EXPECT_EQ(NumericValue("7E+"), 7.0);
    EXPECT_EQ(NumericValue("7Ex"), 7.0);
}

TEST(NumericValue, ReadsHexadecimalAndOctal) {
    EXPECT_EQ(NumericValue("&H1F"), 31.0);
    EXPECT_EQ(NumericValue("&h1f"), 31.0);
    EXPECT_EQ(NumericValue("&O17"), 15.0);
    EXPECT_EQ(NumericValue("&o17"), 15.0);
    // The digits end at the first one the base does not have.
    EXPECT_EQ(NumericValue("&O178"), 15.0);
    EXPECT_EQ(NumericValue("&H1G"), 1.0);
    EXPECT_EQ(NumericValue("&H"), 0.0);
    EXPECT_EQ(NumericValue("&HZ"), 0.0);
}

TEST(NumericValue, HexadecimalTakesSixteenOrThirtyTwoBitsAsTwosComplement) {
    // Four hex digits or fewer are a 16-bit integer, up to eight a 32-bit one.
    EXPECT_EQ(NumericValue("&HFFFF"), -1.0);
    EXPECT_EQ(NumericValue("&H8000"), -32768.0);
    EXPECT_EQ(NumericValue("&H7FFF"), 32767.0);
    EXPECT_EQ(NumericValue("&H10000"), 65536.0);
    EXPECT_EQ(NumericValue("&HFFFFFFFF"), -1.0);
    EXPECT_EQ(NumericValue("&O177777"), -1.0);  // 0xFFFF
}

TEST(NumericValue, PassesOverBlanksTabsAndLineFeedsAnywhere) {
    EXPECT_EQ(NumericValue("  12"), 12.0);
    EXPECT_EQ(NumericValue("1 2 3"), 123.0);
    EXPECT_EQ(NumericValue("1 000"), 1000.0);
    EXPECT_EQ(NumericValue("\t-\t5"), -5.0);
    EXPECT_EQ(NumericValue("\n4\n2\n"), 42.0);
    EXPECT_EQ(NumericValue("1 . 5 E 1"), 15.0);
    EXPECT_EQ(NumericValue("& H 1 F"), 31.0);
}

TEST(NumericValue, ACarriageReturnIsNotPassedOver) {
    // Only blanks, tabs and line feeds are: a CR ends the number like any other character.
    EXPECT_EQ(NumericValue("4\r2"), 4.0);
    EXPECT_EQ(NumericValue("\r42"), 0.0);
}

TEST(NumericValue, StopsAtTheFirstCharacterThatCannotContinueTheNumber) {
    EXPECT_EQ(NumericValue("12abc"), 12.0);
    EXPECT_EQ(NumericValue("1.2.3"), 1.2);
    EXPECT_EQ(NumericValue("3,5"), 3.0);
    EXPECT_EQ(NumericValue("12E3E4"), 12000.0);
    EXPECT_EQ(NumericValue("1E2.5"), 100.0);
    EXPECT_EQ(NumericValue("0x1F"), 0.0);
    EXPECT_EQ(NumericValue("9-1"), 9.0);
}

TEST(NumericValue, NoNumberGivesZero) {
    EXPECT_EQ(NumericValue(""), 0.0);
    EXPECT_EQ(NumericValue("abc"), 0.0);
    EXPECT_EQ(NumericValue("-"), 0.0);
    EXPECT_EQ(NumericValue("."), 0.0);
    EXPECT_EQ(NumericValue("--5"), 0.0);
    EXPECT_EQ(NumericValue("+-5"), 0.0);
    EXPECT_EQ(NumericValue("-&H1"), 0.0);
    EXPECT_EQ(NumericValue("&"), 0.0);
    EXPECT_EQ(NumericValue("E5"), 0.0);
    EXPECT_EQ(NumericValue("   "), 0.0);
}

TEST(NumericValue, HugeAndTinyMagnitudes) {
    EXPECT_TRUE(std::isinf(NumericValue("1E400")));
    EXPECT_GT(NumericValue("1E400"), 0.0);
    EXPECT_LT(NumericValue("-1E400"), 0.0);
    EXPECT_EQ(NumericValue("1E-400"), 0.0);
    EXPECT_EQ(NumericValue("123456789012"), 123456789012.0);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5), 0.0);
    EXPECT_EQ(RoundHalfEven(1.5), 2.0);
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-0.5), 0.0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
}

TEST(RoundHalfEven, OtherValuesGoToTheNearestInteger) {
    EXPECT_EQ(RoundHalfEven(2.4999), 2.0);
    EXPECT_EQ(RoundHalfEven(2.5001), 3.0);
    EXPECT_EQ(RoundHalfEven(-2.5001), -3.0);
    EXPECT_EQ(RoundHalfEven(-0.2), 0.0);
    EXPECT_EQ(RoundHalfEven(7.0), 7.0);
}

TEST(FieldLimits, SixteenBitFieldHoldsMinus32768To32767) {
    EXPECT_EQ(ToInt16(NumericValue("32767")), std::optional<std::int16_t>(32767));
    EXPECT_EQ(ToInt16(NumericValue("-32768")), std::optional<std::int16_t>(-32768));
    EXPECT_EQ(ToInt16(NumericValue("32768")), std::nullopt);
    EXPECT_EQ(ToInt16(NumericValue("-32769")), std::nullopt);
}

TEST(FieldLimits, RoundingComesBeforeTheRangeCheck) {
    // 32767.5 rounds to the even 32768, which no longer fits; -32768.5 rounds to -32768, which does.
    EXPECT_EQ(ToInt16(32767.5), std::nullopt);
    EXPECT_EQ(ToInt16(32766.5), std::optional<std::int16_t>(32766));
    EXPECT_EQ(ToInt16(-32768.5), std::optional<std::int16_t>(-32768));
    EXPECT_EQ(ToInt16(-32769.5), std::nullopt);
    EXPECT_EQ(ToInt16(NumericValue("2.5")), std::optional<std::int16_t>(2));
    EXPECT_EQ(ToInt16(NumericValue("-0.4")), std::optional<std::int16_t>(0));
}

TEST(FieldLimits, ThirtyTwoBitFieldHoldsItsRange) {
    EXPECT_EQ(ToInt32(NumericValue("2147483647")), std::optional<std::int32_t>(2147483647));
    EXPECT_EQ(ToInt32(NumericValue("-2147483648")), std::optional<std::int32_t>(INT32_MIN));
    EXPECT_EQ(ToInt32(NumericValue("2147483648")), std::nullopt);
    EXPECT_EQ(ToInt32(NumericValue("-2147483649")), std::nullopt);
    EXPECT_EQ(ToInt32(2147483646.5), std::optional<std::int32_t>(2147483646));
    EXPECT_EQ(ToInt32(2147483647.5), std::nullopt);
    EXPECT_EQ(ToInt32(-2147483648.5), std::optional<std::int32_t>(INT32_MIN));
}

TEST(FieldLimits, AValueThatIsNotFiniteFitsNoField) {
    EXPECT_EQ(ToInt16(NumericValue("1E400")), std::nullopt);
    EXPECT_EQ(ToInt32(NumericValue("-1E400")), std::nullopt);
    EXPECT_EQ(ToInt32(std::nan("")), std::nullopt);
}

}  // namespace
}  // namespace lumbra::desktop
