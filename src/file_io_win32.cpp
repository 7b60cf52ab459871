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
  // \\.\pipe\NAME or \\.\mailslot\NAME (also under \\?\): opening one
  // only to look at it may use it up (a pipe instance is taken by whoever
  // connects first).
  bool pipe;
  // \\.\NAME with nothing after it, NAME no drive: NUL, CON, COM1, CONOUT$.
  // A device may refuse an open that only looks (CON needs a direction).
  bool device_name;
};

bool StartsWithNoCase(const std::wstring& text, std::wstring_view start) {
  return text.size() >= start.size() &&
         CompareStringOrdinal(text.c_str(), static_cast<int>(start.size()), start.data(),
                              static_cast<int>(start.size()), TRUE) == CSTR_EQUAL;
}

// False when `path` is not valid UTF-8, a name no file can have. What a
// path reaches is not told by its spelling: \\.\NAME\... is a file like
// any other where NAME is a drive, a volume or a DOS device name for a
// folder. Only pipes and mailslots are known by name alone.
bool MakeWidePath(const char* path, WidePath* wide) {
  std::wstring typed;
  if (!Widen(path, &typed)) return false;
  const std::wstring full = PathText([&typed](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(typed.c_str(), size, buffer, nullptr);
  });
  wide->path = LongPathForm(typed, full);
  wide->full = full;
  const std::wstring rest = IsPrefixed(full) ? full.substr(4) : std::wstring();
  wide->pipe = StartsWithNoCase(rest, L"pipe\\") || StartsWithNoCase(rest, L"mailslot\\");
  wide->device_name = full.starts_with(L"\\\\.\\") && !rest.empty() &&
                      rest.find_first_of(L"\\:") == std::wstring::npos;
  return true;
}

// True for whatever exists and is no disk file: a device or a pipe, whether
// or not its name says so (/dev/full under Wine). Opened only to ask, with
// no access to the data, so that no other program's sharing mode gets in
// the way.
bool IsDevice(const WidePath& wide) {
  if (wide.pipe) return true;
  HANDLE handle =
      CreateFileW(wide.path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return wide.device_name;
  const bool device = GetFileType(handle) != FILE_TYPE_DISK;
  CloseHandle(handle);
  return device;
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

// The identity of an open file; false for whatever is no disk file (a
// device, a pipe), which the text cannot harm. `full`, the full path it was
// opened by, stands in where Windows gives neither an index nor a final
// path; it may be empty.
bool IdentifyHandle(HANDLE handle, const std::wstring& full, FileIdentity* identity) {
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) return false;
  FileIdRecord record;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandleEx(handle, FileIdInfoClass, &record, sizeof record) != 0) {
    identity->volume = record.volume;
    std::memcpy(identity->index.data(), record.id.Identifier, identity->index.size());
  }
  // A file system without 128-bit indexes may answer with zeros.
  if (IsUnknown(identity->index) && GetFileInformationByHandle(handle, &info) != 0) {
    const std::uint64_t index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity->volume = info.dwVolumeSerialNumber;
    std::memcpy(identity->index.data(), &index, sizeof index);
  }
  // Without a final path the full one catches at least two spellings of
  // one path.
  if (IsUnknown(identity->index)) {
    identity->final_path = FinalPath(handle);
    if (identity->final_path.empty()) identity->final_path = full;
  }
  return true;
}

HANDLE HandleOf(std::FILE* stream) {
  const int fd = stream == nullptr ? -1 : _fileno(stream);
  // The C library hands out the handle as an integer.
  return fd >= 0 ? reinterpret_cast<HANDLE>(_get_osfhandle(fd))  // NOLINT
                 : INVALID_HANDLE_VALUE;
}

// True when both handles may be one disk file. A handle that the tool
// inherited may come without its volume (Wine gives a Linux descriptor
// volume 0): the index alone then decides. A false match only sends a
// message to standard error.
bool MaybeSameDiskFile(HANDLE a, HANDLE b) {
  FileIdentity first;
  FileIdentity second;
  if (!IdentifyHandle(a, L"", &first) || !IdentifyHandle(b, L"", &second)) return false;
  if (first.volume == 0 || second.volume == 0) first.volume = second.volume = 0;
  return SameFile(first, second);
}

// The C library's unbuffered stream for a handle; closes the handle on
// failure.
File StreamOf(HANDLE handle, int flags, const char* mode) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (fd == -1) {
    CloseHandle(handle);
    return File{};
  }
  File file{_fdopen(fd, mode), false};
  if (file.stream == nullptr)
    _close(fd);
  else
    (void)std::setvbuf(file.stream, nullptr, _IONBF, 0);
  return file;
}

