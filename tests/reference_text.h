#pragma once

// What the text file must hold, written out plainly for tests and fuzzers:
// the three header lines from the raw header bytes, and the sample table.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "reference_decimal.h"

inline std::uint32_t ReferenceField32(const unsigned char* header, std::size_t offset) {
  return std::uint32_t{header[offset]} | std::uint32_t{header[offset + 1]} << 8 |
         std::uint32_t{header[offset + 2]} << 16 | std::uint32_t{header[offset + 3]} << 24;
}

// The header lines of a history file whose bytes are `history`, zeros
// standing in where the file ends before offset 226.
inline std::string ReferenceHeaderLines(const unsigned char* history, std::size_t size) {
  unsigned char header[226] = {};
  std::memcpy(header, history, size < sizeof header ? size : sizeof header);
  std::string text;
  for (std::size_t i = 144; i < 176 && header[i] != 0; ++i)
    text += header[i] == '\n' ? std::string("\r\n") : std::string(1, static_cast<char>(header[i]));
  text += "\r\n";
  const char* const names[] = {"RawZero = ", "; RawFull = ", "; EngZero = ", "; EngFull = "};
  for (std::size_t i = 0; i < 4; ++i)
    text += names[i] +
            ReferenceTwoDecimals(std::bit_cast<float>(ReferenceField32(header, 112 + 4 * i)));
  text += "\r\nSamplePeriodMS = " +
          std::to_string(static_cast<std::int32_t>(ReferenceField32(header, 186)));
  text +=
      "; StartTime = " + std::to_string(static_cast<std::int32_t>(ReferenceField32(header, 202)));
  text += "; EndTime = " + std::to_string(static_cast<std::int32_t>(ReferenceField32(header, 206)));
  return text + " \r\n";
}

// The whole text file for the history file `history` and `delimiter`.
inline std::string ReferenceText(const std::string& history, char delimiter) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(history.data());
  std::string text = ReferenceHeaderLines(bytes, history.size());
  int on_line = 0;
  for (std::size_t at = 226; at + 2 <= history.size(); at += 2) {
    const auto sample = static_cast<std::int16_t>(bytes[at] | bytes[at + 1] << 8);
    if (sample == -32001) continue;
    char group[16];
    std::snprintf(group, sizeof group, "%7d%c", sample, delimiter);
    text += group;
    if (++on_line == 10) {
      text += "\r\n";
      on_line = 0;
    }
  }
  return text;
}
