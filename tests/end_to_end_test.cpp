// Runs the built tool as a user would and checks the exact bytes of the
// text file and of standard output, and the exit status.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "history_builder.h"
#include "reference_text.h"
#include "test_files.h"

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

#ifdef _WIN32
std::wstring Widen(const std::string& utf8) { return Utf8Path(utf8).wstring(); }

// Quotes one argument so that the C library's command-line splitting in
// the child gives it back unchanged: backslashes count only before a quote.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    quoted.push_back(c);
    backslashes = 0;
  }
  quoted.append(2 * backslashes, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

HANDLE CreateInheritableFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Runs the tool with standard output and standard error in files; returns
// its exit status, or -1 when it could not be started.
int SpawnTool(const std::vector<std::string>& args, const std::string& out_path,
              const std::string& err_path, const std::string& working_folder) {
  std::wstring command_line = QuoteArgument(Widen(VINDOLAR_BINARY));
  for (const std::string& arg : args) command_line += L" " + QuoteArgument(Widen(arg));
  HANDLE out = CreateInheritableFile(out_path);
  HANDLE err = CreateInheritableFile(err_path);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  DWORD status = static_cast<DWORD>(-1);
  std::wstring folder = Widen(working_folder);
  if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     working_folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(out);
  CloseHandle(err);
  return static_cast<int>(status);
}
#else
int SpawnTool(const std::vector<std::string>& args, const std::string& out_path,
              const std::string& err_path, const std::string& working_folder) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (!working_folder.empty())
    posix_spawn_file_actions_addchdir_np(&actions, working_folder.c_str());
  std::vector<char*> argv;
  std::string program = VINDOLAR_BINARY;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid;
  int status = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0)
    waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

// Runs the tool in `working_folder` when one is given.
ToolRun RunTool(const ScratchFolder& folder, const std::vector<std::string>& args,
                const std::string& working_folder = "") {
  std::string out_path = folder.Path(".stdout"), err_path = folder.Path(".stderr");
  int status = SpawnTool(args, out_path, err_path, working_folder);
  ToolRun run{status, ReadWholeFile(out_path), ReadWholeFile(err_path)};
  std::filesystem::remove(out_path);
  std::filesystem::remove(err_path);
  return run;
}

bool Exists(const std::string& path) {
  return std::filesystem::exists(std::filesystem::symlink_status(path));
}

const char kUsage[] =
    "Usage: C> Vindolar HSTFilePath TxtFilePath [cDelimeter]\r\n"
    "Default cDelimeter = \",\" ; use \"t\" or t to insert tabs\r\n"
    "Sample: Vindolar c:\\vemora\\data\\cpu.000 c:\\temp\\cpuHist.txt \";\" [or ;]\r\n";

HistoryContents SmallHistory() {
  HistoryContents contents;
  contents.title = "ABC";
  contents.raw_full = 100;
  contents.eng_full = 50;
  contents.sample_period_ms = 250;
  contents.start_time = 10;
  contents.end_time = 20;
  contents.samples = {1, -32001, 2};
  return contents;
}

const char kSmallText[] =
    "ABC\r\n"
    "RawZero = 0.00; RawFull = 100.00; EngZero = 0.00; EngFull = 50.00\r\n"
    "SamplePeriodMS = 250; StartTime = 10; EndTime = 20 \r\n"
    "      1,      2,";

