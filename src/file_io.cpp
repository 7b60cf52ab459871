#include "file_io.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string_view>
#endif

namespace {

IoFaultPlan* g_fault_plan = nullptr;

bool FaultDue(long IoFaultPlan::*counter, long IoFaultPlan::*fail_at) {
  if (g_fault_plan == nullptr) return false;
  long n = ++(g_fault_plan->*counter);
  return n == g_fault_plan->*fail_at;
}

#ifdef _WIN32
// Converts UTF-8 to UTF-16 for the wide Windows API. False when the text is
// not valid UTF-8.
bool Widen(const char* text, std::wstring* wide) {
  int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (size <= 0) return false;
  wide->resize(static_cast<std::size_t>(size));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide->data(), size);
  wide->pop_back();  // the converted NUL
  return true;
}

// \\?\ (no further parsing) or \\.\ (the device namespace).
bool IsPrefixed(const std::wstring& path) {
  return path.starts_with(L"\\\\.\\") || path.starts_with(L"\\\\?\\");
}

struct WidePath {
  std::wstring path;  // what the Windows calls take
  // NUL, CON, \\.\pipe\NAME and the like: opening one only to look at it
  // may use it up (a pipe instance is taken by whoever connects first).
  bool device;
};

// False when `path` is not valid UTF-8, a name no file can have.
bool MakeWidePath(const char* path, WidePath* wide) {
  std::wstring typed;
  if (!Widen(path, &typed)) return false;
  std::wstring full(MAX_PATH, L'\0');
  DWORD size = GetFullPathNameW(typed.c_str(), MAX_PATH, full.data(), nullptr);
  if (size >= MAX_PATH) {
    full.resize(size);
    size = GetFullPathNameW(typed.c_str(), size, full.data(), nullptr);
  }
  full.resize(size < full.size() ? size : 0);
  wide->path = LongPathForm(typed, full);
  // \\.\C:\... is a file like any other.
  wide->device = full.starts_with(L"\\\\.\\") && !(full.size() > 5 && full[5] == L':');
  return true;
}

// Opens `path` only to ask about it: no access to the data, so that no
// other program's sharing mode gets in the way; directories open too.
HANDLE OpenForQuery(const std::wstring& path) {
  return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}
#endif

}  // namespace

void SetIoFaultPlan(IoFaultPlan* plan) { g_fault_plan = plan; }

#ifdef _WIN32

std::wstring LongPathForm(const std::wstring& typed, const std::wstring& full) {
  if (IsPrefixed(typed) || IsPrefixed(full) || full.size() < MAX_PATH) return typed;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  return typed;
}

std::FILE* OpenFile(const char* path, const char* mode) {
  WidePath wide;
  if (!MakeWidePath(path, &wide)) return nullptr;
  const std::string_view how = mode;
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  int flags = _O_RDONLY;
  if (how == "wb") {  // a device or pipe (NUL, CON): opened as it is, never created
    access = GENERIC_WRITE;
    flags = _O_WRONLY;
  } else if (how == "w+b") {
    access = GENERIC_READ | GENERIC_WRITE;
    disposition = CREATE_ALWAYS;
    flags = _O_RDWR;
  }
  // Others may go on reading, writing, renaming and deleting the file: a
  // recorder that rotates its history files must not fail because of us.
  HANDLE handle =
      CreateFileW(wide.path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (fd == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, mode);
  if (file == nullptr) {
    _close(fd);
    return nullptr;
  }
  (void)std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

PathKind KindOfPath(const char* path) {
  WidePath wide;
  if (!MakeWidePath(path, &wide)) return PathKind::kMissing;
  if (wide.device) return PathKind::kOther;
  HANDLE handle = OpenForQuery(wide.path);
  if (handle == INVALID_HANDLE_VALUE) return PathKind::kMissing;
  PathKind kind = PathKind::kOther;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) != 0)
    kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kDirectory
                                                                   : PathKind::kRegularFile;
  CloseHandle(handle);
  return kind;
}

bool IdentifyPath(const char* path, FileIdentity* identity) {
  WidePath wide;
  if (!MakeWidePath(path, &wide) || wide.device) return false;
  HANDLE handle = OpenForQuery(wide.path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

#else

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

bool IdentifyPath(const char* path, FileIdentity* identity) {
  struct stat info;
  if (stat(path, &info) != 0) return false;
  identity->volume = static_cast<std::uint64_t>(info.st_dev);
  identity->index = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

#endif

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.volume == b.volume && a.index == b.index;
}

std::size_t ReadBytes(std::FILE* file, void* data, std::size_t size, bool* failed) {
  // A planned fault reads nothing and leaves the stream's flags as they are,
  // as a blunt fault injector does: the check below has to catch it.
  const bool faulted = FaultDue(&IoFaultPlan::reads, &IoFaultPlan::fail_read);
  std::size_t got = faulted ? 0 : std::fread(data, 1, size, file);
  // A short read is the end of the file only when the stream says so: one
  // that stops anywhere else failed, whether or not the error flag is set.
  if (got < size && (std::ferror(file) != 0 || std::feof(file) == 0)) *failed = true;
  if (g_fault_plan != nullptr) g_fault_plan->bytes_read += static_cast<long long>(got);
  return got;
}

bool WriteBytes(std::FILE* file, const void* data, std::size_t size) {
  if (FaultDue(&IoFaultPlan::writes, &IoFaultPlan::fail_write)) return false;
  std::size_t put = std::fwrite(data, 1, size, file);
  if (g_fault_plan != nullptr) g_fault_plan->bytes_written += static_cast<long long>(put);
  return put == size;
}

bool CloseFile(std::FILE* file) {
  bool faulted = FaultDue(&IoFaultPlan::closes, &IoFaultPlan::fail_close);
  return std::fclose(file) == 0 && !faulted;
}

void WriteMessage(std::FILE* stream, const std::string& message) {
#ifdef _WIN32
  int fd = _fileno(stream);
  // The C library hands out the handle as an integer.
  HANDLE console = fd >= 0 ? reinterpret_cast<HANDLE>(_get_osfhandle(fd))  // NOLINT
                           : INVALID_HANDLE_VALUE;
  DWORD console_mode;
  if (GetConsoleMode(console, &console_mode) != 0) {
    // Never more UTF-16 units than UTF-8 bytes. Bytes that are not UTF-8
    // show as U+FFFD.
    std::wstring wide(message.size(), L'\0');
    int size = MultiByteToWideChar(CP_UTF8, 0, message.data(), static_cast<int>(message.size()),
                                   wide.data(), static_cast<int>(wide.size()));
    DWORD written = 0;
    for (int at = 0; at < size; at += static_cast<int>(written))
      if (WriteConsoleW(console, wide.data() + at, static_cast<DWORD>(size - at), &written,
                        nullptr) == 0 ||
          written == 0)
        break;
    return;
  }
#endif
  // One write, so that a message reaches a pipe in one piece.
  (void)std::fwrite(message.data(), 1, message.size(), stream);
  (void)std::fflush(stream);
}
