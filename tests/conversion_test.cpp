// What only an in-process run can show: conversions through small buffers,
// with every read, write and close failed in turn, checked against the
// plain reference. The cases in tests/cases fix the bytes of particular
// files, messages and statuses.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "conversion_support.h"
#include "stored_samples.h"

namespace {

// A header of Z bytes (the title ZZZ..., the numbers 0x5A5A5A5A), then
// every 16-bit value `passes` times over, each pass shifted by one so
// that every value takes every place on a line, with dropped samples falling
// between them alone and in runs. The values count down, so that -32002,
// the bit pattern next to the dropped value's, comes after it and so also
// starts runs of ten that hold no dropped sample.
std::string EveryValue(int passes) {
  std::string history(226, 'Z');
  std::mt19937 random(20240611);
  auto add = [&history](int value) {
    history += {static_cast<char>(value), static_cast<char>(value >> 8)};
  };
  for (int pass = 0; pass < passes; ++pass) {
    add(pass);
    for (int value = 32767; value >= -32768; --value) {
      add(value);
      for (auto drops = random() % 23 == 0 ? random() % 12 : 0; drops > 0; --drops)
        add(DroppedSample);
    }
  }
  return history;
}

TEST(Conversion, BothDroppedSampleFindersAgreeWithAPlainLoopOnEveryRunOfTen) {
  // A finder that reports a dropped sample where there is none would still
  // give the right text, only slowly: a plain loop over the samples' bytes
  // tells (DroppedSample is FF 82 in the file). Every build checks both.
  const std::string history = EveryValue(1);
  const auto* bytes = reinterpret_cast<const unsigned char*>(history.data());
  for (std::size_t at = 226; at + 20 <= history.size(); at += 2) {
    bool dropped = false;
    for (auto i = at; i < at + 20; i += 2) dropped |= bytes[i] == 0xFF && bytes[i + 1] == 0x82;
    ASSERT_EQ(ContainsDroppedSampleByWords(bytes + at, 10), dropped) << "at " << at;
    ASSERT_EQ(ContainsDroppedSampleByVectors(bytes + at, 10), dropped) << "at " << at;
  }
}

// Fails, in turn, every read, every write and each close of a conversion.
// After a failed read the text is what a history file ending where the
// reads stopped gives; after a failed write it is exactly the bytes stored
// before it. Neither is ever reported as a success.
TEST(Conversion, EveryFailedReadWriteOrCloseIsReportedAndLeavesWhatWasConverted) {
  // A long file through mid-sized buffers, and short ones read five bytes
  // and two bytes at a time: faults then cut the header too, and reads
  // straddle the end of the header, the unused bytes and the samples, so
  // that a half sample is left over for the next read. A text buffer of 163
  // bytes keeps one byte less than a table line after each line, so it must
  // be flushed every line; 128 bytes is the smallest the tool takes; and
  // whole lines read 64 bytes at a time fill 164 bytes exactly, so that a
  // line stored past the buffer's end hits the guard behind it.
  for (const auto& [history, buffers] : {std::pair{EveryValue(10), BufferSizes{65536, 65536}},
                                         {EveryValue(1).substr(0, 2228), BufferSizes{5, 163}},
                                         {EveryValue(1).substr(0, 2228), BufferSizes{2, 128}},
                                         {EveryValue(1).substr(0, 3228), BufferSizes{64, 164}}}) {
    SCOPED_TRACE("history buffer of " + std::to_string(buffers.history));
    ASSERT_TRUE(std::ofstream("fault.hst", std::ios::binary) << history);
    const std::string not_closed = "The fault.hst.txt file was not closed\r\n";
    IoFaultPlan count;  // fails nothing, counts the calls
    const Outcome clean = Convert("fault.hst", "t", buffers, &count);
    ASSERT_EQ(clean, (Outcome{0, "", ReferenceText(history, '\t')}));
    ASSERT_TRUE(count.reads > 20 && count.writes > 60) << "too few calls to sweep";

    for (long k = 1; k <= count.reads; ++k) {
      IoFaultPlan plan{.fail_read = k};
      const Outcome faulted = Convert("fault.hst", "t", buffers, &plan);
      const std::string not_read = "The History file fault.hst was not read to its end\r\n";
      const std::string cut_text = ReferenceText(history.substr(0, plan.bytes_read), '\t');
      ASSERT_EQ(faulted, (Outcome{1, not_read, cut_text})) << "read " << k;
    }
    for (long k = 1; k <= count.writes; ++k) {
      IoFaultPlan plan{.fail_write = k};
      const Outcome faulted = Convert("fault.hst", "t", buffers, &plan);
      const auto stored = static_cast<std::size_t>(plan.bytes_written);
      ASSERT_EQ(faulted, (Outcome{1, not_closed, clean.text.substr(0, stored)})) << "write " << k;
    }
    IoFaultPlan history_close{.fail_close = 1}, text_close{.fail_close = 2};
    EXPECT_EQ(Convert("fault.hst", "t", buffers, &history_close),
              (Outcome{0, "The History file fault.hst was not closed\r\n", clean.text}));
    EXPECT_EQ(Convert("fault.hst", "t", buffers, &text_close),
              (Outcome{1, not_closed, clean.text}));
  }
  for (const char* name : {"fault.hst", "fault.hst.txt"}) std::remove(name);
}

}  // namespace
