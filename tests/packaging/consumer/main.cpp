// A program of its own that converts a history file with the installed
// library's reader and writer: consumer HISTORY TEXT
#include <vindolar/file_io.h>
#include <vindolar/history_reader.h>
#include <vindolar/text_writer.h>

#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: consumer HISTORY TEXT\n", stderr);
    return 2;
  }
  std::FILE* history_file = OpenFile(argv[1], "rb");
  std::FILE* text_file = OpenFile(argv[2], "wb");
  if (history_file == nullptr || text_file == nullptr) return 1;

  HistoryStream history = MakeHistoryStream(history_file);
  TextStream text = MakeTextStream(text_file);
  WriteHeaderLines(text, ReadHistoryHeader(history));
  SeekToSamples(history);
  int line_count = 0;
  std::int16_t sample;
  while (ReadSample(history, sample)) WriteSample(text, sample, ',', line_count);
  FlushTextStream(text);

  bool ok = !history.read_failed && !text.write_failed;
  ok = CloseFile(history_file) && ok;
  ok = CloseFile(text_file) && ok;
  return ok ? 0 : 1;
}
