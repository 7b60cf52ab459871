// Runs the whole conversion, front end included, on arbitrary bytes and
// checks the text file against the history file it came from.
//
// Input: byte 0 is the first byte of the delimiter argument; byte 1 picks
// the buffer sizes (bits 0-3 and 4-6) and whether the delimiter argument is
// given at all (bit 7); the rest is the history file, of any length.
//
// The text must be the three header lines (title bytes with LF as CR LF,
// the scale values as the reference formatter writes them, the three
// integers), then the table: lines of exactly ten groups of seven
// characters and the delimiter, each ending in CR LF, the last line
// shorter; the groups read back to the samples that are not -32001, in
// order. The files live in /dev/shm, so the run stays in memory.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "front_end.h"
#include "history_builder.h"
#include "reference_text.h"

namespace {

std::string g_history_path;
std::string g_text_path;

void Check(bool condition, const char* what) {
  if (!condition) {
    (void)std::fprintf(stderr, "conversion check failed: %s\n", what);
    std::abort();
  }
}

// Reads one group of seven characters back: blanks, then an optional minus
// and the digits of the value without leading zeros.
bool ReadGroup(const char* group, int* value) {
  int at = 0;
  while (at < 7 && group[at] == ' ') ++at;
  const bool negative = at < 7 && group[at] == '-';
  if (negative) ++at;
  if (at == 7 || (group[at] == '0' && at != 6)) return false;
  int magnitude = 0;
  for (; at < 7; ++at) {
    if (group[at] < '0' || group[at] > '9') return false;
    magnitude = magnitude * 10 + (group[at] - '0');
  }
  *value = negative ? -magnitude : magnitude;
  return group[0] == ' ';
}

char ExpectedDelimiter(bool given, std::uint8_t first) {
  if (!given || first == 0) return ',';
  if (first == 't') return '\t';
  return first >= 0x20 && first <= 0x7E ? static_cast<char>(first) : ',';
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  struct stat info {};
  const bool shm = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode);
  const std::string base = (shm ? "/dev/shm/" : "/tmp/") + std::string("vindolar-fuzz-") +
                           std::to_string(static_cast<long>(getpid()));
  g_history_path = base + ".hst";
  g_text_path = base + ".txt";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static const std::size_t kHistoryBuffers[] = {2,   3,   4,   5,   7,   64,   221,  222,
                                                223, 225, 226, 227, 228, 1000, 4096, 262144};
  static const std::size_t kTextBuffers[] = {1, 16, 17, 18, 25, 82, 83, 262144};
  const std::uint8_t delimiter_byte = data[0];
  const bool delimiter_given = (data[1] & 0x80) == 0;
  const RunOptions options{kHistoryBuffers[data[1] & 0x0F], kTextBuffers[(data[1] >> 4) & 0x07]};
  const std::uint8_t* history = data + 2;
  const std::size_t history_size = size - 2;
  Check(WriteWholeFile(g_history_path,
                       std::string(reinterpret_cast<const char*>(history), history_size)),
        "history file written");

  const char argument[2] = {static_cast<char>(delimiter_byte), '\0'};
  const char* argv[] = {"Vindolar", g_history_path.c_str(), g_text_path.c_str(), argument, nullptr};
  char* messages = nullptr;
  std::size_t messages_size = 0;
  std::FILE* messages_file = open_memstream(&messages, &messages_size);
  Check(messages_file != nullptr, "message stream opened");
  const int status = RunVindolar(delimiter_given ? 4 : 3, argv, messages_file, options);
  (void)std::fclose(messages_file);
  const bool silent = messages_size == 0;
  std::free(messages);
  const std::string text = ReadWholeFile(g_text_path);
  (void)std::remove(g_history_path.c_str());
  (void)std::remove(g_text_path.c_str());
  Check(status == 0 && silent, "a clean run ends silently with status 0");

  const std::string header = ReferenceHeaderLines(history, history_size);
  Check(text.compare(0, header.size(), header) == 0, "header lines");

  std::vector<int> samples;
  for (std::size_t at = 226; at + 2 <= history_size; at += 2) {
    const auto sample = static_cast<std::int16_t>(history[at] | history[at + 1] << 8);
    if (sample != -32001) samples.push_back(sample);
  }
  const char delimiter = ExpectedDelimiter(delimiter_given, delimiter_byte);
  std::size_t at = header.size();
  for (std::size_t i = 0; i < samples.size(); ++i) {
    Check(at + 8 <= text.size(), "table holds every sample");
    int value = 0;
    Check(ReadGroup(text.data() + at, &value) && value == samples[i], "group reads back");
    Check(text[at + 7] == delimiter, "delimiter after the group");
    at += 8;
    if (i % 10 == 9) {
      Check(text.compare(at, 2, "\r\n") == 0, "CR LF after ten groups");
      at += 2;
    }
  }
  Check(at == text.size(), "nothing after the last group");
  return 0;
}
