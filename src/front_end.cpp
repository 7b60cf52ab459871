#include "front_end.h"

#include <string_view>

#include "file_io.h"
#include "history_reader.h"
#include "text_writer.h"

namespace {

// Scripts match these texts byte for byte, so they stay as they are, the
// usage text's spelling "cDelimeter" included. %s stands for the path.
constexpr char Usage[] =
    "Usage: C> Vindolar HSTFilePath TxtFilePath [cDelimeter]\r\n"
    "Default cDelimeter = \",\" ; use \"t\" or t to insert tabs\r\n"
    "Sample: Vindolar c:\\vemora\\data\\cpu.000 c:\\temp\\cpuHist.txt \";\" [or ;]\r\n";
constexpr std::string_view NotOpened = "The History file %s was not opened";
constexpr std::string_view HistoryHeld =
    "The History file %s was not opened: another process is reading it";
constexpr std::string_view NotRead = "The History file %s was not read to its end";
constexpr std::string_view HistoryNotClosed = "The History file %s was not closed";
constexpr std::string_view TextNotOpened = "The .txt file %s was not created/opened";
constexpr std::string_view TextIsHistory =
    "The .txt file %s was not created/opened: it is the History file";
constexpr std::string_view TextHeld =
    "The .txt file %s was not created/opened: another process is writing it";
constexpr std::string_view TextNotClosed = "The %s file was not closed";
// The one line that `Vindolar --version` prints, for inventories and
// scripts that ask a binary what it is.
constexpr char Version[] = "Vindolar " VINDOLAR_VERSION "\r\n";

// The longest argument that Linux passes to a program: 32 pages, of up to
// 64 KiB (arm64 kernels may use 64 KiB pages). Windows passes shorter ones.
// The buffer costs no memory until a message fills it.
constexpr std::size_t LongestArgument = std::size_t{32} * 65536;

// Where a run's messages go, and whether one was written. The files are
// those open so far, and the one whose lock refused the run: see
// MessageStream.
struct Messages {
  std::FILE* preferred;
  const File* history = nullptr;
  const File* text = nullptr;
  const Refused* refused = nullptr;
  bool written = false;
};

void Write(Messages& messages, const char* message, std::size_t size) {
  if (messages.preferred == nullptr) return;
  std::FILE* stream =
      MessageStream(messages.preferred, messages.history, messages.text, messages.refused);
  if (stream == nullptr) return;
  WriteMessage(stream, message, size);
  messages.written = true;
}

// Writes a message with `path` in place of its %s, ending in CR LF, built
// in static storage so that reporting needs no memory. Each control byte of
// the path (0x00-0x1F, 0x7F) shows as '?', as ls shows it on a terminal: a
// line end in a path cannot forge a second message, nor a CR overwrite the
// line. A message that cannot be written has nowhere else to go; the exit
// status still tells the caller.
void Report(Messages& messages, std::string_view format, const char* path) {
  static char message[LongestArgument + 128];  // and the longest format
  const std::size_t at = format.find("%s");
  std::size_t size = format.copy(message, at);
  for (; *path != '\0' && size < at + LongestArgument; ++path)
    message[size++] = static_cast<unsigned char>(*path) < 0x20 || *path == 0x7F ? '?' : *path;
  size += format.substr(at + 2).copy(message + size, format.size());
  message[size++] = '\r';
  message[size++] = '\n';
  Write(messages, message, size);
}

// The sample table: runs of samples from the history into the text until
// the samples end (the end of the file or a failed read) or a write fails.
// After a failed write nothing more is read, so that a full disk or a
// reader gone (SIGPIPE ignored) ends at once even a history that has no
// end (/dev/zero).
void ConvertSamples(HistoryStream& history, TextStream& text, char delimiter) {
  int line_count = 0;
  while (!text.write_failed) {
    const SampleRun run = ReadSamples(history);
    if (run.count == 0) break;
    WriteSamples(text, run.bytes, run.count, delimiter, line_count);
  }
}

// The delimiter that the optional third argument chooses: its first byte
// when printable, TAB for the letter t, otherwise the comma.
char ChooseDelimiter(const char* argument) {
  auto first = static_cast<unsigned char>(argument[0]);
  if (first == 't') return '\t';
  if (first >= 0x20 && first <= 0x7E) return static_cast<char>(first);
  return ',';
}

}  // namespace

RunBuffers StaticRunBuffers() {
  // Left uninitialized by the program: a short file never touches most of
  // either buffer, and untouched pages cost no memory.
  static unsigned char history[DefaultHistoryBufferSize];
  static char text[DefaultTextBufferSize];
  return RunBuffers{history, text};
}

RunResult RunVindolar(int argc, const char* const* argv, std::FILE* messages_stream,
                      RunBuffers buffers) {
  Messages messages{messages_stream};
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    Write(messages, Version, sizeof Version - 1);
    return {0, messages.written};
  }
  if (argc < 3 || argc > 4) {
    Write(messages, Usage, sizeof Usage - 1);
    return {1, messages.written};
  }
  const char* history_path = argv[1];
  const char* text_path = argv[2];
  const char delimiter = argc == 4 ? ChooseDelimiter(argv[3]) : ',';

  // Before anything is opened: opening a FIFO waits for its other end.
  if (SameFifo(history_path, text_path)) {
    Report(messages, TextIsHistory, text_path);
    return {1, messages.written};
  }
  Refused refused;
  messages.refused = &refused;
  const File history_file = OpenHistoryFile(history_path, &refused);
  if (history_file.stream == nullptr) {
    Report(messages, refused.why == Refusal::Held ? HistoryHeld : NotOpened, history_path);
    return {1, messages.written};
  }
  messages.history = &history_file;
  const File text_file = OpenTextFile(text_path, history_file, &refused);
  if (refused.why != Refusal::None) {
    // What comes back open is the refused file, kept only to be told apart.
    if (text_file.stream != nullptr) messages.text = &text_file;
    Report(messages,
           refused.why == Refusal::IsHistory ? TextIsHistory
           : refused.why == Refusal::Held    ? TextHeld
                                             : TextNotOpened,
           text_path);
    if (text_file.stream != nullptr) (void)CloseFile(text_file);
    (void)CloseFile(history_file);
    return {1, messages.written};
  }
  messages.text = &text_file;

  HistoryStream history = MakeHistoryStream(history_file.stream, buffers.history);
  TextStream text = MakeTextStream(text_file.stream, buffers.text);
  WriteHeaderLines(text, ReadHistoryHeader(history));
  SkipToSamples(history);
  ConvertSamples(history, text, delimiter);
  // The text goes out before any message, so that text and messages sent
  // to one place (/dev/stdout > f) each arrive whole. A failed read, in the
  // header or among the samples, ends the reading for good: one message.
  FlushTextStream(text);
  int status = 0;
  if (history.read_failed) {
    Report(messages, NotRead, history_path);
    status = 1;
  }

  // Where the last messages go is settled while both files are open: once
  // closed, the text can no longer be told from standard output.
  messages.preferred = MessageStream(messages.preferred, &history_file, &text_file, nullptr);
  messages.history = messages.text = nullptr;
  messages.refused = nullptr;
  if (!CloseFile(history_file)) Report(messages, HistoryNotClosed, history_path);
  // A failed write anywhere means the text file is incomplete: report it as
  // a failed close, the message callers already know.
  if (!CloseFile(text_file) || text.write_failed) {
    Report(messages, TextNotClosed, text_path);
    status = 1;
  }
  return {status, messages.written};
}
