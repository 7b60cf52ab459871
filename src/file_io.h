#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The thin layer between the tool and the operating system's files: every
// open, read, write and close of the history and text files goes through
// here, so that one place decides what counts as a failure (and tests can
// inject one). What differs between systems is in file_io_posix.cpp and
// file_io_win32.cpp.

// Opens `path` for the tool: "rb" reads it, "w+b" creates or empties it for
// reading and writing, "wb" writes to something that already exists and is
// no regular file (a pipe, a FIFO, a device), never creating one. The path
// is UTF-8 on Windows. On other systems /dev/stdin, /dev/stdout,
// /dev/stderr and /dev/fd/N name the descriptors the tool inherited. The
// stream is unbuffered: callers read and write through buffers of their own.
std::FILE* OpenFile(const char* path, const char* mode);

// kOther is whatever is neither a regular file nor a folder: a pipe, a
// FIFO, a character device or a socket.
enum class PathKind { kMissing, kRegularFile, kDirectory, kOther };
PathKind KindOfPath(const char* path);

// True when both paths name one file, under any name (a link, another
// spelling of the path): writing the text would empty the history file, or
// feed a FIFO its own output. Asks without opening either file.
bool NameOneFile(const char* history_path, const char* text_path);

// Reads up to `size` bytes and returns how many arrived. Fewer arrive at the
// end of the file or after an I/O error; any short read but the end of the
// file sets *failed.
std::size_t ReadBytes(std::FILE* file, void* data, std::size_t size, bool* failed);
// Returns false unless all `size` bytes were written.
bool WriteBytes(std::FILE* file, const void* data, std::size_t size);
bool CloseFile(std::FILE* file);

// Writes one whole message to `stream` and flushes it. On Windows a console
// gets the UTF-8 message as UTF-16 through WriteConsoleW, so that the user
// reads the characters of the paths whatever the console's code page; a
// file or pipe gets the bytes as they are.
void WriteMessage(std::FILE* stream, const std::string& message);

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
