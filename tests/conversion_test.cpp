// The whole sample path, fast lines and single samples alike, against the
// plainest possible formatting of the same values.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "front_end.h"
#include "history_builder.h"
#include "history_reader.h"
#include "reference_text.h"
#include "test_files.h"

namespace {

TEST(Conversion, EveryValueAtEveryLinePositionMatchesPlainFormatting) {
  // Every 16-bit value, ten times over, each pass shifted by one reading so
  // that every value lands in every position of a line; dropped samples
  // (single ones and runs) fall between them in an irregular pattern.
  std::vector<std::int16_t> samples;
  std::uint32_t noise = 1;
  for (int pass = 0; pass < 10; ++pass) {
    samples.push_back(static_cast<std::int16_t>(pass));
    for (int value = -32768; value <= 32767; ++value) {
      samples.push_back(static_cast<std::int16_t>(value));
      noise = noise * 1664525u + 1013904223u;
      for (std::uint32_t drops = (noise >> 24) % 23 == 0 ? (noise >> 16) % 12 : 0; drops > 0;
           --drops)
        samples.push_back(DroppedSample);
    }
  }
  HistoryContents contents;
  contents.title = "All values";
  contents.samples = samples;
  ScratchFolder folder;
  std::string history = folder.Path("all.hst");
  std::string text = folder.Path("all.txt");
  std::string history_bytes = BuildHistoryFile(contents);
  ASSERT_TRUE(WriteWholeFile(history, history_bytes));

  const std::pair<const char*, char> delimiters[] = {
      {",", ','}, {"t", '\t'}, {";", ';'}, {" ", ' '}, {"x", 'x'}};
  for (const auto& [argument, delimiter] : delimiters) {
    const char* argv[] = {"Vindolar", history.c_str(), text.c_str(), argument, nullptr};
    std::FILE* messages = std::tmpfile();
    ASSERT_EQ(RunVindolar(4, argv, messages), 0);
    EXPECT_EQ(ContentsOf(messages), "");
    std::fclose(messages);
    ASSERT_TRUE(ReadWholeFile(text) == ReferenceText(history_bytes, delimiter))
        << "delimiter " << argument;
  }
}

}  // namespace
