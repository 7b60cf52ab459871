#include "history_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "history_builder.h"

namespace {

// Runs the reader over `bytes` as the tool does.
struct ReadResult {
  HistoryHeader header;
  std::vector<std::int16_t> samples;
};

ReadResult ReadAll(const std::string& bytes, std::size_t buffer_size = kDefaultHistoryBufferSize) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  std::vector<unsigned char> buffer(buffer_size);
  HistoryStream history = MakeHistoryStream(file, buffer.data(), buffer.size());
  ReadResult result;
  result.header = ReadHistoryHeader(history);
  SeekToSamples(history);
  std::int16_t sample;
  while (ReadSample(history, sample)) result.samples.push_back(sample);
  EXPECT_FALSE(history.read_failed);
  std::fclose(file);
  return result;
}

HistoryContents Typical() {
  HistoryContents contents;
  contents.title = "Feed pump 4";
  contents.raw_zero = -1.5f;
  contents.raw_full = 4095.0f;
  contents.eng_zero = 0.25f;
  contents.eng_full = 1e6f;
  contents.sample_period_ms = 250;
  contents.start_time = -7;
  contents.end_time = 2000000000;
  contents.samples = {5, -32001, 32767, -32768, 0, -1};
  return contents;
}

TEST(HistoryReader, DecodesEveryFieldAtItsOffsetAndTheSamplesAfterIt) {
  HistoryContents contents = Typical();
  std::string bytes = BuildHistoryFile(contents);
  bytes[222] = bytes[223] = bytes[224] = bytes[225] = '\x7F';  // never read
  for (std::size_t buffer_size :
       {kDefaultHistoryBufferSize, std::size_t{2}, std::size_t{3}, std::size_t{227}}) {
    ReadResult result = ReadAll(bytes, buffer_size);
    EXPECT_STREQ(result.header.Title, "Feed pump 4");
    EXPECT_EQ(result.header.RawZero, -1.5f);
    EXPECT_EQ(result.header.RawFull, 4095.0f);
    EXPECT_EQ(result.header.EngZero, 0.25f);
    EXPECT_EQ(result.header.EngFull, 1e6f);
    EXPECT_EQ(result.header.SamplePeriodMS, 250);
    EXPECT_EQ(result.header.StartTime, -7);
    EXPECT_EQ(result.header.EndTime, 2000000000);
    EXPECT_EQ(result.samples, contents.samples) << "buffer " << buffer_size;
  }
}

TEST(HistoryReader, TitleStopsAtNulOrAtTheEndOfItsField) {
  HistoryContents contents = Typical();
  contents.title = std::string(32, 'T');
  EXPECT_EQ(std::string(ReadAll(BuildHistoryFile(contents)).header.Title), std::string(32, 'T'));
  contents.title = std::string("AB\0CD", 5);
  EXPECT_STREQ(ReadAll(BuildHistoryFile(contents)).header.Title, "AB");
  contents.title = "";
  EXPECT_STREQ(ReadAll(BuildHistoryFile(contents)).header.Title, "");
}

TEST(HistoryReader, ShortFilesKeepTheBytesThatArrivedAndZeroTheRest) {
  std::string full = BuildHistoryFile(Typical());
  for (std::size_t length = 0; length <= 227; ++length) {
    std::string cut = full.substr(0, length);
    // What the header must decode to: the file's bytes, zeros after them.
    std::string expected_bytes = cut + std::string(full.size() - length, '\0');
    expected_bytes.resize(226);
    ReadResult got = ReadAll(cut);
    ReadResult expected = ReadAll(expected_bytes);
    EXPECT_EQ(std::memcmp(&got.header.RawZero, &expected.header.RawZero, 16), 0) << length;
    EXPECT_STREQ(got.header.Title, expected.header.Title) << length;
    EXPECT_EQ(got.header.SamplePeriodMS, expected.header.SamplePeriodMS) << length;
    EXPECT_EQ(got.header.StartTime, expected.header.StartTime) << length;
    EXPECT_EQ(got.header.EndTime, expected.header.EndTime) << length;
    EXPECT_TRUE(got.samples.empty()) << length;
  }
}

TEST(HistoryReader, OddTrailingByteIsIgnored) {
  std::string bytes = BuildHistoryFile(HistoryContents{});
  bytes += std::string("\x05\x00\xFF\x82", 4);
  EXPECT_EQ(ReadAll(bytes).samples, (std::vector<std::int16_t>{5, DroppedSample}));
  bytes += '\x01';
  for (std::size_t buffer_size : {kDefaultHistoryBufferSize, std::size_t{2}, std::size_t{5}})
    EXPECT_EQ(ReadAll(bytes, buffer_size).samples, (std::vector<std::int16_t>{5, DroppedSample}));
}

TEST(HistoryReader, FindsADroppedSampleAnywhereInARun) {
  // Every position and pair of positions in runs of 8 to 12, with values
  // that differ from the dropped one in a single byte as decoys.
  const std::int16_t decoys[] = {
      -32002, -32000, static_cast<std::int16_t>(0x82FE), static_cast<std::int16_t>(0x83FF),
      0x7F82, -1};
  for (int count = 8; count <= 12; ++count) {
    for (int first = -1; first < count; ++first) {
      for (int second = -1; second < count; ++second) {
        std::vector<std::int16_t> samples;
        for (int i = 0; i < count; ++i) samples.push_back(decoys[(i + first + 6) % 6]);
        if (first >= 0) samples[static_cast<std::size_t>(first)] = DroppedSample;
        if (second >= 0) samples[static_cast<std::size_t>(second)] = DroppedSample;
        HistoryContents contents;
        contents.samples = samples;
        std::string bytes = BuildHistoryFile(contents).substr(226);
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        bool expected = first >= 0 || second >= 0;
        EXPECT_EQ(ContainsDroppedSample(data, count), expected)
            << count << " " << first << " " << second;
        EXPECT_EQ(ContainsDroppedSampleByWords(data, count), expected) << count << " " << first;
      }
    }
  }
}

}  // namespace
