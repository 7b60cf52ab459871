#include "file_io.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
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
// not valid UTF-8 or does not fit in `capacity` characters.
bool Widen(const char* text, wchar_t* out, int capacity) {
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, out, capacity) > 0;
}

bool IdentifyHandle(HANDLE handle, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}
#endif

}  // namespace

void SetIoFaultPlan(IoFaultPlan* plan) { g_fault_plan = plan; }

#ifdef _WIN32

std::FILE* OpenFile(const char* path, const char* mode) {
  wchar_t wide_path[32768];
  wchar_t wide_mode[8];
  if (!Widen(path, wide_path, 32768) || !Widen(mode, wide_mode, 8)) return nullptr;
  std::FILE* file = _wfopen(wide_path, wide_mode);
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

PathKind KindOfPath(const char* path) {
  wchar_t wide_path[32768];
  if (!Widen(path, wide_path, 32768)) return PathKind::kMissing;
  struct _stat64 info;
  if (_wstat64(wide_path, &info) != 0) return PathKind::kMissing;
  if ((info.st_mode & _S_IFMT) == _S_IFREG) return PathKind::kRegularFile;
  return (info.st_mode & _S_IFMT) == _S_IFDIR ? PathKind::kDirectory : PathKind::kOther;
}

bool IdentifyPath(const char* path, FileIdentity* identity) {
  wchar_t wide_path[32768];
  if (!Widen(path, wide_path, 32768)) return false;
  HANDLE handle = CreateFileW(wide_path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  bool known = IdentifyHandle(handle, identity);
  CloseHandle(handle);
  return known;
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
