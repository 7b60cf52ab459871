#include "text_writer.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "decimal_format.h"
#include "file_io.h"
#include "stored_samples.h"

namespace {

// Bytes of one full table line: ten groups of seven characters and the
// delimiter, then CR LF.
constexpr std::ptrdiff_t TableLineSize = SamplesPerLine * 8 + 2;
static_assert(MinTextBufferSize >= TableLineSize);

// The group of every 16-bit value, indexed by its bit pattern: "%7d" of
// the value in the first seven bytes, and a zero byte where the delimiter
// goes. A plain array in a record, so that the compiler can compute it.
struct SampleGroupTable {
  std::uint64_t group[65536];
};

// Fills the table by counting up in decimal text, the negative values taking
// the same digits with a minus sign in front. Counting is cheap enough for
// every compiler's budget of steps for a constant; "%7d" of each value
// afresh is not (clang's default of about a million steps).
constexpr SampleGroupTable MakeSampleGroups() {
  SampleGroupTable table{};
  char text[8] = {' ', ' ', ' ', ' ', ' ', ' ', '0', '\0'};
  int first_digit = 6;
  for (int value = 0; value <= 32768; ++value) {
    if (value > 0) {  // add one to the text
      int i = 6;
      while (text[i] == '9') text[i--] = '0';
      text[i] = text[i] == ' ' ? '1' : static_cast<char>(text[i] + 1);
      if (i < first_digit) first_digit = i;
    }
    if (value <= 32767) table.group[value] = std::bit_cast<std::uint64_t>(text);
    if (value > 0) {
      text[first_digit - 1] = '-';
      table.group[static_cast<std::uint16_t>(-value)] = std::bit_cast<std::uint64_t>(text);
      text[first_digit - 1] = ' ';
    }
  }
  return table;
}

// Computed by the compiler: the tool starts with the table in place, and
// nothing can change it.
constexpr SampleGroupTable SampleGroups = MakeSampleGroups();

// The delimiter placed in the eighth byte of a group.
inline std::uint64_t DelimiterBits(char delimiter) {
  constexpr int shift = std::endian::native == std::endian::little ? 56 : 0;
  return std::uint64_t{static_cast<unsigned char>(delimiter)} << shift;
}

// Writes out what the buffer holds. Inline, so that in the sample loop the
// record's address is never taken (see WriteSamples).
inline void Flush(TextStream& text) {
  auto size = static_cast<std::size_t>(text.next - text.buffer);
  if (size > 0 && !text.write_failed && !WriteBytes(text.file, text.buffer, size))
    text.write_failed = true;
  text.next = text.buffer;
}

// Ends a table line and, when less than a whole line of room is left,
// flushes the buffer.
inline void EndTableLine(TextStream& text) {
  std::memcpy(text.next, "\r\n", 2);
  text.next += 2;
  if (text.limit - text.next < TableLineSize) Flush(text);
}

// Writes `count` samples given as little-endian bytes, no more than
// complete the current line. Every group is stored, but the cursor moves
// past it only for a reading: a DroppedSample's group is overwritten by the
// next one and never reaches the file. No branch per sample.
inline void WriteSamplesOnLine(TextStream& text, const unsigned char* bytes, int count,
                               char delimiter, int& line_count) {
  constexpr auto DroppedBits = static_cast<std::uint16_t>(DroppedSample);
  std::uint64_t delimiter_bits = DelimiterBits(delimiter);
  char* next = text.next;
  for (std::ptrdiff_t i = 0; i < count; ++i) {
    std::uint16_t bits = SampleBitsAt(bytes + 2 * i);
    std::uint64_t group = SampleGroups.group[bits] | delimiter_bits;
    std::memcpy(next, &group, 8);
    next += bits == DroppedBits ? 0 : 8;
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
  for (std::ptrdiff_t i = 0; i < SamplesPerLine; ++i) {
    std::uint64_t group = SampleGroups.group[SampleBitsAt(bytes + 2 * i)] | delimiter_bits;
    std::memcpy(text.next + 8 * i, &group, 8);
  }
  text.next += std::ptrdiff_t{8} * SamplesPerLine;
  EndTableLine(text);
}

// Copies bytes into the buffer, flushing as it fills, and leaves room for a
// whole table line behind them.
void Append(TextStream& text, const char* data, std::size_t size) {
  while (size > 0) {
    auto part = static_cast<std::size_t>(text.limit - text.next);
    if (part > size) part = size;
    std::memcpy(text.next, data, part);
    text.next += part;
    data += part;
    size -= part;
    if (text.limit - text.next < TableLineSize) Flush(text);
  }
}

void AppendText(TextStream& text, const char* data) { Append(text, data, std::strlen(data)); }

void AppendLineEnd(TextStream& text) { Append(text, "\r\n", 2); }

void AppendFloat(TextStream& text, float value) {
  char digits[MaxTwoDecimalsLength];
  Append(text, digits, FormatTwoDecimals(value, digits));
}

void AppendInt32(TextStream& text, std::int32_t value) {
  char digits[16];
  Append(
      text, digits,
      static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
}

}  // namespace

TextStream MakeTextStream(std::FILE* file, std::span<char> buffer) {
  // A smaller buffer is a fault in the calling code: a table line would be
  // stored past its end. Stop before anything is written.
  if (buffer.size() < MinTextBufferSize) std::abort();
  TextStream text;
  text.file = file;
  text.buffer = text.next = buffer.data();
  text.limit = buffer.data() + buffer.size();
  return text;
}

void FlushTextStream(TextStream& text) { Flush(text); }

void WriteHeaderLines(TextStream& text, const HistoryHeader& header) {
  // An LF inside the title is a line end like any other: CR LF.
  for (const char* c = header.Title; *c != '\0'; ++c) {
    if (*c == '\n')
      AppendLineEnd(text);
    else
      Append(text, c, 1);
  }
  AppendLineEnd(text);

  AppendText(text, "RawZero = ");
  AppendFloat(text, header.RawZero);
  AppendText(text, "; RawFull = ");
  AppendFloat(text, header.RawFull);
  AppendText(text, "; EngZero = ");
  AppendFloat(text, header.EngZero);
  AppendText(text, "; EngFull = ");
  AppendFloat(text, header.EngFull);
  AppendLineEnd(text);

  AppendText(text, "SamplePeriodMS = ");
  AppendInt32(text, header.SamplePeriodMS);
  AppendText(text, "; StartTime = ");
  AppendInt32(text, header.StartTime);
  AppendText(text, "; EndTime = ");
  AppendInt32(text, header.EndTime);
  AppendText(text, " ");
  AppendLineEnd(text);
}

// Works on a copy of the text stream whose address is never taken, so that
// the compiler keeps it in registers: the stores into the buffer could
// otherwise alias the record and force its cursor through memory on every
// sample. Hence the helpers above that it calls are inline.
void WriteSamples(TextStream& text_stream, const unsigned char* bytes, std::size_t count,
                  char delimiter, int& line_count) {
  TextStream text = text_stream;
  while (count > 0) {
    // As many samples as complete the line, when there are that many.
    const auto wanted = static_cast<std::size_t>(SamplesPerLine - line_count);
    const std::size_t taken = wanted < count ? wanted : count;
    // Most lines are ten readings in a row. A constant count lets the
    // compiler unroll the run.
    if (taken != SamplesPerLine)
      WriteSamplesOnLine(text, bytes, static_cast<int>(taken), delimiter, line_count);
    else if (ContainsDroppedSample(bytes, SamplesPerLine))
      WriteSamplesOnLine(text, bytes, SamplesPerLine, delimiter, line_count);
    else
      WriteSampleLine(text, bytes, delimiter);
    bytes += 2 * taken;
    count -= taken;
  }
  text_stream = text;
}
