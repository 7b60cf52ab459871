#include "front_end.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_io.h"
#include "history_builder.h"
#include "history_reader.h"
#include "test_files.h"

namespace {

TEST(FrontEnd, ChoosesTheDelimiterFromTheFirstByteOnly) {
  EXPECT_EQ(ChooseDelimiter("t"), '\t');
  EXPECT_EQ(ChooseDelimiter("tab"), '\t');
  EXPECT_EQ(ChooseDelimiter("T"), 'T');
  EXPECT_EQ(ChooseDelimiter(";"), ';');
  EXPECT_EQ(ChooseDelimiter(";x"), ';');
  EXPECT_EQ(ChooseDelimiter(" "), ' ');
  EXPECT_EQ(ChooseDelimiter("~"), '~');
  EXPECT_EQ(ChooseDelimiter(""), ',');
  EXPECT_EQ(ChooseDelimiter("\tx"), ',');
  EXPECT_EQ(ChooseDelimiter("\x1F"), ',');
  EXPECT_EQ(ChooseDelimiter("\x7F"), ',');
  EXPECT_EQ(ChooseDelimiter("\x80"), ',');
  EXPECT_EQ(ChooseDelimiter("\xC3\xA9"), ',');
}

// One in-process run with small buffers, so that a conversion takes many
// reads and writes, and an I/O fault planned by the test.
struct FaultRun {
  int status;
  std::string messages;
  std::string text;
};

FaultRun RunWithFault(const std::string& history, const std::string& text, IoFaultPlan& plan,
                      std::size_t buffer_size) {
  const char* argv[] = {"Vindolar", history.c_str(), text.c_str(), ";", nullptr};
  std::FILE* messages = std::tmpfile();
  SetIoFaultPlan(&plan);
  FaultRun run;
  run.status = RunVindolar(4, argv, messages, RunOptions{buffer_size, buffer_size});
  SetIoFaultPlan(nullptr);
  run.messages = ContentsOf(messages);
  std::fclose(messages);
  run.text = ReadWholeFile(text);
  return run;
}

// Fails, in turn, every read, every write and each close of one conversion.
// After a failed read the text is exactly what a history file ending where
// the reads stopped gives; after a failed write it is exactly the bytes
// stored before it. Neither is ever reported as a success, and nothing is
// read or written after the fault.
void SweepEveryFault(int sample_count, std::size_t buffer_size) {
  SCOPED_TRACE("samples " + std::to_string(sample_count) + ", buffers " +
               std::to_string(buffer_size));
  ScratchFolder folder;
  const std::string history = folder.Path("in.hst");
  const std::string text = folder.Path("out.txt");
  HistoryContents contents;
  contents.title = "Fault sweep";
  contents.raw_full = 32000;
  contents.eng_full = 16.5f;
  contents.sample_period_ms = 500;
  for (int i = 0; i < sample_count; ++i)
    contents.samples.push_back(static_cast<std::int16_t>(i % 7 == 3 ? DroppedSample : i * 7919));
  const std::string history_bytes = BuildHistoryFile(contents);
  ASSERT_TRUE(WriteWholeFile(history, history_bytes));

  // A plan that fails nothing counts the reads and writes of a clean run.
  IoFaultPlan counter;
  const FaultRun clean = RunWithFault(history, text, counter, buffer_size);
  ASSERT_EQ(clean.status, 0);
  ASSERT_EQ(clean.messages, "");
  ASSERT_EQ(counter.bytes_read, static_cast<long long>(history_bytes.size()));
  ASSERT_EQ(counter.bytes_written, static_cast<long long>(clean.text.size()));
  ASSERT_GT(counter.reads, 50);
  ASSERT_GT(counter.writes, 100);
  ASSERT_EQ(counter.closes, 2);
  const std::string not_read = "The History file " + history + " was not read to its end\r\n";
  const std::string text_not_closed = "The " + text + " file was not closed\r\n";

  const std::string cut_history = folder.Path("cut.hst");
  const std::string cut_text = folder.Path("cut.txt");
  for (long k = 1; k <= counter.reads; ++k) {
    IoFaultPlan plan;
    plan.fail_read = k;
    FaultRun run = RunWithFault(history, text, plan, buffer_size);
    ASSERT_EQ(run.status, 1) << "read " << k;
    ASSERT_EQ(run.messages, not_read) << "read " << k;
    ASSERT_EQ(plan.reads, k) << "read " << k;
    ASSERT_TRUE(WriteWholeFile(cut_history, history_bytes.substr(0, plan.bytes_read)));
    IoFaultPlan none;
    FaultRun cut = RunWithFault(cut_history, cut_text, none, buffer_size);
    ASSERT_EQ(cut.status, 0);
    ASSERT_EQ(run.text, cut.text) << "read " << k;
  }

  std::size_t stored_before = 0;
  for (long k = 1; k <= counter.writes; ++k) {
    IoFaultPlan plan;
    plan.fail_write = k;
    FaultRun run = RunWithFault(history, text, plan, buffer_size);
    ASSERT_EQ(run.status, 1) << "write " << k;
    ASSERT_EQ(run.messages, text_not_closed) << "write " << k;
    ASSERT_EQ(plan.writes, k) << "write " << k;
    ASSERT_EQ(run.text, clean.text.substr(0, static_cast<std::size_t>(plan.bytes_written)))
        << "write " << k;
    // Each write before the fault stored a part of the text, in order.
    ASSERT_TRUE(k == 1 ? run.text.empty() : run.text.size() > stored_before) << "write " << k;
    ASSERT_LT(run.text.size(), clean.text.size()) << "write " << k;
    stored_before = run.text.size();
  }

  IoFaultPlan history_close;
  history_close.fail_close = 1;
  FaultRun run = RunWithFault(history, text, history_close, buffer_size);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.messages, "The History file " + history + " was not closed\r\n");
  EXPECT_EQ(run.text, clean.text);

  IoFaultPlan text_close;
  text_close.fail_close = 2;
  run = RunWithFault(history, text, text_close, buffer_size);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.messages, text_not_closed);
}

TEST(FrontEnd, EveryFailedReadWriteOrCloseIsReportedAndLeavesWhatWasConverted) {
  // Small buffers through a long file; tiny ones cut the header too.
  SweepEveryFault(300000, 4096);
  SweepEveryFault(3000, 64);
}

}  // namespace
