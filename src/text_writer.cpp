#include "text_writer.h"

#include <charconv>

#include "decimal_format.h"
#include "file_io.h"

char g_sample_fields[65536][8];

namespace {

void BuildSampleFields() {
  for (int value = -32768; value <= 32767; ++value) {
    char* field = g_sample_fields[static_cast<std::uint16_t>(value)];
    std::memset(field, ' ', 8);
    char digits[8];
    char* digits_end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    std::size_t length = static_cast<std::size_t>(digits_end - digits);
    std::memcpy(field + 7 - length, digits, length);
  }
}

void Append(TextStream& text, const char* data, std::size_t size) {
  while (size > 0) {
    if (text.used == text.buffer.size()) FlushTextStream(text);
    std::size_t part = text.buffer.size() - text.used;
    if (part > size) part = size;
    std::memcpy(text.buffer.data() + text.used, data, part);
    text.used += part;
    data += part;
    size -= part;
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

TextStream MakeTextStream(std::FILE* file, std::size_t buffer_size) {
  static bool fields_built = false;
  if (!fields_built) {
    BuildSampleFields();
    fields_built = true;
  }
  TextStream text;
  text.file = file;
  // WriteSample needs room for one group and a line end.
  text.buffer.resize(buffer_size < 16 ? 16 : buffer_size);
  return text;
}

void FlushTextStream(TextStream& text) {
  if (text.used > 0 && !text.write_failed && !WriteBytes(text.file, text.buffer.data(), text.used))
    text.write_failed = true;
  text.used = 0;
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
