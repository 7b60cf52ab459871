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

// A copy of an inherited descriptor, or -1 when it is closed. The copy
// shares the file's offset, so the text goes on where the descriptor stands
// (after `>>`'s end, or what a group wrote before), and closing it leaves
// the tool's own standard streams open. With the descriptor table full the
// descriptor itself serves, borrowed.
int CopyInherited(int fd, File* file) {
  const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  file->borrowed = copy == -1 && errno == EMFILE;
  file->inherited = fd;
  return file->borrowed ? fd : copy;
}

bool OpenFor(int fd, bool writing) {
  const int access = fcntl(fd, F_GETFL) & O_ACCMODE;
  return writing ? access != O_RDONLY : access != O_WRONLY;
}

bool IsDataFile(const struct stat& info) {
  return S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISBLK(info.st_mode);
}

bool SameDataFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && IsDataFile(a);
}

// A whole-file record lock, as fcntl takes it.
struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;
}

// True when another process holds a record lock on the file.
bool LockedByAnother(int fd) {
  struct flock lock = WholeFile(F_WRLCK);
  return fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

// Keeps other runs out of a file that this one reads: false when another
// run holds it. A record lock belongs to the process, not to the open
// file, so two runs that share one descriptor (a pipe that both inherit)
// still keep each other out, and the lock ends with the run. A reader
// cannot take a write lock on a read-only descriptor: it takes a read
// lock, which keeps writers out, then looks for another reader's; of two
// readers that start together at least one sees the other. A file system
// without locks (ENOLCK, EOPNOTSUPP) works as if it had them.
bool HoldForReading(int fd) {
  struct flock lock = WholeFile(F_RDLCK);
  if (fcntl(fd, F_SETLK, &lock) != 0) return errno != EACCES && errno != EAGAIN;
  return !LockedByAnother(fd);
}

// Keeps other runs out of a file that this one writes. Through an
// inherited descriptor the lock is a record lock, which belongs to the
// process, for the reasons above; it also ends with the run where the
// shell's descriptor outlives it. A file opened by name takes a lock of
// its own open file instead, of the same family, so the two kinds keep
// each other out; beside the flock lock below, it is the one that network
// file systems, which take flock as a record lock, see as the same owner.
bool HoldForWriting(int fd, bool inherited) {
  struct flock lock = WholeFile(F_WRLCK);
  if (fcntl(fd, inherited ? F_SETLK : F_OFD_SETLK, &lock) == 0) return true;
  return errno != EACCES && errno != EAGAIN;
}

// A text file opened by name also takes the lock that `flock` takes, as
// runs before record locks took it and as `flock t.txt cmd` holds it. It
// belongs to this run's own open file, so it ends with the run. An
// inherited descriptor never gets one: the shell's open file would keep it
// after the run, and the runs of `flock t.txt cmd >> t.txt` would be kept
// out by their own caller.
bool FlockForThisRun(int fd) { return flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK; }

File FailedOpen(int fd, const File& file) {
  if (fd >= 0 && !file.borrowed) (void)close(fd);
  return File{};
}

// Whatever can fail for want of memory (fdopen allocates) comes before the
// file is emptied, so a failed open leaves the old text as it was. Should
// setvbuf fail, the C library buffers too; a failed write then shows at the
// close, which is checked.
File StreamOf(int fd, File file, const char* mode, bool empty) {
  file.stream = fdopen(fd, mode);
  if (file.stream == nullptr) return FailedOpen(fd, file);
  if (empty && ftruncate(fd, 0) != 0) {
    (void)std::fclose(file.stream);
    return File{};
  }
  (void)std::setvbuf(file.stream, nullptr, _IONBF, 0);
  return file;
}

}  // namespace

bool SameFifo(const char* history_path, const char* text_path) {
  struct stat history;
  struct stat text;
  return StatPath(history_path, &history) && StatPath(text_path, &text) &&
         S_ISFIFO(history.st_mode) && SameDataFile(history, text);
}

File OpenHistoryFile(const char* path) {
  File file;
  const int inherited = InheritedDescriptor(path);
  int fd;
  if (inherited >= 0) {
    fd = OpenFor(inherited, false) ? CopyInherited(inherited, &file) : -1;
  } else {
    fd = AboveStandardStreams(open(path, O_RDONLY | O_CLOEXEC));  // NOLINT: a C call
  }
  // A folder opens for reading here, and only its reads would fail.
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) ||
      (S_ISFIFO(info.st_mode) && !HoldForReading(fd)))
    return FailedOpen(fd, file);
  return StreamOf(fd, file, "rb", false);
}

File OpenTextFile(const char* path, const File& history, TextRefusal* refusal) {
  *refusal = TextRefusal::NotOpened;
  File file;
  const int inherited = InheritedDescriptor(path);
  bool by_name_regular = false;
  int fd;
  if (inherited >= 0) {
    fd = CopyInherited(inherited, &file);
  } else {
    // A regular file, or one still to be created, for reading and writing;
    // anything else that exists, for writing only.
    struct stat info;
    by_name_regular = stat(path, &info) != 0 || S_ISREG(info.st_mode);
    const int flags = by_name_regular ? O_RDWR | O_CREAT : O_WRONLY;
    fd = AboveStandardStreams(open(path, flags | O_CLOEXEC, 0666));  // NOLINT: a C call
  }
  if (fd < 0) return File{};
  // Compared before anything else: /dev/fd/N may name the history itself.
  struct stat text_info;
  struct stat history_info;
  if (fstat(fd, &text_info) != 0 || fstat(fileno(history.stream), &history_info) != 0)
    return FailedOpen(fd, file);
  if (SameDataFile(text_info, history_info)) {
    *refusal = TextRefusal::IsHistory;
    return FailedOpen(fd, file);
  }
  by_name_regular = by_name_regular && S_ISREG(text_info.st_mode);
  if ((inherited >= 0 && !OpenFor(fd, true)) || (by_name_regular && !FlockForThisRun(fd)) ||
      ((S_ISREG(text_info.st_mode) || S_ISFIFO(text_info.st_mode)) &&
       !HoldForWriting(fd, inherited >= 0)))
    return FailedOpen(fd, file);
  // An inherited descriptor may be open for writing only (`>>`): "wb"
  // neither empties nor moves it. It is written where it stands.
  file = StreamOf(fd, file, by_name_regular ? "w+b" : "wb", by_name_regular);
  if (file.stream != nullptr) *refusal = TextRefusal::None;
  return file;
}

std::FILE* MessageStream(std::FILE* preferred, const File* history, const File* text) {
  const auto takes_messages = [history, text](std::FILE* stream) {
    struct stat info;
    struct stat other;
    const int fd = fileno(stream);
    if (fd < 0 || fstat(fd, &info) != 0) return true;  // nothing to harm
    if (!IsDataFile(info)) return true;
    if (history != nullptr && fstat(fileno(history->stream), &other) == 0 &&
        SameDataFile(info, other))
      return false;
    // The text through this very descriptor (/dev/stdout > t.txt) takes
    // its messages after it; through another it would be overwritten.
    if (text != nullptr && text->inherited != fd && fstat(fileno(text->stream), &other) == 0 &&
        SameDataFile(info, other))
      return false;
    return !LockedByAnother(fd);
  };
  if (takes_messages(preferred)) return preferred;
  return takes_messages(stderr) ? stderr : nullptr;
}

void WriteMessage(std::FILE* stream, const char* message, std::size_t size) {
  (void)std::fwrite(message, 1, size, stream);
  (void)std::fflush(stream);
}
