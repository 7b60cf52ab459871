#include "history_reader.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "file_io.h"

namespace {

// Moves the unread bytes to the front and reads until at least `wanted` are
// unread, the buffer is full, or a read comes back short.
void Fill(HistoryStream& history, std::size_t wanted) {
  auto unread = static_cast<std::size_t>(history.end - history.next);
  if (unread >= wanted || history.exhausted) return;
  std::memmove(history.buffer.data(), history.next, unread);
  const std::span<unsigned char> room = history.buffer.subspan(unread);
  const std::size_t got = ReadBytes(history.file, room.data(), room.size(), &history.read_failed);
  history.next = history.buffer.data();
  history.end = room.data() + got;
  if (got < room.size()) history.exhausted = true;
}

// Copies up to `size` bytes; returns how many the file supplied.
std::size_t Take(HistoryStream& history, unsigned char* out, std::size_t size) {
  std::size_t copied = 0;
  while (copied < size) {
    Fill(history, 1);
    auto part = static_cast<std::size_t>(history.end - history.next);
    if (part == 0) break;
    if (part > size - copied) part = size - copied;
    std::memcpy(out + copied, history.next, part);
    history.next += part;
    copied += part;
  }
  return copied;
}

std::uint32_t LittleEndian32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

float Binary32At(const unsigned char* bytes) { return std::bit_cast<float>(LittleEndian32(bytes)); }

std::int32_t Int32At(const unsigned char* bytes) {
  return static_cast<std::int32_t>(LittleEndian32(bytes));
}

}  // namespace

HistoryStream MakeHistoryStream(std::FILE* file, std::span<unsigned char> buffer) {
  // A smaller buffer is a fault in the calling code: stop before any byte
  // is read into it.
  if (buffer.size() < MinHistoryBufferSize) std::abort();
  return HistoryStream{.file = file, .buffer = buffer, .next = buffer.data(), .end = buffer.data()};
}

HistoryHeader ReadHistoryHeader(HistoryStream& history) {
  // Bytes that never arrive stay zero, so a cut field keeps what arrived.
  unsigned char raw[HistoryHeaderSize] = {};
  Take(history, raw, sizeof raw);

  HistoryHeader header{.RawZero = Binary32At(raw + 112),
                       .RawFull = Binary32At(raw + 116),
                       .EngZero = Binary32At(raw + 120),
                       .EngFull = Binary32At(raw + 124),
                       .SamplePeriodMS = Int32At(raw + 186),
                       .StartTime = Int32At(raw + 202),
                       .EndTime = Int32At(raw + 206)};
  std::memcpy(header.Title, raw + 144, 32);  // Title[32] stays NUL
  return header;
}

void SkipToSamples(HistoryStream& history) {
  unsigned char unused[FirstSampleOffset - HistoryHeaderSize];
  Take(history, unused, sizeof unused);
}

SampleRun ReadSamples(HistoryStream& history) {
  Fill(history, 2);
  const auto count = static_cast<std::size_t>(history.end - history.next) / 2;
  const SampleRun run{history.next, count};
  history.next += 2 * count;
  return run;
}
