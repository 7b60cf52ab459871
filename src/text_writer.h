#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "history_reader.h"

// Writes the text file: three header lines, then the sample table, ten
// right-aligned samples to a line, each followed by the delimiter. Every
// line ends in CR LF on every platform.

inline constexpr int SamplesPerLine = 10;

// A text file written through a buffer of its own. After the first failed
// write nothing more reaches the file, so it always holds a prefix of the
// conversion; `write_failed` tells the caller.
struct TextStream {
  std::FILE* file = nullptr;
  std::vector<char> buffer;
  std::size_t used = 0;
  bool write_failed = false;
};

inline constexpr std::size_t kDefaultTextBufferSize = std::size_t{256} * 1024;

TextStream MakeTextStream(std::FILE* file, std::size_t buffer_size = kDefaultTextBufferSize);

// Writes out what the buffer holds.
void FlushTextStream(TextStream& text);

void WriteHeaderLines(TextStream& text, const HistoryHeader& header);

// "%7d" of every 16-bit value, indexed by the value's bit pattern: seven
// characters in an 8-byte slot whose last byte the delimiter overwrites.
extern char g_sample_fields[65536][8];

// Writes one sample of the table and counts it on its line; a DroppedSample
// writes nothing. `line_count` starts at 0 for the table.
inline void WriteSample(TextStream& text, std::int16_t sample, char delimiter, int& line_count) {
  if (sample == DroppedSample) return;
  if (text.buffer.size() - text.used < 10) FlushTextStream(text);
  char* out = text.buffer.data() + text.used;
  std::memcpy(out, g_sample_fields[static_cast<std::uint16_t>(sample)], 8);
  out[7] = delimiter;
  text.used += 8;
  if (++line_count >= SamplesPerLine) {
    line_count = 0;
    out[8] = '\r';
    out[9] = '\n';
    text.used += 2;
  }
}
