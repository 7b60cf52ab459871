#include "decimal_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

// Every binary32 value is a whole multiple of its smallest subnormal,
// 2^-149, so it has at most 149 digits after the point: fixed notation with
// that many decimals writes its exact value, unrounded.
constexpr int ExactFractionDigits =
    std::numeric_limits<float>::digits - std::numeric_limits<float>::min_exponent;

// Keeps digits[0..keep) and rounds them half up on digits[keep]; the digits
// from `keep` to `count` become zeros. The caller keeps a leading '0' in
// digits[0] so that a carry out of the first digit has somewhere to go.
void RoundHalfUp(char* digits, int keep, int count) {
  bool round_up = digits[keep] >= '5';
  std::fill(digits + keep, digits + count, '0');
  for (int i = keep - 1; round_up; --i) {
    round_up = digits[i] == '9';
    digits[i] = round_up ? '0' : static_cast<char>(digits[i] + 1);
  }
}

}  // namespace

std::size_t FormatTwoDecimals(float value, char* out) {
  char* p = out;
  if (std::isnan(value)) return static_cast<std::size_t>(std::copy_n("nan", 3, p) - out);
  if (std::signbit(value) && value != 0) *p++ = '-';
  if (std::isinf(value)) return static_cast<std::size_t>(std::copy_n("inf", 3, p) - out);

  // The digits: a '0', up to 39 integer digits and the point, which fit in
  // MaxTwoDecimalsLength as the text does, then the fraction.
  char digits[MaxTwoDecimalsLength + ExactFractionDigits] = {'0'};
  const std::to_chars_result written =
      std::to_chars(digits + 1, std::end(digits), std::fabs(double{value}),
                    std::chars_format::fixed, ExactFractionDigits);
  // Without the point, the digits before `point` are the integer part.
  const int count = static_cast<int>(written.ptr - digits) - 1;
  const int point = count - ExactFractionDigits;
  std::memmove(digits + point, digits + point + 1, ExactFractionDigits);

  // Seventeen significant digits. From 1 up they are digits[1..17]. Below
  // 1 the same cut falls 16 places after the point, short of the 17th
  // significant digit, yet it cannot move the third decimal: that takes
  // nines from the fourth to the sixteenth place, and no float below 1 lies
  // within 1e-16 under a multiple of 0.001 (the least gap is 2^-30 / 125).
  RoundHalfUp(digits, 18, count);
  RoundHalfUp(digits, point + 2, count);

  int integer_start = 0;
  while (integer_start < point - 1 && digits[integer_start] == '0') ++integer_start;
  p = std::copy(digits + integer_start, digits + point, p);
  *p++ = '.';
  return static_cast<std::size_t>(std::copy_n(digits + point, 2, p) - out);
}
