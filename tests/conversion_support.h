#pragma once

// Shared by the tests and the fuzz target: an in-process run of the tool,
// and what its text file must hold, written out as plainly as possible.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "file_io.h"
#include "front_end.h"

inline std::string ReadFile(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

inline bool WriteFile(const std::string& path, const std::string& bytes) {
  return static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes);
}

struct Outcome {
  int status;
  std::string messages;
  std::string text;
  bool operator==(const Outcome&) const = default;
};

// Runs the tool in process on the history file `history`, writing
// `history`.txt, with the I/O faults of `plan` (none when null). A null
// `delimiter` leaves out the third argument.
inline Outcome Convert(const std::string& history, const char* delimiter, RunOptions buffers,
                       IoFaultPlan* plan = nullptr) {
  const std::string text = history + ".txt";
  const char* argv[] = {"Vindolar", history.c_str(), text.c_str(), delimiter, nullptr};
  std::FILE* messages = std::tmpfile();
  SetIoFaultPlan(plan);
  const int status = RunVindolar(delimiter == nullptr ? 3 : 4, argv, messages, buffers);
  SetIoFaultPlan(nullptr);
  std::string said(static_cast<std::size_t>(std::ftell(messages)), '\0');
  std::rewind(messages);
  said.resize(std::fread(said.data(), 1, said.size(), messages));
  std::fclose(messages);
  return Outcome{status, said, ReadFile(text)};
}

// "%.2f" as the tool must write it: the exact digits (glibc's "%.160f" is
// exact for every binary32), rounded half up to 17 significant digits, then
// half up to two decimals, by hand on the digit string.
inline std::string ReferenceTwoDecimals(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char exact[512];
  std::snprintf(exact, sizeof exact, "%.160f", std::fabs(static_cast<double>(value)));
  std::string digits = exact;
  std::size_t point = digits.find('.');
  digits.erase(point, 1);
  // Keeps the first `keep` digits, rounded half up; the rest become zeros.
  auto round_at = [&digits, &point](std::size_t keep) {
    bool carry = digits[keep] >= '5';
    std::fill(digits.begin() + static_cast<std::ptrdiff_t>(keep), digits.end(), '0');
    for (std::size_t i = keep; carry && i-- > 0;) {
      carry = digits[i] == '9';
      digits[i] = carry ? '0' : static_cast<char>(digits[i] + 1);
    }
    if (carry) {
      digits.insert(0, 1, '1');
      ++point;
    }
  };
  const std::size_t first = digits.find_first_not_of('0');
  if (first != std::string::npos && first + 17 < digits.size()) round_at(first + 17);
  round_at(point + 2);
  const std::size_t start = std::min(digits.find_first_not_of('0'), point - 1);
  const std::string sign = std::signbit(value) && value != 0 ? "-" : "";
  return sign + digits.substr(start, point - start) + "." + digits.substr(point, 2);
}

// The text file for the history file `history` (its bytes) and `delimiter`.
inline std::string ReferenceText(const std::string& history, char delimiter) {
  std::string header = history.substr(0, 226);
  header.resize(226, '\0');  // a file cut short reads as zeros from where it ends
  auto field = [&header](std::size_t at) {
    std::uint32_t bits = 0;
    for (std::size_t i = 4; i-- > 0;) bits = bits << 8 | static_cast<unsigned char>(header[at + i]);
    return bits;
  };
  auto number = [&field](std::size_t at) {
    return std::to_string(static_cast<std::int32_t>(field(at)));
  };
  std::string text;
  for (std::size_t i = 144; i < 176 && header[i] != '\0'; ++i)
    text += header[i] == '\n' ? std::string("\r\n") : std::string(1, header[i]);
  const char* const names[] = {"\r\nRawZero = ", "; RawFull = ", "; EngZero = ", "; EngFull = "};
  for (std::size_t i = 0; i < 4; ++i)
    text += names[i] + ReferenceTwoDecimals(std::bit_cast<float>(field(112 + 4 * i)));
  text += "\r\nSamplePeriodMS = " + number(186) + "; StartTime = " + number(202) +
          "; EndTime = " + number(206) + " \r\n";
  for (std::size_t at = 226, written = 0; at + 2 <= history.size(); at += 2) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(history[at]) |
                                                  static_cast<unsigned char>(history[at + 1]) << 8);
    if (sample == -32001) continue;
    char group[16];
    std::snprintf(group, sizeof group, "%7d%c", sample, delimiter);
    text += group;
    if (++written % 10 == 0) text += "\r\n";
  }
  return text;
}
