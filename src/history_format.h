#pragma once

#include <cstddef>
#include <cstdint>

// What a history file holds: a 222-byte header, four unused bytes, then
// signed 16-bit little-endian samples from FirstSampleOffset to the end of
// the file. The reader fills these records from the file; the writer turns
// them into text.

inline constexpr std::size_t HistoryHeaderSize = 222;
inline constexpr std::size_t FirstSampleOffset = 226;
// A sample holding this value carries no reading.
inline constexpr std::int16_t DroppedSample = -32001;

struct HistoryHeader {
  float RawZero = 0;
  float RawFull = 0;
  float EngZero = 0;
  float EngFull = 0;
  char Title[33] = {};  // up to 32 bytes of text, always NUL-terminated
  std::int32_t SamplePeriodMS = 0;
  std::int32_t StartTime = 0;
  std::int32_t EndTime = 0;
};
