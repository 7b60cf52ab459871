#include "file_io_win32.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string_view>

#include "file_io.h"

namespace {

// \\?\ (no further parsing) or \\.\ (the device namespace).
bool IsPrefixed(const std::wstring& path) {
  return path.starts_with(L"\\\\.\\") || path.starts_with(L"\\\\?\\");
}

// The text of a Windows call that writes a path into a buffer and returns
// its length, or the size it needs when the buffer is too small; empty when
// the call fails.
template <typename Call>
std::wstring PathText(Call call) {
  std::wstring text(MAX_PATH, L'\0');
  DWORD size = call(text.data(), MAX_PATH);
  if (size >= MAX_PATH) {
    text.resize(size);
    size = call(text.data(), size);
  }
  text.resize(size < text.size() ? size : 0);
  return text;
}

struct WidePath {
  std::wstring path;  // what the Windows calls take
  std::wstring full;  // from GetFullPathNameW
  // NUL, CON, \\.\pipe\NAME and the like: opening one only to look at it
  // may use it up (a pipe instance is taken by whoever connects first).
  bool device;
};

// False when `path` is not valid UTF-8, a name no file can have.
bool MakeWidePath(const char* path, WidePath* wide) {
  std::wstring typed;
  if (!Widen(path, &typed)) return false;
  const std::wstring full = PathText([&typed](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(typed.c_str(), size, buffer, nullptr);
  });
  wide->path = LongPathForm(typed, full);
  wide->full = full;
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

// The record and class value that GetFileInformationByHandleEx takes for
// the 128-bit identity, declared here because the headers show them only
// to programs that require Windows 8; older systems fail the call.
struct FileIdRecord {
  ULONGLONG volume;
  FILE_ID_128 id;
};
const auto FileIdInfoClass = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

bool IsUnknown(const std::array<unsigned char, 16>& index) {
  return index == std::array<unsigned char, 16>{};
}

std::wstring FinalPath(HANDLE handle) {
  return PathText([handle](wchar_t* buffer, DWORD size) {
    return GetFinalPathNameByHandleW(handle, buffer, size, VOLUME_NAME_NT);
  });
}

// False for whatever is no disk file (a device, a pipe): the text cannot
// harm it, so it is never refused.
bool IdentifyPath(const char* path, FileIdentity* identity) {
  WidePath wide;
  if (!MakeWidePath(path, &wide) || wide.device) return false;
  HANDLE handle = OpenForQuery(wide.path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
  FileIdRecord record;
  BY_HANDLE_FILE_INFORMATION info;
  if (disk && GetFileInformationByHandleEx(handle, FileIdInfoClass, &record, sizeof record) != 0) {
    identity->volume = record.volume;
    std::memcpy(identity->index.data(), record.id.Identifier, identity->index.size());
  }
  // A file system without 128-bit indexes may answer with zeros.
  if (disk && IsUnknown(identity->index) && GetFileInformationByHandle(handle, &info) != 0) {
    const std::uint64_t index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity->volume = info.dwVolumeSerialNumber;
    std::memcpy(identity->index.data(), &index, sizeof index);
  }
  // Without a final path the full one catches at least two spellings of
  // one path.
  if (disk && IsUnknown(identity->index)) {
    identity->final_path = FinalPath(handle);
    if (identity->final_path.empty()) identity->final_path = wide.full;
  }
  CloseHandle(handle);
  return disk;
}

bool wrote_message = false;

}  // namespace

bool Widen(const char* text, std::wstring* wide) {
  int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (size <= 0) return false;
  wide->resize(static_cast<std::size_t>(size));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide->data(), size);
  wide->pop_back();  // the converted NUL
  return true;
}

std::string Narrow(const wchar_t* wide) {
  int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
  text.pop_back();  // the converted NUL
  return text;
}

std::wstring LongPathForm(const std::wstring& typed, const std::wstring& full) {
  if (IsPrefixed(typed) || IsPrefixed(full) || full.size() < MAX_PATH) return typed;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  return typed;
}

// Files are opened through CreateFileW, not the C library, for the wide and
// long paths and for the sharing mode; the C library then gets the handle.
File OpenFile(const char* path, OpenMode mode) {
  WidePath wide;
  if (!MakeWidePath(path, &wide)) return File{};
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  // Others may go on reading, writing, renaming and deleting the history
  // file: a recorder that rotates its history files must not fail because
  // of us.
  DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  int flags = _O_RDONLY;
  const char* stream_mode = "rb";
  if (mode == OpenMode::Write) {  // a device or pipe (NUL, CON): opened as it is, never created
    access = GENERIC_WRITE;
    flags = _O_WRONLY;
    stream_mode = "wb";
  } else if (mode == OpenMode::CreateOrEmpty) {
    // No other writer while this run holds the text: a second run into the
    // same file fails here with a sharing violation, before anything is
    // emptied.
    access = GENERIC_READ | GENERIC_WRITE;
    disposition = OPEN_ALWAYS;
    sharing = FILE_SHARE_READ | FILE_SHARE_DELETE;
    flags = _O_RDWR;
    stream_mode = "w+b";
  }
  HANDLE handle = CreateFileW(wide.path.c_str(), access, sharing, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return File{};
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (fd == -1) {
    CloseHandle(handle);
    return File{};
  }
  File file{_fdopen(fd, stream_mode), false};
  if (file.stream == nullptr) {
    _close(fd);
    return File{};
  }
  // Emptied only now, when nothing that may fail for want of memory is left
  // to do: a failed open leaves the old text as it was.
  if (mode == OpenMode::CreateOrEmpty && SetEndOfFile(handle) == 0) {
    (void)std::fclose(file.stream);
    return File{};
  }
  (void)std::setvbuf(file.stream, nullptr, _IONBF, 0);
  return file;
}

PathKind KindOfPath(const char* path) {
  WidePath wide;
  if (!MakeWidePath(path, &wide)) return PathKind::Missing;
  if (wide.device) return PathKind::Other;
  HANDLE handle = OpenForQuery(wide.path);
  if (handle == INVALID_HANDLE_VALUE) return PathKind::Missing;
  PathKind kind = PathKind::Other;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) != 0)
    kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory
                                                                   : PathKind::RegularFile;
  CloseHandle(handle);
  return kind;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  if (!IsUnknown(a.index) && !IsUnknown(b.index)) return a.volume == b.volume && a.index == b.index;
  return !a.final_path.empty() &&
         CompareStringOrdinal(a.final_path.c_str(), -1, b.final_path.c_str(), -1, TRUE) ==
             CSTR_EQUAL;
}

