#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The thin layer between the tool and the operating system's files: every
// read, write and close of the history and text files goes through here, so
// that one place decides what counts as a failure (and tests can inject one).

// Opens `path` with the C library's `mode` ("rb", "wb" or "w+b"). The path
// is UTF-8 on Windows. The stream is unbuffered: callers read and write
// through buffers of their own.
std::FILE* OpenFile(const char* path, const char* mode);

// kOther is whatever is neither a regular file nor a folder: a pipe, a
// FIFO, a character device or a socket.
enum class PathKind { kMissing, kRegularFile, kDirectory, kOther };
PathKind KindOfPath(const char* path);

// What tells two names of one file apart from two files: device and inode,
// or on Windows the volume serial number and file index.
struct FileIdentity {
  std::uint64_t volume;
  std::uint64_t index;
};
// By path, without opening the file for reading or writing.
bool IdentifyPath(const char* path, FileIdentity* identity);
bool SameFile(const FileIdentity& a, const FileIdentity& b);

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

#ifdef _WIN32
// The form of a path that Windows calls take, given the path as typed and
// its full form (from GetFullPathNameW): as typed while the full path is
// shorter than the classic limit of 260 characters, otherwise the full path
// marked \\?\ (\\?\UNC\ for a share), which lifts the limit. A path
// already in the \\?\ or \\.\ form stays as typed.
std::wstring LongPathForm(const std::wstring& typed, const std::wstring& full);
#endif

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
