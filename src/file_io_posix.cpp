#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

#include "file_io.h"

namespace {

// The descriptor that /dev/stdin, /dev/stdout, /dev/stderr or /dev/fd/N
// names, or -1 for any other path. Like bash and awk, the tool takes these
// names as the descriptors it was started with and never opens them by
// name: reopened, /dev/stdout would empty what `>>` appends to, write from
// offset 0 over what the shell's group wrote before, or fail for a socket.
int InheritedDescriptor(const char* path) {
  const std::string_view name = path;
  if (name == "/dev/stdin") return 0;
  if (name == "/dev/stdout") return 1;
  if (name == "/dev/stderr") return 2;
  constexpr std::string_view kFd = "/dev/fd/";
  if (!name.starts_with(kFd) || name.size() == kFd.size() || name.size() > kFd.size() + 9)
    return -1;
  int fd = 0;
  for (char digit : name.substr(kFd.size())) {
    if (digit < '0' || digit > '9') return -1;
    fd = fd * 10 + (digit - '0');
  }
  return fd;
}

// What `path` names: the inherited descriptor itself, or the file by name.
bool StatPath(const char* path, struct stat* info) {
  const int fd = InheritedDescriptor(path);
  return fd >= 0 ? fstat(fd, info) == 0 : stat(path, info) == 0;
}

// A file opened while standard input, output or error is closed would take
// its number: messages would then land in the text, and /dev/stdout would
// name the history. Every file the tool opens is moved to 3 or above.
int AboveStandardStreams(int fd) {
  if (fd < 0 || fd > 2) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  (void)close(fd);
  return moved;
}

// A copy of an inherited descriptor, when it is open in the direction the
// tool needs; -1 when it is closed or open the other way only. The copy
// shares the file's offset, so the text goes on where the descriptor
// stands (after `>>`'s end, or what a group wrote before), and closing it
// leaves the tool's own standard streams open.
int CopyInherited(int fd, bool reading) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags == -1) return -1;
  const int access = flags & O_ACCMODE;
  if (access == (reading ? O_WRONLY : O_RDONLY)) return -1;
  return fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

}  // namespace

std::FILE* OpenFile(const char* path, const char* mode) {
  const std::string_view how = mode;
  const bool reading = how == "rb";
  const int inherited = InheritedDescriptor(path);
  int fd;
  if (inherited >= 0) {
    fd = CopyInherited(inherited, reading);
  } else {
    const int flags = reading ? O_RDONLY : how == "wb" ? O_WRONLY : O_RDWR | O_CREAT | O_TRUNC;
    fd = AboveStandardStreams(open(path, flags | O_CLOEXEC, 0666));  // NOLINT: a C call
  }
  if (fd < 0) return nullptr;
  // An inherited descriptor may be open for writing only (`>>`): the
  // stream then takes "wb", which neither empties nor moves it.
  std::FILE* file = fdopen(fd, inherited >= 0 && !reading ? "wb" : mode);
  if (file == nullptr) {
    (void)close(fd);
    return nullptr;
  }
  // Should this fail, the C library buffers too; a failed write then shows
  // at the close, which is checked.
  (void)std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

PathKind KindOfPath(const char* path) {
  struct stat info;
  if (!StatPath(path, &info)) return PathKind::kMissing;
  if (S_ISREG(info.st_mode)) return PathKind::kRegularFile;
  return S_ISDIR(info.st_mode) ? PathKind::kDirectory : PathKind::kOther;
}

// Only what writing would harm: a regular file or a block device would be
// overwritten, a FIFO fed its own text. Two names of one character device
// (/dev/null, a terminal) or socket harm nothing.
bool NameOneFile(const char* history_path, const char* text_path) {
  struct stat history;
  struct stat text;
  return StatPath(history_path, &history) && StatPath(text_path, &text) &&
         history.st_dev == text.st_dev && history.st_ino == text.st_ino &&
         (S_ISREG(history.st_mode) || S_ISFIFO(history.st_mode) || S_ISBLK(history.st_mode));
}

void WriteMessage(std::FILE* stream, const std::string& message) {
  // One write, so that a message reaches a pipe in one piece.
  (void)std::fwrite(message.data(), 1, message.size(), stream);
  (void)std::fflush(stream);
}
