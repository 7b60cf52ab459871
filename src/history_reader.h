#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Reads a history file: a 222-byte header, four unused bytes, then signed
// 16-bit little-endian samples from FirstSampleOffset to the end of the file.
// The file is read once from its first byte to its end and never seeks, so
// a pipe or a device serves as well as a regular file.

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

// A history file read through a buffer that the caller owns: one large
// read serves many samples. Bytes [next, end) are read but not yet taken.
// The record is plain and small so that the sample loop can keep a copy of
// it in registers.
struct HistoryStream {
  std::FILE* file = nullptr;
  unsigned char* buffer = nullptr;
  std::size_t capacity = 0;
  const unsigned char* next = nullptr;
  const unsigned char* end = nullptr;
  bool exhausted = false;    // a read came back short: end of file or error
  bool read_failed = false;  // an I/O error, as opposed to the end of the file
};

inline constexpr std::size_t kDefaultHistoryBufferSize = std::size_t{64} * 1024;

// `buffer` must hold at least two bytes and outlive the stream.
HistoryStream MakeHistoryStream(std::FILE* file, unsigned char* buffer, std::size_t capacity);

// Reads the header from offset 0. Fields that the file is too short to
// supply, or that an I/O error kept from arriving, read as zero bytes.
HistoryHeader ReadHistoryHeader(HistoryStream& history);

// Moves from the end of the header to FirstSampleOffset by reading through
// the four unused bytes.
void SeekToSamples(HistoryStream& history);

// Returns the stream with at least two unread bytes, if the file still has
// them. Taking and returning the record by value keeps a caller's copy from
// ever having its address taken.
HistoryStream RefillHistoryStream(HistoryStream history);

// The bit pattern of the little-endian sample at `bytes`.
inline std::uint16_t SampleBitsAt(const unsigned char* bytes) {
  std::uint16_t bits;
  std::memcpy(&bits, bytes, 2);
  if constexpr (std::endian::native == std::endian::big)
    bits = static_cast<std::uint16_t>(bits << 8 | bits >> 8);
  return bits;
}

// Takes the next sample. Returns false, with no sample, when fewer than two
// bytes remain: the end of the file, an odd trailing byte, or a read error.
inline bool ReadSample(HistoryStream& history, std::int16_t& sample) {
  if (history.end - history.next < 2) {
    history = RefillHistoryStream(history);
    if (history.end - history.next < 2) return false;
  }
  sample = static_cast<std::int16_t>(SampleBitsAt(history.next));
  history.next += 2;
  return true;
}

// Takes the next `count` samples at once when that many are buffered and
// returns their little-endian bytes; otherwise takes nothing and returns
// null. Lets the sample loop handle a run of samples without a check each.
inline const unsigned char* TakeSamples(HistoryStream& history, int count) {
  const unsigned char* bytes = history.next;
  if (history.end - bytes < 2 * count) return nullptr;
  history.next += 2 * count;
  return bytes;
}
