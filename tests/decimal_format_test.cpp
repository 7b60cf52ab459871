#include "decimal_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "reference_decimal.h"

namespace {

std::string Format(float value) {
  char out[kMaxTwoDecimalsLength];
  return std::string(out, FormatTwoDecimals(value, out));
}

TEST(DecimalFormat, RoundsHalvesUpAndKeepsSignsAsCallersExpect) {
  EXPECT_EQ(Format(0.125f), "0.13");
  EXPECT_EQ(Format(-0.125f), "-0.13");
  EXPECT_EQ(Format(0.375f), "0.38");
  EXPECT_EQ(Format(2.5f), "2.50");
  EXPECT_EQ(Format(100.0f), "100.00");
  EXPECT_EQ(Format(0.995f), "1.00");  // 0.99500000476...
  EXPECT_EQ(Format(9.995f), "9.99");  // 9.99499988555...
  EXPECT_EQ(Format(99.995f), "100.00");
  EXPECT_EQ(Format(-0.004f), "-0.00");
  EXPECT_EQ(Format(0.0f), "0.00");
  EXPECT_EQ(Format(-0.0f), "0.00");
}

TEST(DecimalFormat, WritesExtremeMagnitudes) {
  EXPECT_EQ(Format(1e17f), "99999998430674944.00");
  EXPECT_EQ(Format(1e20f), "100000002004087730000.00");
  EXPECT_EQ(Format(std::numeric_limits<float>::max()),
            "340282346638528860000000000000000000000.00");
  EXPECT_EQ(Format(-std::numeric_limits<float>::max()),
            "-340282346638528860000000000000000000000.00");
  EXPECT_EQ(Format(std::numeric_limits<float>::denorm_min()), "0.00");
  EXPECT_EQ(Format(-std::numeric_limits<float>::denorm_min()), "-0.00");
  EXPECT_EQ(Format(std::numeric_limits<float>::min()), "0.00");
  EXPECT_EQ(Format(std::numeric_limits<float>::infinity()), "inf");
  EXPECT_EQ(Format(-std::numeric_limits<float>::infinity()), "-inf");
  EXPECT_EQ(Format(std::numeric_limits<float>::quiet_NaN()), "nan");
  EXPECT_EQ(Format(std::bit_cast<float>(0xFFC00001u)), "nan");
}

#ifdef __GLIBC__
TEST(DecimalFormat, AgreesWithSlowReferenceAcrossBitPatterns) {
  // Every exponent is visited many times over; the step is odd so the low
  // mantissa bits vary too.
  for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 9973) {
    float value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    ASSERT_EQ(Format(value), ReferenceTwoDecimals(value)) << "bits " << std::hex << bits;
  }
  // Values near two-decimal halves, where a wrong rounding would show.
  for (int cents = -200000; cents <= 200000; ++cents) {
    float value = static_cast<float>(cents / 100.0 + 0.005);
    for (float near : {value, std::nextafter(value, 1e9f), std::nextafter(value, -1e9f)})
      ASSERT_EQ(Format(near), ReferenceTwoDecimals(near)) << cents;
  }
}
#endif

}  // namespace
