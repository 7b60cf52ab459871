#pragma once

#include <cstddef>
#include <cstdio>
#include <span>

#include "history_format.h"

// Writes the text file: three header lines, then the sample table, ten
// right-aligned samples to a line, each followed by the delimiter. Every
// line ends in CR LF on every platform.

// A text file written through a buffer that the caller owns. The buffer
// always has room for the rest of the current table line: it is flushed
// whenever less than a whole line is left at the start of one, so a sample
// is stored without a check for room. After the first failed write nothing
// more reaches the file, so it always holds a prefix of the conversion;
// `write_failed` tells the caller. The record is plain and small (see
// WriteSamples).
struct TextStream {
  std::FILE* file = nullptr;
  char* buffer = nullptr;
  char* next = nullptr;   // where the next byte goes
  char* limit = nullptr;  // one past the end of the buffer
  bool write_failed = false;
};

inline constexpr int SamplesPerLine = 10;
inline constexpr std::size_t DefaultTextBufferSize = std::size_t{128} * 1024;
inline constexpr std::size_t MinTextBufferSize = 128;

// `buffer` must hold at least MinTextBufferSize bytes (a smaller one aborts
// the program) and outlive the stream.
[[nodiscard]] TextStream MakeTextStream(std::FILE* file, std::span<char> buffer);

// Writes out what the buffer holds and empties it.
void FlushTextStream(TextStream& text);

void WriteHeaderLines(TextStream& text, const HistoryHeader& header);

// Writes `count` samples, stored as little-endian bytes at `bytes`, into the
// sample table: each but a DroppedSample takes the next place on the line.
// `line_count`, the samples already on the current line, starts at 0 for the
// table and carries the line from one call to the next.
void WriteSamples(TextStream& text, const unsigned char* bytes, std::size_t count, char delimiter,
                  int& line_count);