// The text that another handle holds for writing, identified through a
// handle that asks for its attributes only, which no sharing mode refuses.
// The history (`h.hst h.hst >> h.hst`) is refused as IsHistory. Any other
// file comes back open through that handle, so that messages keep out of
// it: as held by the tool's own standard output or error (cmd's `> t.txt`)
// it is refused as NotOpened, as held by another process as Held.
File HeldText(const WidePath& wide, const File& history, Refused* refused) {
  HANDLE handle = CreateFileW(wide.path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  FileIdentity text;
  FileIdentity history_identity;
  if (!IdentifyHandle(handle, wide.full, &text)) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return File{};
  }
  if (IdentifyHandle(HandleOf(history.stream), L"", &history_identity) &&
      SameFile(text, history_identity)) {
    CloseHandle(handle);
    refused->why = Refusal::IsHistory;
    return File{};
  }
  const bool own = MaybeSameDiskFile(handle, GetStdHandle(STD_OUTPUT_HANDLE)) ||
                   MaybeSameDiskFile(handle, GetStdHandle(STD_ERROR_HANDLE));
  refused->why = own ? Refusal::NotOpened : Refusal::Held;
  return StreamOf(handle, _O_RDONLY, "rb");
}

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
// Others may go on reading, writing, renaming and deleting the history
// file: a recorder that rotates its history files must not fail because of
// us. Nothing waits on Windows as a FIFO does on other systems: the check by
// name is not needed.
bool SameFifo(const char* /*history_path*/, const char* /*text_path*/) { return false; }

File OpenHistoryFile(const char* path, Refused* refused) {
  refused->why = Refusal::NotOpened;
  WidePath wide;
  if (!MakeWidePath(path, &wide)) return File{};
  HANDLE handle = CreateFileW(wide.path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return File{};
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) != 0 &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    CloseHandle(handle);
    return File{};
  }
  File file = StreamOf(handle, _O_RDONLY, "rb");
  if (file.stream != nullptr) refused->why = Refusal::None;
  return file;
}

File OpenTextFile(const char* path, const File& history, Refused* refused) {
  refused->why = Refusal::NotOpened;
  WidePath wide;
  if (!MakeWidePath(path, &wide)) return File{};
  if (IsDevice(wide)) {  // NUL, CON, a pipe: opened as it is, never created
    HANDLE handle = CreateFileW(wide.path.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return File{};
    File file = StreamOf(handle, _O_WRONLY, "wb");
    if (file.stream != nullptr) refused->why = Refusal::None;
    return file;
  }
  // No other writer while this run holds the text: a second run into the
  // same file fails here with a sharing violation, before anything is
  // emptied.
  HANDLE handle = CreateFileW(wide.path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION ? HeldText(wide, history, refused) : File{};
  // The history shares writing, so its file opens here again under any
  // name (a link, a short name, \\?\): compared before it is emptied.
  FileIdentity text;
  FileIdentity history_identity;
  if (IdentifyHandle(handle, wide.full, &text) &&
      IdentifyHandle(HandleOf(history.stream), L"", &history_identity) &&
      SameFile(text, history_identity)) {
    CloseHandle(handle);
    refused->why = Refusal::IsHistory;
    return File{};
  }
  File file = StreamOf(handle, _O_RDWR, "w+b");
  if (file.stream == nullptr) return File{};
  // Emptied only now, when nothing that may fail for want of memory is left
  // to do: a failed open leaves the old text as it was.
  if (SetEndOfFile(handle) == 0) {
    (void)std::fclose(file.stream);
    return File{};
  }
  refused->why = Refusal::None;
  return file;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  if (!IsUnknown(a.index) && !IsUnknown(b.index)) return a.volume == b.volume && a.index == b.index;
  return !a.final_path.empty() &&
         CompareStringOrdinal(a.final_path.c_str(), -1, b.final_path.c_str(), -1, TRUE) ==
             CSTR_EQUAL;
}

// Standard output redirected to the history (`>> h.hst`), to the text
// through another handle, or to a refused text that it holds itself (cmd's
// `> t.txt`), would take the message as data. A refused text comes back
// open (see HeldText) and is `text` here, so `refused` is not needed.
std::FILE* MessageStream(std::FILE* preferred, const File* history, const File* text,
                         const Refused* /*refused*/) {
  const auto takes_messages = [history, text](std::FILE* stream) {
    const HANDLE handle = HandleOf(stream);
    return !(history != nullptr && MaybeSameDiskFile(handle, HandleOf(history->stream))) &&
           !(text != nullptr && MaybeSameDiskFile(handle, HandleOf(text->stream)));
  };
  if (takes_messages(preferred)) return preferred;
  return takes_messages(stderr) ? stderr : nullptr;
}

void WriteMessage(std::FILE* stream, const char* message, std::size_t size) {
  const HANDLE console = HandleOf(stream);
  DWORD console_mode;
  if (GetConsoleMode(console, &console_mode) == 0) {
    (void)std::fwrite(message, 1, size, stream);
    (void)std::fflush(stream);
    return;
  }
  // In pieces through a buffer on the stack, each ending on a character's
  // first byte, so that no character is split. Never more UTF-16 units
  // than UTF-8 bytes; bytes that are not UTF-8 show as U+FFFD.
  constexpr std::size_t Piece = 1024;
  wchar_t wide[Piece];
  while (size > 0) {
    std::size_t part = size < Piece ? size : Piece;
    while (part < size && part > Piece - 4 && (message[part] & 0xC0) == 0x80) --part;
    const int units = MultiByteToWideChar(CP_UTF8, 0, message, static_cast<int>(part), wide,
                                          static_cast<int>(Piece));
    DWORD written = 0;
    for (int at = 0; at < units; at += static_cast<int>(written))
      if (WriteConsoleW(console, wide + at, static_cast<DWORD>(units - at), &written, nullptr) ==
              0 ||
          written == 0)
        return;
    message += part;
    size -= part;
  }
}
