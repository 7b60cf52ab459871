#pragma once

#include <cstddef>
#include <cstdio>

// How the tool opens, tells apart, locks and closes its files, and where its
// messages may go: every open, read, write and close of the history and text
// files goes through here, and so do the opening policy (what each kind of
// file is opened for), the test of whether two names are one file, the locks
// that keep runs apart, and the choice of the stream a message goes to. What
// differs between systems is in file_io_posix.cpp, whose top comment states
// the locks, and file_io_win32.cpp, which uses sharing modes instead. Paths
// are UTF-8 on Windows. On other systems exactly /dev/stdin, /dev/stdout,
// /dev/stderr and /dev/fd/N name the descriptors the tool inherited.

// An open file. Its stream is unbuffered: callers read and write through
// buffers of their own. A borrowed file is an inherited descriptor used as
// it is, since no copy of it could be made: closing it only flushes, so the
// tool's own standard streams stay open.
struct File {
  std::FILE* stream = nullptr;
  bool borrowed = false;
  // The inherited descriptor the file was reached through, or -1.
  int inherited = -1;
};

// True when both paths name one FIFO, under any name. Opening either end
// would wait for the other, which this run itself would have to open: it
// is asked before anything is opened.
[[nodiscard]] bool SameFifo(const char* history_path, const char* text_path);

// Why an open gave no file. Held: another process holds the file's lock.
enum class Refusal { None, NotOpened, IsHistory, Held };

// A refused open, and for a held file which file it is (its device and
// inode, taken while it was open), so that no message is sent into it.
struct Refused {
  Refusal why = Refusal::None;
  unsigned long long device = 0;
  unsigned long long inode = 0;
};

// Opens the history file for reading. A folder is refused: some systems
// open one and fail only its reads. A FIFO or pipe that another run is
// reading is refused as Held: the two runs would split its bytes.
[[nodiscard]] File OpenHistoryFile(const char* path, Refused* refused);

// Opens the text file. A regular file is created or emptied, for reading
// and writing although it is only written: callers rely on a text file that
// cannot be opened for both (a write-only one) being refused. A pipe, a FIFO
// or a device is opened for writing only and never created: a tool that
// holds the read end of its own output never learns that the reader has
// gone, and a FIFO would take the text with no reader at all.
// The file is compared with the open history before anything is emptied or
// written, whatever name reached either: one regular file, block device or
// FIFO is refused as IsHistory and left as it is. A regular file, FIFO or
// pipe whose lock another process holds (other than one of the run's
// ancestors), through any name or descriptor, is refused as Held and left
// as it is too. On Windows a refused text that another handle holds may
// come back open with no access to its data, so that messages keep out of
// it (cmd's `> t.txt`); the caller closes it.
[[nodiscard]] File OpenTextFile(const char* path, const File& history, Refused* refused);

// Reads up to `size` bytes and returns how many arrived. Fewer arrive at the
// end of the file or after an I/O error; any short read but the end of the
// file sets *failed.
[[nodiscard]] std::size_t ReadBytes(std::FILE* file, void* data, std::size_t size, bool* failed);
// Returns false unless all `size` bytes were written.
[[nodiscard]] bool WriteBytes(std::FILE* file, const void* data, std::size_t size);
// Closes a file; false when the close, or the flush of a borrowed one, fails.
[[nodiscard]] bool CloseFile(File file);

// Where a message may go: `preferred` (standard output), unless it is a
// data file, else standard error under the same test, else nowhere (null).
// A data file is the open history, the text reached through another
// descriptor than `preferred`'s own, or the file whose lock refused this
// run (`refused`). Only identities are compared: a file that another
// process locks, such as a log, takes messages. Any pointer may be null.
[[nodiscard]] std::FILE* MessageStream(std::FILE* preferred, const File* history, const File* text,
                                       const Refused* refused);

// Writes one whole message to `stream` with one write and flushes it, so
// that a pipe keeps it whole up to PIPE_BUF bytes. On
// Windows a console gets the UTF-8 message as UTF-16 through WriteConsoleW,
// so that the user reads the characters of the paths whatever the console's
// code page; a file or pipe gets the bytes as they are.
void WriteMessage(std::FILE* stream, const char* message, std::size_t size);
