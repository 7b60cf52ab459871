#include "text_writer.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "decimal_format.h"
#include "file_io.h"

namespace {

constexpr int SamplesPerLine = 10;

// Bytes of one full table line: ten groups of seven characters and the
// delimiter, then CR LF.
constexpr std::ptrdiff_t kTableLineSize = SamplesPerLine * 8 + 2;
static_assert(kMinTextBufferSize >= kTableLineSize);

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
constexpr SampleGroupTable kSampleGroups = MakeSampleGroups();

// The table's helpers are inline so that the loop keeps its copy of the
// text stream in registers.

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
      kSampleGroups.group[static_cast<std::uint16_t>(sample)] | DelimiterBits(delimiter);
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
  for (std::ptrdiff_t i = 0; i < count; ++i) {
    std::uint16_t bits = SampleBitsAt(bytes + 2 * i);
    std::uint64_t group = kSampleGroups.group[bits] | delimiter_bits;
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
  for (std::ptrdiff_t i = 0; i < SamplesPerLine; ++i) {
    std::uint64_t group = kSampleGroups.group[SampleBitsAt(bytes + 2 * i)] | delimiter_bits;
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
    if (text.limit - text.next < kTableLineSize) text = FlushTextStream(text);
  }
}

void AppendText(TextStream& text, const char* data) { Append(text, data, std::strlen(data)); }

void AppendLineEnd(TextStream& text) { Append(text, "\r\n", 2); }

void AppendFloat(TextStream& text, float value) {
  char digits[kMaxTwoDecimalsLength];
  Append(text, digits, FormatTwoDecimals(value, digits));
}

void AppendInt32(TextStream& text, std::int32_t value) {
  char digits[16];
  Append(
      text, digits,
      static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
}

}  // namespace

TextStream MakeTextStream(std::FILE* file, char* buffer, std::size_t capacity) {
  TextStream text;
  text.file = file;
  text.buffer = text.next = buffer;
  text.limit = buffer + capacity;
  return text;
}

TextStream FlushTextStream(TextStream text) {
  auto size = static_cast<std::size_t>(text.next - text.buffer);
  if (size > 0 && !text.write_failed && !WriteBytes(text.file, text.buffer, size))
    text.write_failed = true;
  text.next = text.buffer;
  return text;
}

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

#if defined(__SSE2__) || defined(_M_X64)
// Eight samples per SSE2 compare (every x86-64 has SSE2).
bool ContainsDroppedSample(const unsigned char* bytes, int count) {
  const __m128i dropped = _mm_set1_epi16(DroppedSample);
  __m128i found = _mm_setzero_si128();
  for (int i = 0; i < count; i += 8) {
    std::ptrdiff_t first = i + 8 <= count ? i : count - 8;
    const unsigned char* eight = bytes + 2 * first;
    __m128i samples = _mm_loadu_si128(reinterpret_cast<const __m128i*>(eight));
    found = _mm_or_si128(found, _mm_cmpeq_epi16(samples, dropped));
  }
  return _mm_movemask_epi8(found) != 0;
}
#else
// Four samples per 64-bit word: after the XOR a 16-bit lane is zero exactly
// where a sample holds the dropped value, and the borrow trick finds any
// zero lane. The last word may overlap the one before.
bool ContainsDroppedSample(const unsigned char* bytes, int count) {
  static constexpr unsigned char kDroppedLanes[8] = {0xFF, 0x82, 0xFF, 0x82,
                                                     0xFF, 0x82, 0xFF, 0x82};
  std::uint64_t dropped;
  std::memcpy(&dropped, kDroppedLanes, 8);
  std::uint64_t found = 0;
  for (int i = 0; i < count; i += 4) {
    std::uint64_t word;
    std::ptrdiff_t first = i + 4 <= count ? i : count - 4;
    std::memcpy(&word, bytes + 2 * first, 8);
    std::uint64_t lanes = word ^ dropped;
    found |= (lanes - 0x0001000100010001u) & ~lanes & 0x8000800080008000u;
  }
  return found != 0;
}
#endif

// The loop works on copies of the two stream records whose addresses are
// never taken: the stores into the text buffer could otherwise alias the
// records and force their cursors through memory on every sample.
void WriteSampleTable(TextStream& text_stream, HistoryStream& history_stream, char delimiter) {
  HistoryStream history = history_stream;
  TextStream text = text_stream;
  int line_count = 0;
  std::int16_t sample;
  for (;;) {
    // As many samples as complete the line, when the buffer holds them.
    int wanted = SamplesPerLine - line_count;
    if (const unsigned char* bytes = TakeSamples(history, wanted)) {
      // Most lines are ten readings in a row. A constant count lets the
      // compiler unroll the run.
      if (wanted != SamplesPerLine)
        WriteSampleRun(text, bytes, wanted, delimiter, line_count);
      else if (ContainsDroppedSample(bytes, SamplesPerLine))
        WriteSampleRun(text, bytes, SamplesPerLine, delimiter, line_count);
      else
        WriteSampleLine(text, bytes, delimiter);
      continue;
    }
    // Near the end of the buffer: one at a time, refilling as needed. The
    // first failed write ends the table before the next read, so that a
    // full disk or a reader gone (SIGPIPE ignored) never reads on to the
    // end of a history that may have none (/dev/zero). Checked here, near
    // the end of each history buffer, not in the loop over whole lines.
    if (text.write_failed || !ReadSample(history, sample)) break;
    WriteSample(text, sample, delimiter, line_count);
  }
  history_stream = history;
  text_stream = text;
}
