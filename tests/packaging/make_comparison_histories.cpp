// Writes the history files that the Windows and the Linux build of the tool
// both convert, so that their outputs can be compared byte for byte. Each
// file aims at a place where platforms tend to differ: number formatting,
// line-end and end-of-file bytes, short and odd-sized files.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "history_builder.h"

namespace {

bool Write(const std::string& folder, const char* name, const std::string& bytes) {
  if (WriteWholeFile(folder + "/" + name, bytes)) return true;
  std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), name);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_comparison_histories FOLDER\n", stderr);
    return 2;
  }
  const std::string folder = argv[1];
  bool ok = true;

  // Every 16-bit value once, in a scrambled order; an odd step visits all.
  HistoryContents every;
  every.title = "Every value\nsecond line \xE9\x1A\r";
  every.raw_zero = -0.125f;
  every.raw_full = 1e20f;
  every.eng_zero = -0.0f;
  every.eng_full = 0.995f;
  every.sample_period_ms = std::numeric_limits<std::int32_t>::min();
  every.start_time = std::numeric_limits<std::int32_t>::max();
  every.end_time = -1;
  for (std::uint32_t i = 0; i < 65536; ++i)
    every.samples.push_back(static_cast<std::int16_t>(static_cast<std::uint16_t>(i * 40503u)));
  ok = Write(folder, "every.hst", BuildHistoryFile(every)) && ok;

  // Extreme header numbers, and samples whose bytes are CR, LF and Ctrl-Z.
  HistoryContents extremes;
  extremes.title = std::string(32, 'T');
  extremes.raw_zero = std::numeric_limits<float>::infinity();
  extremes.raw_full = -std::numeric_limits<float>::max();
  extremes.eng_zero = std::bit_cast<float>(0x7FC00001u);
  extremes.eng_full = -std::numeric_limits<float>::denorm_min();
  extremes.samples = {0x0A0D, 0x1A1A, 0x0D0A, 0x0A0A, -32001, 0x0D0D, 10, 13, 26};
  ok = Write(folder, "extremes.hst", BuildHistoryFile(extremes)) && ok;

  HistoryContents dropped;
  dropped.title = "All dropped";
  dropped.samples.assign(30, -32001);
  ok = Write(folder, "dropped.hst", BuildHistoryFile(dropped)) && ok;

  // Twenty samples and an odd trailing byte; a header cut inside the title;
  // an empty file.
  HistoryContents odd;
  odd.title = "Odd";
  for (int i = 0; i < 20; ++i) odd.samples.push_back(static_cast<std::int16_t>(i * 1111 - 9999));
  ok = Write(folder, "odd.hst", BuildHistoryFile(odd) + '\x7F') && ok;
  ok = Write(folder, "short.hst", BuildHistoryFile(every).substr(0, 150)) && ok;
  ok = Write(folder, "empty.hst", "") && ok;
  return ok ? 0 : 1;
}
