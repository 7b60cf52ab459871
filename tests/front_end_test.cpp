#include "front_end.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// One in-process run with tiny buffers, so that a conversion takes many
// reads and writes, and an I/O fault planned by the test.
struct FaultRun {
  int status;
  std::string messages;
  std::string text;
};

FaultRun RunWithFault(const ScratchFolder& folder, IoFaultPlan& plan) {
  std::string history = folder.Path("in.hst");
  std::string text = folder.Path("out.txt");
  const char* argv[] = {"Vindolar", history.c_str(), text.c_str(), ";", nullptr};
  std::FILE* messages = std::tmpfile();
  SetIoFaultPlan(&plan);
  FaultRun run;
  run.status = RunVindolar(4, argv, messages, RunOptions{64, 64});
  SetIoFaultPlan(nullptr);
  run.messages = ContentsOf(messages);
  std::fclose(messages);
  run.text = ReadWholeFile(text);
  return run;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(FrontEnd, EveryFailedReadWriteOrCloseIsReportedAndLeavesAnOrderedPrefix) {
  ScratchFolder folder;
  HistoryContents contents;
  contents.title = "Fault sweep";
  for (int i = 0; i < 3000; ++i)
    contents.samples.push_back(static_cast<std::int16_t>(i % 7 == 3 ? DroppedSample : i * 17));
  ASSERT_TRUE(WriteWholeFile(folder.Path("in.hst"), BuildHistoryFile(contents)));

  // A plan that fails nothing counts the reads and writes of a clean run.
  IoFaultPlan counter;
  FaultRun clean = RunWithFault(folder, counter);
  ASSERT_EQ(clean.status, 0);
  ASSERT_EQ(clean.messages, "");
  std::string header = clean.text.substr(0, clean.text.find(" \r\n") + 3);
  const std::string not_read =
      "The History file " + folder.Path("in.hst") + " was not read to its end\r\n";
  const std::string text_not_closed = "The " + folder.Path("out.txt") + " file was not closed\r\n";
  long reads = counter.reads;
  long writes = counter.writes;
  ASSERT_GT(reads, 50);
  ASSERT_GT(writes, 100);

  for (long k = 1; k <= reads; ++k) {
    IoFaultPlan plan;
    plan.fail_read = k;
    FaultRun run = RunWithFault(folder, plan);
    EXPECT_EQ(run.status, 1) << "read " << k;
    EXPECT_EQ(run.messages, not_read) << "read " << k;
    // A fault inside the header leaves zeros in the fields it cut and ends
    // the run; after the header, what was converted is a prefix.
    if (StartsWith(run.text, header))
      EXPECT_TRUE(StartsWith(clean.text, run.text)) << "read " << k;
    else
      EXPECT_EQ(std::count(run.text.begin(), run.text.end(), '\n'), 3) << "read " << k;
  }
  for (long k = 1; k <= writes; ++k) {
    IoFaultPlan plan;
    plan.fail_write = k;
    FaultRun run = RunWithFault(folder, plan);
    EXPECT_EQ(run.status, 1) << "write " << k;
    EXPECT_EQ(run.messages, text_not_closed) << "write " << k;
    EXPECT_TRUE(StartsWith(clean.text, run.text)) << "write " << k;
    EXPECT_LT(run.text.size(), clean.text.size()) << "write " << k;
  }

  IoFaultPlan history_close;
  history_close.fail_close = 1;
  FaultRun run = RunWithFault(folder, history_close);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.messages, "The History file " + folder.Path("in.hst") + " was not closed\r\n");
  EXPECT_EQ(run.text, clean.text);

  IoFaultPlan text_close;
  text_close.fail_close = 2;
  run = RunWithFault(folder, text_close);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.messages, text_not_closed);
}

}  // namespace
