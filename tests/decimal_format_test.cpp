#include "decimal_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Each binary32 value, given by its bits, with its text. The buffer is filled
// with '#' first, so that a byte written past the returned length shows.
void ExpectTexts(std::initializer_list<std::pair<std::uint32_t, const char*>> cases) {
  for (const auto& [bits, expected] : cases) {
    char text[kMaxTwoDecimalsLength + 1];
    std::memset(text, '#', sizeof text);
    const std::size_t length = FormatTwoDecimals(std::bit_cast<float>(bits), text);
    ASSERT_LE(length, kMaxTwoDecimalsLength);
    EXPECT_EQ(std::string(text, length + 1), expected + std::string("#")) << std::hex << bits;
  }
}
std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

TEST(FormatTwoDecimals, RoundsTheExactValueHalfAwayFromZeroAndKeepsOnlyNegativeSigns) {
  // Ties are stored exactly; 0.995 is stored as 0.99500000476..., 9.995 as
  // 9.99499988555..., 99.995 as 99.9950027... and 0.005 as 0.00499999988...
  // Negative zero has no sign; a negative value rounding to zero, down to the
  // smallest subnormal, keeps it. 0x00800000 is the smallest normal value.
  // clang-format off
  ExpectTexts({{Bits(0.125f), "0.13"}, {Bits(-0.125f), "-0.13"}, {Bits(0.375f), "0.38"},
    {Bits(-2.5f), "-2.50"}, {Bits(0.995f), "1.00"}, {Bits(9.995f), "9.99"}, {Bits(7.0f), "7.00"},
    {Bits(99.995f), "100.00"}, {Bits(0.005f), "0.00"}, {Bits(16777215.0f), "16777215.00"},
    {Bits(1234.5f), "1234.50"}, {Bits(0.0f), "0.00"}, {Bits(-0.0f), "0.00"}, {0x00800000, "0.00"},
    {Bits(-0.004f), "-0.00"}, {0x00000001, "0.00"}, {0x80000001, "-0.00"}, {0x7F800000, "inf"},
    {0xFF800000, "-inf"}, {0x7FC00000, "nan"}, {0xFFC00001, "nan"}, {0x7F800001, "nan"}});
  // clang-format on
}

TEST(FormatTwoDecimals, LargeValuesKeepSeventeenSignificantDigitsThenZeros) {
  // The middle four have exact digits that carry across many base 10^9
  // limbs; 0x7F7FFFFF is the largest binary32 value, rounded up at its 17th.
  // clang-format off
  ExpectTexts({{Bits(1e17f), "99999998430674944.00"}, {Bits(1e20f), "100000002004087730000.00"},
    {0x6ECE3274, "31907453054344914000000000000.00"}, {0xE8ED84DE, "-8973214587549696000000000.00"},
    {0x74AFFA47, "111539084209478300000000000000000.00"},
    {0xFD7A6465, "-20801767322215776000000000000000000000.00"},
    {0x7F7FFFFF, "340282346638528860000000000000000000000.00"},
    {0xFF7FFFFF, "-340282346638528860000000000000000000000.00"}});
  // clang-format on
}

}  // namespace
