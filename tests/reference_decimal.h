#pragma once

// A slow, plainly written "%.2f" for checking FormatTwoDecimals: exact
// digits from the C library's long "%.160f" (exact in glibc for every
// binary32), then the two roundings done by hand on the digit string.

#include <cmath>
#include <cstdio>
#include <string>

// Adds one unit at digits[last] and carries leftwards; may grow the string.
inline void ReferenceIncrement(std::string& digits, std::size_t last, std::size_t& point) {
  std::size_t i = last + 1;
  while (i > 0) {
    --i;
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  ++point;
}

inline std::string ReferenceTwoDecimals(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char exact[512];
  std::snprintf(exact, sizeof exact, "%.160f", std::fabs(static_cast<double>(value)));
  std::string text = exact;
  std::size_t point = text.find('.');
  std::string digits = text.substr(0, point) + text.substr(point + 1);

  std::size_t first = digits.find_first_not_of('0');
  if (first != std::string::npos && first + 17 < digits.size()) {
    bool up = digits[first + 17] >= '5';
    for (std::size_t i = first + 17; i < digits.size(); ++i) digits[i] = '0';
    if (up) ReferenceIncrement(digits, first + 16, point);
  }
  bool up = digits[point + 2] >= '5';
  digits.resize(point + 2);
  if (up) ReferenceIncrement(digits, point + 1, point);

  std::size_t start = 0;  // leading zeros go, one integer digit stays
  while (start + 1 < point && digits[start] == '0') ++start;
  std::string result = std::signbit(value) && value != 0 ? "-" : "";
  result.append(digits, start, point - start).append(".").append(digits, point, 2);
  return result;
}
