#pragma once

#include <cstddef>
#include <cstdio>

// The thin layer between the tool and the operating system's files: every
// open, read, write and close of the history and text files goes through
// here, so that one place decides what counts as a failure (and tests can
// inject one). What differs between systems is in file_io_posix.cpp and
// file_io_win32.cpp. Paths are UTF-8 on Windows. On other systems
// /dev/stdin, /dev/stdout, /dev/stderr and /dev/fd/N name the descriptors
// the tool inherited.

// An open file. Its stream is unbuffered: callers read and write through
// buffers of their own. A borrowed file is an inherited descriptor used as
// it is, since no copy of it could be made: closing it only flushes, so the
// tool's own standard streams stay open.
struct File {
  std::FILE* stream = nullptr;
  bool borrowed = false;
};

// Opens the history file for reading. A folder is refused: some systems
// open one and fail only its reads.
[[nodiscard]] File OpenHistoryFile(const char* path);

// Opens the text file. A regular file is created or emptied, for reading
// and writing, as callers have always had it, so that a file that cannot be
// opened for both fails. It is emptied only once the tool holds it alone: a
// file that another run is writing is refused and left as it is. Anything
// else (a pipe, a FIFO, a device) is opened for writing only and never
// created: a tool that holds the read end of its own output never learns
// that the reader has gone, and a FIFO would take the text with no reader
// at all. Opened for writing only, a FIFO waits for its reader.
[[nodiscard]] File OpenTextFile(const char* path);

// True when both paths name one file, under any name (a link, another
// spelling of the path): writing the text would empty the history file, or
// feed a FIFO its own output. Asks without opening either file.
[[nodiscard]] bool NameOneFile(const char* history_path, const char* text_path);

// Reads up to `size` bytes and returns how many arrived. Fewer arrive at the
// end of the file or after an I/O error; any short read but the end of the
// file sets *failed.
[[nodiscard]] std::size_t ReadBytes(std::FILE* file, void* data, std::size_t size, bool* failed);
// Returns false unless all `size` bytes were written.
[[nodiscard]] bool WriteBytes(std::FILE* file, const void* data, std::size_t size);
// Closes a file; false when the close, or the flush of a borrowed one, fails.
[[nodiscard]] bool CloseFile(File file);

// Writes one whole message to `stream` and flushes it. On Windows a console
// gets the UTF-8 message as UTF-16 through WriteConsoleW, so that the user
// reads the characters of the paths whatever the console's code page; a
// file or pipe gets the bytes as they are.
void WriteMessage(std::FILE* stream, const char* message, std::size_t size);

// What the two platforms' files implement for the functions above.
// Missing covers whatever cannot be looked at; Other is whatever is neither
// a regular file nor a folder: a pipe, a FIFO, a character device or a
// socket.
enum class PathKind { Missing, RegularFile, Directory, Other };
[[nodiscard]] PathKind KindOfPath(const char* path);
// Read: an existing file for reading. Write: an existing file that is no
// regular file, for writing. CreateOrEmpty: a regular file, created or
// emptied, for reading and writing, held alone by this run.
enum class OpenMode { Read, Write, CreateOrEmpty };
[[nodiscard]] File OpenFile(const char* path, OpenMode mode);

// Test seam: when set, the n-th read, write or close (counted from 1 since
// the plan was installed) fails as an I/O error would. Zero fails nothing.
// The plan also counts the bytes that reads delivered and that writes
// stored, so that a test knows how much arrived before a fault.
struct IoFaultPlan {
  long fail_read = 0;
  long fail_write = 0;
  long fail_close = 0;
  long reads = 0;
  long writes = 0;
  long closes = 0;
  long long bytes_read = 0;
  long long bytes_written = 0;
};
void SetIoFaultPlan(IoFaultPlan* plan);