TEST(EndToEnd, ConvertsSilentlyAndReplacesAnExistingTextFile) {
  ScratchFolder folder;
  std::string history = folder.Path("in.hst"), text = folder.Path("out.txt");
  ASSERT_TRUE(WriteWholeFile(history, BuildHistoryFile(SmallHistory())));
  ASSERT_TRUE(WriteWholeFile(text, std::string(100000, 'x')));
  ToolRun run = RunTool(folder, {history, text});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadWholeFile(text), kSmallText);

  // The delimiter argument as the command line delivers it.
  const std::pair<std::string, std::string> delimiters[] = {
      {"t", "\t"}, {"tab", "\t"}, {"T", "T"},   {";", ";"},
      {" ", " "},  {"", ","},     {"\t;", ","}, {"\xC3\xA9", ","}};
  for (const auto& [argument, delimiter] : delimiters) {
    run = RunTool(folder, {history, text, argument});
    EXPECT_EQ(run.status, 0) << argument;
    EXPECT_EQ(ReadWholeFile(text).substr(sizeof kSmallText - 17),
              "      1" + delimiter + "      2" + delimiter)
        << argument;
  }

  // Paths with blanks, non-ASCII bytes and a leading dash are just paths.
  std::filesystem::create_directory(Utf8Path(folder.Path("-dir \xC3\xA9")));
  std::string odd = folder.Path("-dir \xC3\xA9/-out put.txt");
  run = RunTool(folder, {history, odd});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadWholeFile(odd), kSmallText);
  // So are arguments that begin with a dash.
  std::filesystem::copy_file(Utf8Path(history), Utf8Path(folder.Path("-in put \xC3\xA9.hst")));
  run = RunTool(folder, {"-in put \xC3\xA9.hst", "-out.txt", "-"}, folder.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadWholeFile(folder.Path("-out.txt")),
            std::string(kSmallText).replace(sizeof kSmallText - 17, 16, "      1-      2-"));
}

TEST(EndToEnd, LineEndAndEndOfFileBytesInTheHistoryAreJustSamples) {
  // Little-endian, these samples are the bytes CR LF, Ctrl-Z twice, LF CR
  // and LF LF: a text-mode read would merge, stop at or drop some of them.
  ScratchFolder folder;
  std::string history = folder.Path("in.hst"), text = folder.Path("out.txt");
  HistoryContents contents = SmallHistory();
  contents.samples = {0x0A0D, 0x1A1A, 0x0D0A, 0x0A0A};
  ASSERT_TRUE(WriteWholeFile(history, BuildHistoryFile(contents)));
  ToolRun run = RunTool(folder, {history, text});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadWholeFile(text).substr(sizeof kSmallText - 17), "   2573,   6682,   3338,   2570,");
}

TEST(EndToEnd, WrongArgumentCountPrintsUsage) {
  // Compared byte for byte: standard output in text mode would turn each of
  // the tool's CR LF into CR CR LF.
  ScratchFolder folder;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"a"}, {"a", "b", "c", "d"}, {"a", "b", "c", "d", "e"}}) {
    ToolRun run = RunTool(folder, args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kUsage);
    EXPECT_EQ(run.err, "");
  }
  EXPECT_FALSE(Exists(folder.Path("b")));
}

TEST(EndToEnd, UnopenableHistoryFileStopsBeforeTheTextFile) {
  ScratchFolder folder;
  std::string text = folder.Path("out.txt");
  std::filesystem::create_directory(folder.Path("folder"));
  std::vector<std::string> histories = {folder.Path("missing.hst"),
                                        folder.Path("missing \xC3\xA9.hst"), folder.Path("folder")};
#ifdef _WIN32
  histories.push_back("NUL");
#else
  mkfifo(folder.Path("fifo").c_str(), 0600);
  histories.insert(histories.end(), {folder.Path("fifo"), "/dev/null", "/dev/zero"});
#endif
  for (const std::string& history : histories) {
    ToolRun run = RunTool(folder, {history, text});
    EXPECT_EQ(run.status, 1) << history;
    EXPECT_EQ(run.out, "The History file " + history + " was not opened\r\n");
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(Exists(text)) << history;
  }
}

TEST(EndToEnd, UncreatableTextFileIsReported) {
  ScratchFolder folder;
  std::string history = folder.Path("in.hst");
  ASSERT_TRUE(WriteWholeFile(history, BuildHistoryFile(SmallHistory())));
  std::filesystem::create_directory(folder.Path("folder"));
  std::vector<std::string> texts = {folder.Path("no/such/folder/out.txt"), folder.Path("folder")};
#ifdef _WIN32
  texts.push_back(folder.Path("no?such.txt"));  // a character Windows names may not hold
#else
  texts.push_back("/sys/vindolar-out.txt");
#endif
  for (const std::string& text : texts) {
    ToolRun run = RunTool(folder, {history, text, ";"});
    EXPECT_EQ(run.status, 1) << text;
    EXPECT_EQ(run.out, "The .txt file " + text + " was not created/opened\r\n");
    EXPECT_EQ(run.err, "");
  }
}

