#pragma once

#include <cstddef>

// Room for the longest text FormatTwoDecimals writes, with some to spare: a
// sign, 39 integer digits (the largest binary32 is about 3.4e38), the point
// and two decimals, 43 characters.
inline constexpr std::size_t MaxTwoDecimalsLength = 48;

// Writes `value` in fixed notation with exactly two decimals and returns the
// number of characters written (no NUL is added). The exact value is first
// rounded to 17 significant digits, then to two decimals, both half away
// from zero, so the text is the same on every platform. A negative value
// that rounds to zero keeps its sign; negative zero does not. Infinities and
// NaNs are written inf, -inf and nan.
std::size_t FormatTwoDecimals(float value, char* out);
