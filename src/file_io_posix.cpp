#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
  constexpr std::string_view DevFd = "/dev/fd/";
  if (!name.starts_with(DevFd) || name.size() == DevFd.size() || name.size() > DevFd.size() + 9)
    return -1;
  int fd = 0;
  for (char digit : name.substr(DevFd.size())) {
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
// leaves the tool's own standard streams open. With the descriptor table
// full the descriptor itself serves, borrowed.
int CopyInherited(int fd, bool reading, bool* borrowed) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags == -1) return -1;
  const int access = flags & O_ACCMODE;
  if (access == (reading ? O_WRONLY : O_RDONLY)) return -1;
  const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  *borrowed = copy == -1 && errno == EMFILE;
  return *borrowed ? fd : copy;
}

// Takes the file for this run alone, then empties it. While another run
// holds it, that run is writing it: the file is left to that run. A file
// system without locks (ENOLCK, EOPNOTSUPP) converts as if it had them.
bool HoldAloneAndEmpty(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;
  return ftruncate(fd, 0) == 0;
}

}  // namespace

// Whatever can fail for want of memory (fdopen allocates) comes before the
// file is emptied, so a failed open leaves the old text as it was. An
// inherited descriptor is never emptied: it is written where it stands.
File OpenFile(const char* path, OpenMode mode) {
  const bool reading = mode == OpenMode::Read;
  const int inherited = InheritedDescriptor(path);
  File file;
  int fd;
  if (inherited >= 0) {
    fd = CopyInherited(inherited, reading, &file.borrowed);
  } else {
    const int flags = reading ? O_RDONLY : mode == OpenMode::Write ? O_WRONLY : O_RDWR | O_CREAT;
    fd = AboveStandardStreams(open(path, flags | O_CLOEXEC, 0666));  // NOLINT: a C call
  }
  if (fd < 0) return File{};
  // An inherited descriptor may be open for writing only (`>>`): "wb"
  // neither empties nor moves it.
  const bool read_write = mode == OpenMode::CreateOrEmpty && inherited < 0;
  file.stream = fdopen(fd, reading ? "rb" : read_write ? "w+b" : "wb");
  if (file.stream == nullptr || (read_write && !HoldAloneAndEmpty(fd))) {
    if (file.stream != nullptr)
      (void)std::fclose(file.stream);
    else if (!file.borrowed)
      (void)close(fd);
    return File{};
  }
  // Should this fail, the C library buffers too; a failed write then shows
  // at the close, which is checked.
  (void)std::setvbuf(file.stream, nullptr, _IONBF, 0);
  return file;
}

PathKind KindOfPath(const char* path) {
  struct stat info;
  if (!StatPath(path, &info)) return PathKind::Missing;
  if (S_ISREG(info.st_mode)) return PathKind::RegularFile;
  return S_ISDIR(info.st_mode) ? PathKind::Directory : PathKind::Other;
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

void WriteMessage(std::FILE* stream, const char* message, std::size_t size) {
  // One write, so that a message reaches a pipe in one piece.
  (void)std::fwrite(message, 1, size, stream);
  (void)std::fflush(stream);
}