bool NameOneFile(const char* history_path, const char* text_path) {
  FileIdentity history;
  FileIdentity text;
  return IdentifyPath(history_path, &history) && IdentifyPath(text_path, &text) &&
         SameFile(history, text);
}

bool WroteMessage() { return wrote_message; }

void WriteMessage(std::FILE* stream, const char* message, std::size_t size) {
  wrote_message = true;
  int fd = _fileno(stream);
  // The C library hands out the handle as an integer.
  HANDLE console = fd >= 0 ? reinterpret_cast<HANDLE>(_get_osfhandle(fd))  // NOLINT
                           : INVALID_HANDLE_VALUE;
  DWORD console_mode;
  if (GetConsoleMode(console, &console_mode) != 0) {
    // Never more UTF-16 units than UTF-8 bytes. Bytes that are not UTF-8
    // show as U+FFFD.
    std::wstring wide(size, L'\0');
    const int units = MultiByteToWideChar(CP_UTF8, 0, message, static_cast<int>(size), wide.data(),
                                          static_cast<int>(wide.size()));
    DWORD written = 0;
    for (int at = 0; at < units; at += static_cast<int>(written))
      if (WriteConsoleW(console, wide.data() + at, static_cast<DWORD>(units - at), &written,
                        nullptr) == 0 ||
          written == 0)
        break;
    return;
  }
  // One write, so that a message reaches a pipe in one piece.
  (void)std::fwrite(message, 1, size, stream);
  (void)std::fflush(stream);
}
