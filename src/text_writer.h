#pragma once

#include <cstddef>
#include <cstdio>

#include "history_reader.h"

// Writes the text file: three header lines, then the sample table, ten
// right-aligned samples to a line, each followed by the delimiter. Every
// line ends in CR LF on every platform.

// A text file written through a buffer that the caller owns. The buffer
// always has room for the rest of the current table line: it is flushed
// whenever less than a whole line is left at the start of one, so a sample
// is stored without a check for room. After the first failed write nothing
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

// Writes the sample table: every sample from the history's current place
// to its end, ten to a line. A DroppedSample writes nothing. A failed read
// ends the table and sets `history.read_failed`; a failed write ends it
// before the next read.
void WriteSampleTable(TextStream& text, HistoryStream& history, char delimiter);

// True when any of the `count` samples (at least eight) at `bytes`, given
// as little-endian bytes, is a DroppedSample. Compares eight samples at a
// time with SSE2 when the build targets it (every x86-64 build), otherwise
// four at a time in a 64-bit word.
bool ContainsDroppedSample(const unsigned char* bytes, int count);
