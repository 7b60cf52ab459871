#include "text_writer.h"

#include <charconv>
#include <cstring>

#include "decimal_format.h"
#include "file_io.h"

std::uint64_t g_sample_groups[65536];

namespace {

// Fills the table by counting up in decimal text, which is much cheaper
// than formatting 65536 numbers afresh; it runs at every start of the tool,
// so its cost counts for every small file converted.
void BuildSampleGroups() {
  char group[8] = {' ', ' ', ' ', ' ', ' ', ' ', '0', '\0'};
  int first_digit = 6;
  for (int value = 0; value <= 32768; ++value) {
    if (value > 0) {  // add one to the text
      int i = 6;
      while (group[i] == '9') group[i--] = '0';
      group[i] = group[i] == ' ' ? '1' : static_cast<char>(group[i] + 1);
      if (i < first_digit) first_digit = i;
    }
    if (value <= 32767) std::memcpy(&g_sample_groups[value], group, 8);
    if (value > 0) {  // the same digits with a minus sign in front
      char negative[8];
      std::memcpy(negative, group, 8);
      negative[first_digit - 1] = '-';
      std::memcpy(&g_sample_groups[static_cast<std::uint16_t>(-value)], negative, 8);
    }
  }
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
  static bool groups_built = false;
  if (!groups_built) {
    BuildSampleGroups();
    groups_built = true;
  }
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