TEST(EndToEnd, RefusesToWriteOverTheHistoryFileUnderAnyName) {
  ScratchFolder folder;
  std::string history = folder.Path("in.hst");
  std::string bytes = BuildHistoryFile(SmallHistory());
  ASSERT_TRUE(WriteWholeFile(history, bytes));
  std::filesystem::create_hard_link(history, folder.Path("hard.txt"));
  std::vector<std::string> texts = {history, folder.path() + "/./in.hst", folder.Path("hard.txt")};
#ifdef _WIN32
  // Names differ on Windows in more ways than on Linux, but one file has one
  // volume serial number and file index whatever name it goes by.
  texts.insert(texts.end(), {folder.path() + "\\in.hst", folder.Path("IN.Hst")});
#else
  std::filesystem::create_symlink(history, folder.Path("soft.txt"));
  texts.push_back(folder.Path("soft.txt"));
#endif
  for (const std::string& text : texts) {
    ToolRun run = RunTool(folder, {history, text});
    EXPECT_EQ(run.status, 1) << text;
    EXPECT_EQ(run.out,
              "The .txt file " + text + " was not created/opened: it is the History file\r\n");
    EXPECT_EQ(ReadWholeFile(history), bytes) << text;
  }
}

#ifndef _WIN32
TEST(EndToEnd, FullDiskIsAFailureNotASuccess) {
  ScratchFolder folder;
  std::string history = folder.Path("in.hst");
  HistoryContents contents = SmallHistory();
  contents.samples.assign(300000, 1234);
  ASSERT_TRUE(WriteWholeFile(history, BuildHistoryFile(contents)));
  for (const auto& samples : {std::vector<std::int16_t>{}, contents.samples}) {
    contents.samples = samples;
    ASSERT_TRUE(WriteWholeFile(history, BuildHistoryFile(contents)));
    ToolRun run = RunTool(folder, {history, "/dev/full"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "The /dev/full file was not closed\r\n");
  }
}
#endif

TEST(EndToEnd, AnyBytesConvertSilentlyToWhatTheyHold) {
  ScratchFolder folder;
  std::string history = folder.Path("in.hst"), text = folder.Path("out.txt");
  HistoryContents contents = SmallHistory();
  contents.title = "Cut\nshort";
  contents.raw_zero = -0.125f;
  contents.samples = {7, -32768, 32767, -32001, 0};
  const std::string full = BuildHistoryFile(contents);
  // Every length of the header, then the samples with and without an odd
  // trailing byte.
  for (std::size_t length = 0; length <= full.size(); ++length) {
    std::string bytes = full.substr(0, length);
    ASSERT_TRUE(WriteWholeFile(history, bytes));
    ToolRun run = RunTool(folder, {history, text});
    EXPECT_EQ(run.status, 0) << length;
    EXPECT_EQ(run.out, "") << length;
    EXPECT_EQ(ReadWholeFile(text), ReferenceText(bytes, ',')) << length;
  }
  ASSERT_TRUE(WriteWholeFile(history, full + '\x7F'));
  EXPECT_EQ(RunTool(folder, {history, text}).status, 0);
  EXPECT_EQ(ReadWholeFile(text), ReferenceText(full, ','));

  std::mt19937 random(20240611);
  for (int round = 0; round < 40; ++round) {
    std::string bytes(random() % 6000, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    const std::string delimiter(1, static_cast<char>(' ' + random() % 95));
    ASSERT_TRUE(WriteWholeFile(history, bytes));
    ToolRun run = RunTool(folder, {history, text, delimiter});
    EXPECT_EQ(run.status, 0) << round;
    EXPECT_EQ(run.out, "") << round;
    EXPECT_EQ(ReadWholeFile(text), ReferenceText(bytes, delimiter == "t" ? '\t' : delimiter[0]))
        << round;
  }
}

#ifndef _WIN32
// A history file of over 4 GiB, holes and all, converted into a pipe that
// this test reads: the tool's offsets and counts must not wrap at 2 or 4 GiB.
TEST(SlowEndToEnd, ConvertsAHistoryFileOfOver4GiB) {
  ScratchFolder folder;
  const std::string history = folder.Path("huge.hst");
  const long long sample_count = (1LL << 31) + 25;  // 4 GiB + 50 bytes of samples
  // Samples that must come out in their places: at the start, where a
  // 32-bit byte offset turns negative, past 4 GiB, and at the very end.
  const std::pair<long long, std::int16_t> marks[] = {{0, 11111},
                                                      {(1LL << 30) - 120, -2222},
                                                      {(1LL << 30) + 7, 3333},
                                                      {(1LL << 31) - 3, -4444},
                                                      {(1LL << 31) + 9, 5555},
                                                      {sample_count - 1, -32768}};
  {
    HistoryContents contents = SmallHistory();
    contents.samples.clear();
    ASSERT_TRUE(WriteWholeFile(history, BuildHistoryFile(contents)));
    std::FILE* file = std::fopen(history.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    for (const auto& [index, value] : marks) {
      const unsigned char bytes[2] = {static_cast<unsigned char>(value & 0xFF),
                                      static_cast<unsigned char>((value >> 8) & 0xFF)};
      ASSERT_EQ(fseeko(file, 226 + 2 * index, SEEK_SET), 0);
      ASSERT_EQ(std::fwrite(bytes, 1, 2, file), 2u);
    }
    ASSERT_EQ(fseeko(file, 226 + 2 * sample_count, SEEK_SET), 0);
    ASSERT_EQ(std::fputc(0x55, file), 0x55);  // an odd trailing byte
    ASSERT_EQ(std::fclose(file), 0);
  }

  // The tool writes to the pipe by the name /proc/self/fd/3.
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 3);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  std::string program = VINDOLAR_BINARY, history_arg = history, text_arg = "/proc/self/fd/3";
  char* argv[] = {program.data(), history_arg.data(), text_arg.data(), nullptr};
  pid_t pid;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);

  const std::string header = std::string(kSmallText).substr(0, sizeof kSmallText - 17);
  auto offset_of = [&](long long index) {
    return static_cast<long long>(header.size()) + index / 10 * 82 + index % 10 * 8;
  };
  long long total = 0, line_ends = 0;
  std::string seen(std::size(marks) * 8, '?');
  std::vector<char> chunk(1 << 20);
  ssize_t got;
  while ((got = read(pipe_ends[0], chunk.data(), chunk.size())) > 0) {
    line_ends += std::count(chunk.data(), chunk.data() + got, '\n');
    for (std::size_t m = 0; m < std::size(marks); ++m)
      for (long long at = offset_of(marks[m].first); at < offset_of(marks[m].first) + 8; ++at)
        if (at >= total && at < total + got)
          seen[m * 8 + (at - offset_of(marks[m].first))] =
              chunk[static_cast<std::size_t>(at - total)];
    total += got;
  }
  close(pipe_ends[0]);
  int status = -1;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  EXPECT_EQ(line_ends, 3 + sample_count / 10);
  EXPECT_EQ(total, offset_of(sample_count - 1) + 8);
  std::string expected;
  for (const auto& [index, value] : marks) {
    char group[16];
    std::snprintf(group, sizeof group, "%7d,", value);
    expected += group;
  }
  EXPECT_EQ(seen, expected);
}
#endif

TEST(EndToEnd, ShippedExampleConvertsToItsShippedText) {
  ScratchFolder folder;
  std::string source = VINDOLAR_SOURCE_DIR;
  ToolRun run = RunTool(folder, {source + "/examples/sample.hst", folder.Path("sample.txt")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadWholeFile(folder.Path("sample.txt")),
            ReadWholeFile(source + "/examples/sample.txt"));
}

}  // namespace
