#include "front_end.h"

#include <algorithm>
#include <cstdint>
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

// True when `text_path` names the history file under any name (a link,
// another spelling of the path): opening it for writing would empty it.
bool NamesHistoryFile(const char* text_path, const char* history_path) {
  FileIdentity text_id;
  FileIdentity history_id;
  return IdentifyPath(text_path, &text_id) && IdentifyPath(history_path, &history_id) &&
         SameFile(text_id, history_id);
}

// Hands every sample to the writer. The loop works on copies of the two
// stream records whose addresses are never taken: the stores into the text
// buffer could otherwise alias the records and force their cursors through
// memory on every sample.
[[gnu::noinline]] void ConvertSamples(HistoryStream& history_stream, TextStream& text_stream,
                                      char delimiter) {
  HistoryStream history = history_stream;
  TextStream text = text_stream;
  int line_count = 0;
  std::int16_t sample;
  for (;;) {
    // As many samples as complete the line, when the buffer holds them.
    int wanted = SamplesPerLine - line_count;
    if (const unsigned char* bytes = TakeSamples(history, wanted)) {
      // Most lines are ten readings in a row. A constant count lets the
      // compiler unroll the run.
      if (wanted != SamplesPerLine)
        WriteSampleRun(text, bytes, wanted, delimiter, line_count);
      else if (ContainsDroppedSample(bytes, SamplesPerLine))
        WriteSampleRun(text, bytes, SamplesPerLine, delimiter, line_count);
      else
        WriteSampleLine(text, bytes, delimiter);
      continue;
    }
    // Near the end of the buffer: one at a time, refilling as needed.
    if (!ReadSample(history, sample)) break;
    WriteSample(text, sample, delimiter, line_count);
  }
  history_stream = history;
  text_stream = text;
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

  // Anything but a regular file is refused: a device never ends or cannot
  // seek. Looked at before opening, since opening a FIFO would wait for a
  // writer.
  if (KindOfPath(history_path) != PathKind::kRegularFile) {
    Report(messages, kNotOpened, history_path);
    return 1;
  }
  if (NamesHistoryFile(text_path, history_path)) {
    Report(messages, kTextIsHistory, text_path);
    return 1;
  }
  std::FILE* history_file = OpenFile(history_path, "rb");
  if (history_file == nullptr) {
    Report(messages, kNotOpened, history_path);
    return 1;
  }
  // A device or pipe is written as a stream; a file is created or emptied.
  const char* text_mode = KindOfPath(text_path) == PathKind::kOther ? "wb" : "w+b";
  std::FILE* text_file = OpenFile(text_path, text_mode);
  if (text_file == nullptr) {
    Report(messages, kTextNotOpened, text_path);
    (void)std::fclose(history_file);
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
  bool read_error_reported = false;
  if (history.read_failed) {
    Report(messages, kNotRead, history_path);
    read_error_reported = true;
    status = 1;
  }
  WriteHeaderLines(text, header);

  SeekToSamples(history);
  ConvertSamples(history, text, delimiter);
  if (history.read_failed && !read_error_reported) {
    Report(messages, kNotRead, history_path);
    status = 1;
  }
  text = FlushTextStream(text);

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
