#include "text_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_files.h"

namespace {

const char kHeaderABC[] =
    "ABC\r\n"
    "RawZero = 0.00; RawFull = 100.00; EngZero = 0.00; EngFull = 50.00\r\n"
    "SamplePeriodMS = 250; StartTime = 10; EndTime = 20 \r\n";

HistoryHeader HeaderABC() {
  HistoryHeader header;
  std::strcpy(header.Title, "ABC");
  header.RawFull = 100;
  header.EngFull = 50;
  header.SamplePeriodMS = 250;
  header.StartTime = 10;
  header.EndTime = 20;
  return header;
}

// The whole text file for `header` and `samples`, written through a buffer
// of `buffer_size` bytes.
std::string Convert(const HistoryHeader& header, const std::vector<std::int16_t>& samples,
                    char delimiter = ',', std::size_t buffer_size = kDefaultTextBufferSize) {
  std::FILE* file = std::tmpfile();
  std::vector<char> buffer(buffer_size);
  TextStream text = MakeTextStream(file, buffer.data(), buffer.size());
  WriteHeaderLines(text, header);
  int line_count = 0;
  for (std::int16_t sample : samples) WriteSample(text, sample, delimiter, line_count);
  text = FlushTextStream(text);
  EXPECT_FALSE(text.write_failed);
  std::string bytes = ContentsOf(file);
  std::fclose(file);
  return bytes;
}

std::string Table(const HistoryHeader& header, const std::vector<std::int16_t>& samples,
                  char delimiter = ',') {
  return Convert(header, samples, delimiter).substr(sizeof kHeaderABC - 1);
}

TEST(TextWriter, WritesAWholeSmallFileExactly) {
  std::string expected = std::string(kHeaderABC) + "      1,      2,";
  EXPECT_EQ(Convert(HeaderABC(), {1, DroppedSample, 2}), expected);
  // The smallest buffer, shorter than the header, changes nothing.
  EXPECT_EQ(Convert(HeaderABC(), {1, DroppedSample, 2}, ',', kMinTextBufferSize), expected);
}

TEST(TextWriter, BreaksLinesAfterTenWrittenSamples) {
  std::vector<std::int16_t> samples;
  for (int i = 1; i <= 25; ++i) samples.push_back(static_cast<std::int16_t>(i));
  std::string line1, line2, line3;
  for (int i = 1; i <= 10; ++i) line1 += std::string(i < 10 ? 6 : 5, ' ') + std::to_string(i) + ",";
  for (int i = 11; i <= 20; ++i) line2 += "     " + std::to_string(i) + ",";
  for (int i = 21; i <= 25; ++i) line3 += "     " + std::to_string(i) + ",";
  EXPECT_EQ(Table(HeaderABC(), samples), line1 + "\r\n" + line2 + "\r\n" + line3);
  samples.resize(20);
  EXPECT_EQ(Table(HeaderABC(), samples), line1 + "\r\n" + line2 + "\r\n");

  // Dropped samples leave no gap, wherever they fall.
  std::vector<std::int16_t> gappy = {DroppedSample};
  for (int i = 1; i <= 10; ++i) {
    gappy.push_back(static_cast<std::int16_t>(i));
    for (int k = 0; k < i % 3; ++k) gappy.push_back(DroppedSample);
  }
  EXPECT_EQ(Table(HeaderABC(), gappy), line1 + "\r\n");
  EXPECT_EQ(Table(HeaderABC(), {DroppedSample, DroppedSample}), "");
  EXPECT_EQ(Table(HeaderABC(), {}), "");
}

TEST(TextWriter, RightAlignsExtremesAndWritesAnyDelimiter) {
  EXPECT_EQ(Table(HeaderABC(), {0, -32768, 32767, -32000, -32002}),
            "      0, -32768,  32767, -32000, -32002,");
  EXPECT_EQ(Table(HeaderABC(), {5}, '\t'), "      5\t");
  EXPECT_EQ(Table(HeaderABC(), {5, -5}, ' '), "      5      -5 ");
  EXPECT_EQ(Table(HeaderABC(), {5}, ';'), "      5;");
}

TEST(TextWriter, HeaderLinesCarryTitleBytesAndSignedNumbers) {
  HistoryHeader header = HeaderABC();
  header.Title[0] = '\0';
  EXPECT_EQ(Convert(header, {}).substr(0, 2), "\r\n");

  std::strcpy(header.Title, "A\nB\r\xE9");
  EXPECT_EQ(Convert(header, {}).substr(0, 8), "A\r\nB\r\xE9\r\n");

  header.RawZero = -0.125f;
  header.RawFull = -0.0f;
  header.EngZero = -0.004f;
  header.EngFull = 1e20f;
  header.SamplePeriodMS = 500;
  header.StartTime = -1;
  header.EndTime = 0;
  EXPECT_EQ(
      Convert(header, {}).substr(8),
      "RawZero = -0.13; RawFull = 0.00; EngZero = -0.00; EngFull = 100000002004087730000.00\r\n"
      "SamplePeriodMS = 500; StartTime = -1; EndTime = 0 \r\n");

  header.SamplePeriodMS = INT32_MIN;
  header.StartTime = INT32_MAX;
  EXPECT_NE(Convert(header, {})
                .find("SamplePeriodMS = -2147483648; StartTime = 2147483647; EndTime = 0 \r\n"),
            std::string::npos);
}

}  // namespace
