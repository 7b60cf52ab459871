// Writes the small example history file shipped in examples/: a slow
// pressure swing with a little noise and a few dropped samples.
#include <cmath>
#include <cstdio>

#include "history_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_sample_history OUTPUT\n", stderr);
    return 2;
  }
  HistoryContents contents;
  contents.title = "Drum pressure, boiler 2";
  contents.raw_zero = 0.0f;
  contents.raw_full = 32000.0f;
  contents.eng_zero = 0.0f;
  contents.eng_full = 16.5f;
  contents.sample_period_ms = 500;
  contents.start_time = 1700000000;
  contents.end_time = 1700000000 + 47;
  unsigned noise = 12345;
  for (int i = 0; i < 95; ++i) {
    noise = noise * 1103515245u + 12345u;
    double swing = 18000.0 + 6000.0 * std::sin(i / 9.0);
    auto value = static_cast<std::int16_t>(swing + static_cast<int>((noise >> 16) % 200) - 100);
    contents.samples.push_back(i % 23 == 7 ? std::int16_t{-32001} : value);
  }
  return WriteWholeFile(argv[1], BuildHistoryFile(contents)) ? 0 : 1;
}
