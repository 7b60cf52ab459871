#pragma once

#include <cstddef>
#include <cstdio>
#include <span>

#include "history_format.h"

// Reads a history file once from its first byte to its end, through a
// buffer that the caller owns, and never seeks: a pipe or a device serves
// as well as a regular file. It hands out the header, then the samples in
// runs of as many whole samples as the buffer holds.

// Bytes [next, end) are read but not yet taken.
struct HistoryStream {
  std::FILE* file = nullptr;
  std::span<unsigned char> buffer;
  const unsigned char* next = nullptr;
  const unsigned char* end = nullptr;
  bool exhausted = false;    // a read came back short: end of file or error
  bool read_failed = false;  // an I/O error, as opposed to the end of the file
};

inline constexpr std::size_t DefaultHistoryBufferSize = std::size_t{64} * 1024;
// The least buffer that holds a whole sample.
inline constexpr std::size_t MinHistoryBufferSize = 2;

// `buffer` must hold at least MinHistoryBufferSize bytes (a smaller one
// aborts the program) and outlive the stream.
[[nodiscard]] HistoryStream MakeHistoryStream(std::FILE* file, std::span<unsigned char> buffer);

// Reads the header from offset 0. Fields that the file is too short to
// supply, or that an I/O error kept from arriving, read as zero bytes.
[[nodiscard]] HistoryHeader ReadHistoryHeader(HistoryStream& history);

// Moves from the end of the header to FirstSampleOffset by reading past
// the four unused bytes.
void SkipToSamples(HistoryStream& history);

// `count` samples stored as little-endian bytes at `bytes`, inside the
// stream's buffer: valid until the next ReadSamples.
struct SampleRun {
  const unsigned char* bytes = nullptr;
  std::size_t count = 0;
};

// Takes every whole sample the buffer holds, refilling it first when it
// holds none; an odd byte waits for the next refill. An empty run is the end
// of the samples: the end of the file, an odd trailing byte, or a read error
// (which sets `read_failed`).
[[nodiscard]] SampleRun ReadSamples(HistoryStream& history);
