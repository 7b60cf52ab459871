// The locks. Every file the tool holds gets one POSIX record lock (fcntl
// F_SETLK), the kind that lockf and fcntl take, and no other kind: a text,
// by name or through a descriptor, and a history FIFO or pipe. A record lock
// belongs to the process, so two runs that share one descriptor still keep
// each other out, and it ends with the run (or when the process closes any
// descriptor of the file: the tool closes none but the file's own). A
// regular text is locked whole, so that any other lock on it keeps the run
// out. On a FIFO or pipe a writer locks byte 0 and a reader byte 1: writers
// keep out writers and readers readers, but the run that writes a pipe does
// not keep out the run that reads it. A lock held by one of the run's
// ancestors (a parent that lockf's its output) counts as the run's own.
// Where the file system has no locks, a run goes on as if it held one.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
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

// One file under any name: two nodes of one block device are one device.
bool SameDataFile(const struct stat& a, const struct stat& b) {
  if (S_ISBLK(a.st_mode) && S_ISBLK(b.st_mode)) return a.st_rdev == b.st_rdev;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && IsDataFile(a);
}

// The parent of process `pid`, or 0. /proc/PID/stat holds "PID (NAME) STATE
// PPID ...": the name may hold blanks and parentheses, no later field does.
pid_t ParentOf(pid_t pid) {
  char path[32] = "/proc/";
  char* end = std::to_chars(path + 6, path + 20, pid).ptr;
  std::string_view("/stat").copy(end, 5);
  const int fd = open(path, O_RDONLY | O_CLOEXEC);  // NOLINT: a C call
  if (fd < 0) return 0;
  char bytes[512];
  const ssize_t size = read(fd, bytes, sizeof bytes);
  (void)close(fd);
  const std::string_view line(bytes, size > 0 ? static_cast<std::size_t>(size) : 0);
  const std::size_t name_end = line.rfind(')');
  if (name_end == std::string_view::npos || name_end + 4 >= line.size()) return 0;
  pid_t parent = 0;
  (void)std::from_chars(line.data() + name_end + 4, line.data() + line.size(), parent);
  return parent;
}

bool IsAncestor(pid_t pid) {
  int hops = 0;  // a bound, should process ids be reused during the walk
  for (pid_t up = getppid(); up > 0 && hops < 4096; up = ParentOf(up), ++hops)
    if (up == pid) return true;
  return false;
}

// Takes this run's lock on `fd`, as the comment at the top describes: a
// write lock on the whole file or on byte 0 for a writer, a read lock on
// byte 1 for a reader. False when another process than an ancestor holds
// a lock there.
bool HoldForRun(int fd, bool writer, bool whole) {
  for (int tries = 0; tries < 3; ++tries) {
    struct flock lock {};
    lock.l_type = writer ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = writer ? 0 : 1;
    lock.l_len = whole ? 0 : 1;
    const bool held = fcntl(fd, F_SETLK, &lock) == 0;
    if (!held && errno != EACCES && errno != EAGAIN) return true;  // no locks here
    if (held && writer) return true;
    // Refused, or a reader that may share its byte with another reader:
    // who holds it? Read locks share, so a reader asks as a writer would.
    lock.l_type = F_WRLCK;
    if (fcntl(fd, F_GETLK, &lock) != 0) return true;
    if (lock.l_type != F_UNLCK) return IsAncestor(lock.l_pid);
    if (held) return true;
  }
  return false;  // the lock went and came back every time
}

// What a refused file is, for MessageStream.
void RefuseAsHeld(const struct stat& info, Refused* refused) {
  refused->why = Refusal::Held;
  refused->device = info.st_dev;
  refused->inode = info.st_ino;
}

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

File OpenHistoryFile(const char* path, Refused* refused) {
  refused->why = Refusal::NotOpened;
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
  if (fd < 0 || fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) return FailedOpen(fd, file);
  if (S_ISFIFO(info.st_mode) && !HoldForRun(fd, false, false)) {
    RefuseAsHeld(info, refused);
    return FailedOpen(fd, file);
  }
  file = StreamOf(fd, file, "rb", false);
  if (file.stream != nullptr) refused->why = Refusal::None;
  return file;
}

File OpenTextFile(const char* path, const File& history, Refused* refused) {
  refused->why = Refusal::NotOpened;
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
    refused->why = Refusal::IsHistory;
    return FailedOpen(fd, file);
  }
  const bool writable = inherited < 0 || OpenFor(fd, true);
  if (!writable) return FailedOpen(fd, file);
  const bool regular = S_ISREG(text_info.st_mode);
  if ((regular || S_ISFIFO(text_info.st_mode)) && !HoldForRun(fd, true, regular)) {
    RefuseAsHeld(text_info, refused);
    return FailedOpen(fd, file);
  }
  // An inherited descriptor may be open for writing only (`>>`): "wb"
  // neither empties nor moves it. It is written where it stands.
  const bool emptied = by_name_regular && regular;
  file = StreamOf(fd, file, emptied ? "w+b" : "wb", emptied);
  if (file.stream != nullptr) refused->why = Refusal::None;
  return file;
}

std::FILE* MessageStream(std::FILE* preferred, const File* history, const File* text,
                         const Refused* refused) {
  const auto takes_messages = [history, text, refused](std::FILE* stream) {
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
    return refused == nullptr || refused->why != Refusal::Held || info.st_dev != refused->device ||
           info.st_ino != refused->inode;
  };
  if (takes_messages(preferred)) return preferred;
  return takes_messages(stderr) ? stderr : nullptr;
}

void WriteMessage(std::FILE* stream, const char* message, std::size_t size) {
  (void)std::fwrite(message, 1, size, stream);
  (void)std::fflush(stream);
}
