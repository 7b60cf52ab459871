#include <sys/stat.h>

#include <cstdint>

#include "file_io.h"

std::FILE* OpenFile(const char* path, const char* mode) {
  std::FILE* file = std::fopen(path, mode);
  // Should this fail, the C library buffers too; a failed write then shows
  // at the close, which is checked.
  if (file != nullptr) (void)std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

PathKind KindOfPath(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0) return PathKind::kMissing;
  if (S_ISREG(info.st_mode)) return PathKind::kRegularFile;
  return S_ISDIR(info.st_mode) ? PathKind::kDirectory : PathKind::kOther;
}

bool NameOneFile(const char* history_path, const char* text_path) {
  struct stat history;
  struct stat text;
  return stat(history_path, &history) == 0 && stat(text_path, &text) == 0 &&
         history.st_dev == text.st_dev && history.st_ino == text.st_ino;
}

void WriteMessage(std::FILE* stream, const std::string& message) {
  // One write, so that a message reaches a pipe in one piece.
  (void)std::fwrite(message.data(), 1, message.size(), stream);
  (void)std::fflush(stream);
}
