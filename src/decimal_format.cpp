#include "decimal_format.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// Exact decimal digits of a binary32 magnitude. Every binary32 value is
// mantissa * 2^exponent with a 24-bit mantissa and an exponent from -149 to
// 104, so its digits fit in a fixed array: at most 39 before the point and
// 149 after it.
struct DecimalDigits {
  char digits[200];  // '0'..'9', most significant first
  int count;         // digits in use
  int point;         // digits before the decimal point (at least 1)
};

// Unsigned big integer in base 10^9, least significant limb first. The
// largest one ExactDigits makes is below 2^24 * 5^149 < 10^112: 13 limbs.
struct BigNumber {
  std::uint32_t limbs[16];
  int size;
};

void MultiplySmall(BigNumber& n, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (int i = 0; i < n.size; ++i) {
    std::uint64_t product = std::uint64_t{n.limbs[i]} * factor + carry;
    n.limbs[i] = static_cast<std::uint32_t>(product % 1000000000u);
    carry = product / 1000000000u;
  }
  if (carry != 0) n.limbs[n.size++] = static_cast<std::uint32_t>(carry);
}

// Writes the decimal digits of `n` without leading zeros ("0" for zero).
int BigNumberDigits(const BigNumber& n, char* out) {
  int count = 0;
  for (int i = n.size - 1; i >= 0; --i) {
    char limb[9];
    std::uint32_t value = n.limbs[i];
    for (int k = 8; k >= 0; --k) {
      limb[k] = static_cast<char>('0' + value % 10);
      value /= 10;
    }
    int start = 0;
    if (count == 0)
      while (start < 8 && limb[start] == '0') ++start;
    std::memcpy(out + count, limb + start, static_cast<std::size_t>(9 - start));
    count += 9 - start;
  }
  return count;
}

// Exact digits of mantissa * 2^exponent (mantissa < 2^24).
void ExactDigits(std::uint32_t mantissa, int exponent, DecimalDigits& d) {
  BigNumber n{{mantissa}, 1};
  int fraction_digits = 0;
  while (exponent > 0) {
    int shift = exponent < 16 ? exponent : 16;
    MultiplySmall(n, 1u << shift);
    exponent -= shift;
  }
  // mantissa / 2^k = mantissa * 5^k / 10^k
  for (; exponent < 0; ++exponent, ++fraction_digits) MultiplySmall(n, 5);

  char raw[200];
  int raw_count = BigNumberDigits(n, raw);
  // Pad on the left so that at least one digit stands before the point.
  int pad = fraction_digits >= raw_count ? fraction_digits - raw_count + 1 : 0;
  std::memset(d.digits, '0', static_cast<std::size_t>(pad));
  std::memcpy(d.digits + pad, raw, static_cast<std::size_t>(raw_count));
  d.count = pad + raw_count;
  d.point = d.count - fraction_digits;
}

// Keeps the first `keep` digits, rounding half up on the first dropped
// digit; the dropped digits that stand before the point become zeros.
void RoundAt(DecimalDigits& d, int keep) {
  if (keep >= d.count) return;
  bool round_up = d.digits[keep] >= '5';
  d.count = keep;
  for (int i = keep - 1; round_up && i >= 0; --i) {
    if (d.digits[i] == '9') {
      d.digits[i] = '0';
    } else {
      ++d.digits[i];
      round_up = false;
    }
  }
  if (round_up) {  // 99.9 -> 100.0: one more integer digit
    std::memmove(d.digits + 1, d.digits, static_cast<std::size_t>(d.count));
    d.digits[0] = '1';
    ++d.count;
    ++d.point;
  }
  while (d.count < d.point) d.digits[d.count++] = '0';
}

}  // namespace

std::size_t FormatTwoDecimals(float value, char* out) {
  std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  bool negative = (bits >> 31) != 0;
  std::uint32_t biased = (bits >> 23) & 0xFF;
  std::uint32_t fraction = bits & 0x7FFFFF;
  char* p = out;

  if (biased == 0xFF) {
    if (fraction != 0) {
      std::memcpy(p, "nan", 3);  // NOLINT(bugprone-not-null-terminated-result): counted text
      return 3;
    }
    if (negative) *p++ = '-';
    std::memcpy(p, "inf", 3);  // NOLINT(bugprone-not-null-terminated-result): counted text
    return static_cast<std::size_t>(p - out) + 3;
  }

  std::uint32_t mantissa = biased == 0 ? fraction : fraction | 0x800000;
  int exponent = biased == 0 ? -149 : static_cast<int>(biased) - 150;
  if (negative && mantissa != 0) *p++ = '-';

  DecimalDigits d;
  ExactDigits(mantissa, exponent, d);
  int first_significant = 0;
  while (first_significant < d.count && d.digits[first_significant] == '0') ++first_significant;
  if (first_significant < d.count) RoundAt(d, first_significant + 17);
  RoundAt(d, d.point + 2);

  int integer_start = 0;
  while (integer_start < d.point - 1 && d.digits[integer_start] == '0') ++integer_start;
  for (int i = integer_start; i < d.point; ++i) *p++ = d.digits[i];
  *p++ = '.';
  for (int i = d.point; i < d.point + 2; ++i) *p++ = i < d.count ? d.digits[i] : '0';
  return static_cast<std::size_t>(p - out);
}
