// The numeric value of a text, as the settings stores hold numbers, and its storage in the
// 16- and 32-bit fields of the desktop settings.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "desktop/NumericValue.h"

namespace lumbra::desktop {
namespace {

// Texts and their values, in groups that share a reason.
struct Rows {
    const char* why;
    std::vector<std::pair<const char*, double>> rows;
};

void ExpectValues(std::initializer_list<Rows> groups) {
    for (const Rows& group : groups) {
        for (const auto& [text, value] : group.rows) {
            EXPECT_EQ(NumericValue(text), value) << "\"" << text << "\": " << group.why;
        }
    }
}

TEST(NumericValue, ReadsDecimalNumbers) {
    ExpectValues({
        {"digits and sign", {{"42", 42.0}, {"+7", 7.0}, {"-13", -13.0}, {"007", 7.0}, {"123456789012", 123456789012.0}}},
        {"fractions", {{"2.5", 2.5}, {".25", 0.25}, {"-.5", -0.5}, {"5.", 5.0}, {"0.1", 0.1}}},
        {"exponent with E or D", {{"1.5E2", 150.0}, {"1.5e2", 150.0}, {"1.5D2", 150.0}, {"1.5d2", 150.0}}},
        {"exponent sign", {{"25E-1", 2.5}, {"2E+1", 20.0}, {"5.E2", 500.0}, {"1D-2", 0.01}}},
        {"an exponent mark without digits ends the number", {{"7E", 7.0}, {"7E+", 7.0}, {"7Ex", 7.0}}},
    });
}

TEST(NumericValue, ReadsHexadecimalAndOctal) {
    ExpectValues({
        {"either case", {{"&H1F", 31.0}, {"&h1f", 31.0}, {"&O17", 15.0}, {"&o17", 15.0}}},
        {"the digits end at the first one the base does not have", {{"&O178", 15.0}, {"&H1G", 1.0}, {"&H", 0.0}}},
        // Four hex digits or fewer are a 16-bit integer, up to eight a 32-bit one.
        {"two's complement of 16 or 32 bits",
         {{"&HFFFF", -1.0}, {"&H8000", -32768.0}, {"&H7FFF", 32767.0}, {"&H10000", 65536.0}, {"&HFFFFFFFF", -1.0},
          {"&O177777", -1.0}}},
    });
}

TEST(NumericValue, PassesOverBlanksTabsAndLineFeedsButNotCarriageReturns) {
    ExpectValues({
        {"passed over anywhere",
         {{"  12", 12.0}, {"1 2 3", 123.0}, {"\t-\t5", -5.0}, {"\n4\n2\n", 42.0}, {"1 . 5 E 1", 15.0}, {"& H 1 F", 31.0}}},
        {"a CR ends the number like any other character", {{"4\r2", 4.0}, {"\r42", 0.0}}},
    });
}

TEST(NumericValue, StopsAtTheFirstCharacterThatCannotContinueTheNumber) {
    ExpectValues({
        {"the number so far",
         {{"12abc", 12.0}, {"1.2.3", 1.2}, {"3,5", 3.0}, {"12E3E4", 12000.0}, {"1E2.5", 100.0}, {"9-1", 9.0}}},
        {"no number at the start",
         {{"", 0.0}, {"   ", 0.0}, {"abc", 0.0}, {"-", 0.0}, {".", 0.0}, {"--5", 0.0}, {"+-5", 0.0}, {"-&H1", 0.0},
          {"&", 0.0}, {"E5", 0.0}, {"0x1F", 0.0}}},
        {"beyond a double", {{"1E-400", 0.0}, {"1E400", HUGE_VAL}, {"-1E400", -HUGE_VAL}}},
    });
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbourOtherValuesToTheNearest) {
    const std::pair<double, double> cases[] = {{0.5, 0.0},     {1.5, 2.0},     {2.5, 2.0},      {-0.5, 0.0},
                                               {-1.5, -2.0},   {-2.5, -2.0},   {2.4999, 2.0},   {2.5001, 3.0},
                                               {-2.5001, -3.0}, {-0.2, 0.0},   {7.0, 7.0}};
    for (const auto& [value, rounded] : cases) EXPECT_EQ(RoundHalfEven(value), rounded) << value;
}

TEST(FieldLimits, SixteenBitFieldRoundsThenChecksItsRange) {
    const struct {
        double value;
        std::optional<std::int16_t> field;
        const char* why;
    } cases[] = {
        {32767.0, 32767, "largest"},
        {-32768.0, -32768, "smallest"},
        {32768.0, std::nullopt, "one above"},
        {-32769.0, std::nullopt, "one below"},
        {32767.5, std::nullopt, "rounds to the even 32768, which no longer fits"},
        {32766.5, 32766, "rounds to the even 32766"},
        {-32768.5, -32768, "rounds to the even -32768, which fits"},
        {-32769.5, std::nullopt, "rounds to -32770"},
        {2.5, 2, "half to even"},
        {-0.4, 0, "to the nearest"},
        {HUGE_VAL, std::nullopt, "not finite"},
    };
    for (const auto& c : cases) EXPECT_EQ(ToInt16(c.value), c.field) << c.value << ": " << c.why;
}

TEST(FieldLimits, ThirtyTwoBitFieldRoundsThenChecksItsRange) {
    const std::pair<double, std::optional<std::int32_t>> cases[] = {
        {2147483647.0, 2147483647},    {-2147483648.0, INT32_MIN},  {2147483648.0, std::nullopt},
        {-2147483649.0, std::nullopt}, {2147483646.5, 2147483646},  {2147483647.5, std::nullopt},
        {-2147483648.5, INT32_MIN},    {-HUGE_VAL, std::nullopt},   {std::nan(""), std::nullopt}};
    for (const auto& [value, field] : cases) EXPECT_EQ(ToInt32(value), field) << std::fixed << value;
}

}  // namespace
}  // namespace lumbra::desktop
