#include "decimal_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

// The text for the binary32 value with bits `bits`. The buffer is filled with
// '#' first, so that a byte written past the returned length shows.
std::string Format(std::uint32_t bits) {
  char text[kMaxTwoDecimalsLength + 8];
  std::memset(text, '#', sizeof text);
  const std::size_t length = FormatTwoDecimals(std::bit_cast<float>(bits), text);
  EXPECT_LE(length, kMaxTwoDecimalsLength);
  EXPECT_EQ(text[length], '#') << "written past the end";
  return {text, length};
}
std::string Format(float value) { return Format(std::bit_cast<std::uint32_t>(value)); }

TEST(FormatTwoDecimals, RoundsTheExactValueHalfAwayFromZero) {
  EXPECT_EQ(Format(0.125f), "0.13");  // ties, stored exactly
  EXPECT_EQ(Format(-0.125f), "-0.13");
  EXPECT_EQ(Format(0.375f), "0.38");
  EXPECT_EQ(Format(-2.5f), "-2.50");
  EXPECT_EQ(Format(0.995f), "1.00");     // 0.99500000476...
  EXPECT_EQ(Format(9.995f), "9.99");     // 9.99499988555...
  EXPECT_EQ(Format(99.995f), "100.00");  // 99.9950027...: a carry makes a digit
  EXPECT_EQ(Format(0.005f), "0.00");     // 0.00499999988824...
  EXPECT_EQ(Format(7.0f), "7.00");
  EXPECT_EQ(Format(1234.5f), "1234.50");
  EXPECT_EQ(Format(16777215.0f), "16777215.00");
}

TEST(FormatTwoDecimals, SignsZerosInfinitiesAndNans) {
  EXPECT_EQ(Format(0.0f), "0.00");
  EXPECT_EQ(Format(-0.0f), "0.00");
  EXPECT_EQ(Format(-0.004f), "-0.00");  // a negative value keeps its sign
  EXPECT_EQ(Format(0x00000001u), "0.00");  // the smallest subnormal
  EXPECT_EQ(Format(0x80000001u), "-0.00");
  EXPECT_EQ(Format(0x00800000u), "0.00");  // the smallest normal value
  EXPECT_EQ(Format(0x7F800000u), "inf");
  EXPECT_EQ(Format(0xFF800000u), "-inf");
  EXPECT_EQ(Format(0x7FC00000u), "nan");
  EXPECT_EQ(Format(0xFFC00001u), "nan");  // no sign on a NaN
  EXPECT_EQ(Format(0x7F800001u), "nan");  // the NaN nearest infinity
}

TEST(FormatTwoDecimals, LargeValuesKeepSeventeenSignificantDigitsThenZeros) {
  EXPECT_EQ(Format(1e17f), "99999998430674944.00");
  EXPECT_EQ(Format(1e20f), "100000002004087730000.00");
  // Exact digits that carry across many base 10^9 limbs.
  EXPECT_EQ(Format(0x6ECE3274u), "31907453054344914000000000000.00");
  EXPECT_EQ(Format(0xE8ED84DEu), "-8973214587549696000000000.00");
  EXPECT_EQ(Format(0x74AFFA47u), "111539084209478300000000000000000.00");
  EXPECT_EQ(Format(0xFD7A6465u), "-20801767322215776000000000000000000000.00");
  const float largest = std::numeric_limits<float>::max();
  EXPECT_EQ(Format(largest), "340282346638528860000000000000000000000.00");
  EXPECT_EQ(Format(-largest), "-340282346638528860000000000000000000000.00");
}

}  // namespace
