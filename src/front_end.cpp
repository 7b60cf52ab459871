#include "front_end.h"

#include <algorithm>
#include <memory>
#include <string>

#include "file_io.h"
#include "history_reader.h"
#include "text_writer.h"

namespace {

// Writes a message with `path` in place of its %s, ending in CR LF. A
// message that cannot be written has nowhere else to go; the exit status
// still tells the caller.
void Report(std::FILE* messages, const char* format, const char* path) {
  std::string message = format;
  message.replace(message.find("%s"), 2, path);
  WriteMessage(messages, message + "\r\n");
}

void PrintUsage(std::FILE* messages) {
  WriteMessage(messages,
               "Usage: C> Vindolar HSTFilePath TxtFilePath [cDelimeter]\r\n"
               "Default cDelimeter = \",\" ; use \"t\" or t to insert tabs\r\n"
               "Sample: Vindolar c:\\vemora\\data\\cpu.000 c:\\temp\\cpuHist.txt \";\" [or ;]\r\n");
}

const char* const kNotOpened = "The History file %s was not opened";
const char* const kNotRead = "The History file %s was not read to its end";
const char* const kHistoryNotClosed = "The History file %s was not closed";
const char* const kTextNotOpened = "The .txt file %s was not created/opened";
const char* const kTextIsHistory =
    "The .txt file %s was not created/opened: it is the History file";
const char* const kTextNotClosed = "The %s file was not closed";

// Creates or empties a regular file for reading and writing, as callers
// have always had it, so that a file that cannot be opened for both fails.
// Anything else (a pipe, a FIFO, a device) is opened for writing only: a
// tool that holds the read end of its own output never learns that the
// reader has gone, and a FIFO would take the text with no reader at all.
// Opened for writing only, a FIFO waits for its reader.
std::FILE* OpenTextFile(const char* path) {
  return OpenFile(path, KindOfPath(path) == PathKind::kOther ? "wb" : "w+b");
}

}  // namespace

char ChooseDelimiter(const char* argument) {
  auto first = static_cast<unsigned char>(argument[0]);
  if (first == 't') return '\t';
  if (first >= 0x20 && first <= 0x7E) return static_cast<char>(first);
  return ',';
}

int RunVindolar(int argc, const char* const* argv, std::FILE* messages) {
  return RunVindolar(argc, argv, messages,
                     RunOptions{kDefaultHistoryBufferSize, kDefaultTextBufferSize});
}

int RunVindolar(int argc, const char* const* argv, std::FILE* messages, const RunOptions& options) {
  if (argc < 3 || argc > 4) {
    PrintUsage(messages);
    return 1;
  }
  const char* history_path = argv[1];
  const char* text_path = argv[2];
  char delimiter = argc == 4 ? ChooseDelimiter(argv[3]) : ',';

  // The history is read from its first byte to its end, so a pipe, a FIFO
  // or a device serves as well as a regular file. A folder is refused here:
  // some systems open one and fail only its reads.
  if (KindOfPath(history_path) == PathKind::kDirectory) {
    Report(messages, kNotOpened, history_path);
    return 1;
  }
  // Before anything is opened: opening a FIFO waits for its other end.
  if (NameOneFile(history_path, text_path)) {
    Report(messages, kTextIsHistory, text_path);
    return 1;
  }
  std::FILE* history_file = OpenFile(history_path, "rb");
  if (history_file == nullptr) {
    Report(messages, kNotOpened, history_path);
    return 1;
  }
  std::FILE* text_file = OpenTextFile(text_path);
  if (text_file == nullptr) {
    Report(messages, kTextNotOpened, text_path);
    (void)CloseFile(history_file);
    return 1;
  }

  int status = 0;
  // Left uninitialized: a short file never touches most of either buffer.
  std::size_t history_size = std::max<std::size_t>(options.history_buffer_size, 2);
  std::size_t text_size = std::max(options.text_buffer_size, kMinTextBufferSize);
  auto history_buffer = std::make_unique_for_overwrite<unsigned char[]>(history_size);
  auto text_buffer = std::make_unique_for_overwrite<char[]>(text_size);
  HistoryStream history = MakeHistoryStream(history_file, history_buffer.get(), history_size);
  TextStream text = MakeTextStream(text_file, text_buffer.get(), text_size);

  HistoryHeader header = ReadHistoryHeader(history);
  WriteHeaderLines(text, header);
  SeekToSamples(history);
  WriteSampleTable(text, history, delimiter);
  // The text goes out before any message, so that text and messages sent
  // to one place (/dev/stdout > f) each arrive whole. A failed read, in the
  // header or among the samples, ends the reading for good: one message.
  text = FlushTextStream(text);
  if (history.read_failed) {
    Report(messages, kNotRead, history_path);
    status = 1;
  }

  if (!CloseFile(history_file)) Report(messages, kHistoryNotClosed, history_path);
  // A failed write anywhere means the text file is incomplete: report it as
  // a failed close, the message callers already know.
  bool text_closed = CloseFile(text_file);
  if (!text_closed || text.write_failed) {
    Report(messages, kTextNotClosed, text_path);
    status = 1;
  }
  return status;
}
