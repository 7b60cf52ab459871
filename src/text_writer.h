#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "history_reader.h"

// Writes the text file: three header lines, then the sample table, ten
// right-aligned samples to a line, each followed by the delimiter. Every
// line ends in CR LF on every platform.

inline constexpr int SamplesPerLine = 10;

// Bytes of one full table line: ten groups of seven characters and the
// delimiter, then CR LF.
inline constexpr std::ptrdiff_t kTableLineSize = SamplesPerLine * 8 + 2;

// A text file written through a buffer that the caller owns. The buffer
// always has room for the rest of the current table line: it is flushed
// whenever less than a whole line is left at the start of one, so
// WriteSample never checks for room. After the first failed write nothing
// more reaches the file, so it always holds a prefix of the conversion;
// `write_failed` tells the caller. The record is plain and small so that
// the sample loop can keep a copy of it in registers.
struct TextStream {
  std::FILE* file = nullptr;
  char* buffer = nullptr;
  char* next = nullptr;   // where the next byte goes
  char* limit = nullptr;  // one past the end of the buffer
  bool write_failed = false;
};

inline constexpr std::size_t kDefaultTextBufferSize = std::size_t{128} * 1024;
inline constexpr std::size_t kMinTextBufferSize = 128;

// `buffer` must hold at least kMinTextBufferSize bytes and outlive the stream.
TextStream MakeTextStream(std::FILE* file, char* buffer, std::size_t capacity);

// Writes out what the buffer holds and returns the emptied stream (by value,
// like RefillHistoryStream, so a caller's copy is never address-taken).
TextStream FlushTextStream(TextStream text);

void WriteHeaderLines(TextStream& text, const HistoryHeader& header);

// "%7d" of every 16-bit value, indexed by the value's bit pattern: seven
// characters in the first seven bytes of each 8-byte group, and a zero byte
// where the delimiter goes.
extern std::uint64_t g_sample_groups[65536];

// The delimiter placed in the eighth byte of a group.
inline std::uint64_t DelimiterBits(char delimiter) {
  constexpr int shift = std::endian::native == std::endian::little ? 56 : 0;
  return std::uint64_t{static_cast<unsigned char>(delimiter)} << shift;
}

// Ends a table line and, when less than a whole line of room is left,
// flushes the buffer.
inline void EndTableLine(TextStream& text) {
  std::memcpy(text.next, "\r\n", 2);
  text.next += 2;
  if (text.limit - text.next < kTableLineSize) text = FlushTextStream(text);
}

// Writes one sample of the table and counts it on its line; a DroppedSample
// writes nothing. `line_count` starts at 0 for the table.
inline void WriteSample(TextStream& text, std::int16_t sample, char delimiter, int& line_count) {
  if (sample == DroppedSample) return;
  std::uint64_t group =
      g_sample_groups[static_cast<std::uint16_t>(sample)] | DelimiterBits(delimiter);
  std::memcpy(text.next, &group, 8);
  text.next += 8;
  if (++line_count == SamplesPerLine) {
    line_count = 0;
    EndTableLine(text);
  }
}

// Writes `count` samples given as little-endian bytes, no more than
// complete the current line. Every group is stored, but the cursor moves
// past it only for a reading: a DroppedSample's group is overwritten by the
// next one and never reaches the file. No branch per sample.
inline void WriteSampleRun(TextStream& text, const unsigned char* bytes, int count, char delimiter,
                           int& line_count) {
  constexpr auto kDroppedBits = static_cast<std::uint16_t>(DroppedSample);
  std::uint64_t delimiter_bits = DelimiterBits(delimiter);
  char* next = text.next;
  for (int i = 0; i < count; ++i) {
    std::uint16_t bits = SampleBitsAt(bytes + 2 * i);
    std::uint64_t group = g_sample_groups[bits] | delimiter_bits;
    std::memcpy(next, &group, 8);
    next += bits == kDroppedBits ? 0 : 8;
  }
  line_count += static_cast<int>((next - text.next) / 8);
  text.next = next;
  if (line_count == SamplesPerLine) {
    line_count = 0;
    EndTableLine(text);
  }
}

// Writes a whole table line from ten readings given as little-endian bytes,
// none of them a DroppedSample. Only at the start of a line.
inline void WriteSampleLine(TextStream& text, const unsigned char* bytes, char delimiter) {
  std::uint64_t delimiter_bits = DelimiterBits(delimiter);
  for (int i = 0; i < SamplesPerLine; ++i) {
    std::uint64_t group = g_sample_groups[SampleBitsAt(bytes + 2 * i)] | delimiter_bits;
    std::memcpy(text.next + 8 * i, &group, 8);
  }
  text.next += 8 * SamplesPerLine;
  EndTableLine(text);
}
