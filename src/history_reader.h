#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// Reads a history file: a 222-byte header, four unread bytes, then signed
// 16-bit little-endian samples from FirstSampleOffset to the end of the file.

inline constexpr long FirstSampleOffset = 226;
inline constexpr std::size_t kHistoryHeaderSize = 222;
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

// A history file read through a buffer of its own: one large read serves
// many samples. Bytes [next, end) of `buffer` are read but not yet taken.
struct HistoryStream {
  std::FILE* file = nullptr;
  std::vector<unsigned char> buffer;
  std::size_t next = 0;
  std::size_t end = 0;
  long long end_offset = 0;  // file offset of buffer[end]
  bool exhausted = false;    // a read came back short: end of file or error
  bool read_failed = false;  // an I/O error, as opposed to the end of the file
};

inline constexpr std::size_t kDefaultHistoryBufferSize = std::size_t{256} * 1024;

HistoryStream MakeHistoryStream(std::FILE* file,
                                std::size_t buffer_size = kDefaultHistoryBufferSize);

// Reads the header from offset 0. Fields that the file is too short to
// supply, or that an I/O error kept from arriving, read as zero bytes.
HistoryHeader ReadHistoryHeader(HistoryStream& history);

// Moves to FirstSampleOffset, whatever the current position.
void SeekToSamples(HistoryStream& history);

// Makes at least two unread bytes available if the file still has them.
bool RefillHistoryStream(HistoryStream& history);

// Takes the next sample. Returns false, with no sample, when fewer than two
// bytes remain: the end of the file, an odd trailing byte, or a read error.
inline bool ReadSample(HistoryStream& history, std::int16_t& sample) {
  if (history.end - history.next < 2 && !RefillHistoryStream(history)) return false;
  const unsigned char* bytes = history.buffer.data() + history.next;
  sample = static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
  history.next += 2;
  return true;
}
