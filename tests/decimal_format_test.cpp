#include "decimal_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

static std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

TEST(FormatTwoDecimals, RoundsTheExactValueHalfAwayFromZeroToSeventeenDigitsThenTwoDecimals) {
  // Ties are stored exactly; 0.995 is stored as 0.99500000476..., 9.995 as
  // 9.99499988555..., 99.995 as 99.9950027... Negative zero has no sign; a
  // negative value rounding to zero, down to the smallest subnormal, keeps
  // it. From 1e17 on, 17 significant digits, then zeros: 0x6ECE3274 and
  // 0xFD7A6465 are cut after their 17th digit, and the largest binary32
  // value (39 digits) is rounded up at it. The buffer is filled with '#'
  // first, so that a byte written past the returned length shows.
  // clang-format off
  for (const auto& [bits, expected] : std::initializer_list<std::pair<std::uint32_t, const char*>>{
    {Bits(0.125f), "0.13"}, {Bits(-0.125f), "-0.13"}, {Bits(-2.5f), "-2.50"}, {Bits(0.995f), "1.00"},
    {Bits(9.995f), "9.99"}, {Bits(99.995f), "100.00"}, {Bits(16777215.0f), "16777215.00"},
    {Bits(-0.0f), "0.00"}, {Bits(-0.004f), "-0.00"}, {0x80000001, "-0.00"}, {0x00000001, "0.00"},
    {0x7F800000, "inf"}, {0xFF800000, "-inf"}, {0x7FC00000, "nan"}, {0xFFC00001, "nan"},
    {Bits(1e17f), "99999998430674944.00"}, {0x6ECE3274, "31907453054344914000000000000.00"},
    {0xFD7A6465, "-20801767322215776000000000000000000000.00"},
    {0x7F7FFFFF, "340282346638528860000000000000000000000.00"}}) {
    // clang-format on
    std::string text(MaxTwoDecimalsLength + 1, '#');
    text.resize(FormatTwoDecimals(std::bit_cast<float>(bits), text.data()) + 1);
    EXPECT_EQ(text, expected + std::string("#")) << std::hex << bits;
  }
}
