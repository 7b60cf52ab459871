#pragma once

#include <cstddef>
#include <cstdio>

// The thin layer between the tool and the operating system's files: every
// open, read, write and close of the history and text files goes through
// here, so that one place decides what counts as a failure. What differs
// between systems is in file_io_posix.cpp and file_io_win32.cpp. Paths are
// UTF-8 on Windows. On other systems /dev/stdin, /dev/stdout, /dev/stderr
// and /dev/fd/N name the descriptors the tool inherited.

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

// Opens the history file for reading. A folder is refused: some systems
// open one and fail only its reads. A FIFO or pipe that another run is
// reading is refused too: the two runs would split its bytes between them.
[[nodiscard]] File OpenHistoryFile(const char* path);

// Why OpenTextFile gave no file. Held: another process is writing it.
enum class TextRefusal { None, NotOpened, IsHistory, Held };

// Opens the text file. A regular file is created or emptied, for reading
// and writing, so that a file that cannot be opened for both fails. A pipe,
// a FIFO or a device is opened for writing only and never created: a tool
// that holds the read end of its own output never learns that the reader
// has gone, and a FIFO would take the text with no reader at all.
// The file is compared with the open history before anything is emptied or
// written, whatever name reached either: one regular file, block device or
// FIFO is refused as IsHistory and left as it is. A regular file, FIFO or
// pipe that another run is writing, through any name or descriptor, is
// refused and left as it is too (as Held on Windows, which tells it from a
// text that the tool's own standard output holds). There a refused text
// that another handle holds may come back open with no access to its data,
// so that messages keep out of it (cmd's `> t.txt`); the caller closes it.
[[nodiscard]] File OpenTextFile(const char* path, const File& history, TextRefusal* refusal);

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
// descriptor than `preferred`'s own, or a file that another run is writing.
// Either file may be null while it is not open.
[[nodiscard]] std::FILE* MessageStream(std::FILE* preferred, const File* history, const File* text);

// Writes one whole message to `stream` with one write and flushes it, so
// that a pipe keeps it whole up to PIPE_BUF bytes. On
// Windows a console gets the UTF-8 message as UTF-16 through WriteConsoleW,
// so that the user reads the characters of the paths whatever the console's
// code page; a file or pipe gets the bytes as they are.
void WriteMessage(std::FILE* stream, const char* message, std::size_t size);
