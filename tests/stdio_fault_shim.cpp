// Preloaded into the tool by tests/fault_sweep.sh (LD_PRELOAD): fails the
// k-th fread, fwrite or fclose on one of the tool's files the way a blunt
// fault injector does, returning nothing with errno EIO and leaving the
// stream's end-of-file and error flags alone, so that the tool may not rely
// on them. VINDOLAR_FAIL_CALL names the function, VINDOLAR_FAIL_AT gives k,
// and only calls on files in the folder VINDOLAR_FAIL_FOLDER count (not the
// standard streams, nor the runtime's own files, such as coverage data);
// the shim appends a line to VINDOLAR_FAIL_LOG when it fails a call.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long g_calls = 0;

template <typename Function>
Function Next(const char* name) {
  void* symbol = dlsym(RTLD_NEXT, name);
  Function function = nullptr;
  std::memcpy(&function, &symbol, sizeof function);
  return function;
}

// True when `stream` is a file in `folder`.
bool InFolder(std::FILE* stream, const char* folder) {
  char link[64];
  (void)std::snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(stream));
  char target[4096];
  ssize_t length = readlink(link, target, sizeof target - 1);
  if (length < 0) return false;
  target[length] = '\0';
  std::size_t folder_length = std::strlen(folder);
  return std::strncmp(target, folder, folder_length) == 0 && target[folder_length] == '/';
}

bool FaultDue(const char* function, std::FILE* stream) {
  const char* which = std::getenv("VINDOLAR_FAIL_CALL");
  const char* at = std::getenv("VINDOLAR_FAIL_AT");
  const char* folder = std::getenv("VINDOLAR_FAIL_FOLDER");
  if (which == nullptr || at == nullptr || folder == nullptr || std::strcmp(which, function) != 0 ||
      stream == stdout || stream == stderr || !InFolder(stream, folder) ||
      ++g_calls != std::atol(at))
    return false;
  if (const char* log = std::getenv("VINDOLAR_FAIL_LOG")) {
    int fd = open(log, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) {
      (void)!write(fd, "failed\n", 7);
      close(fd);
    }
  }
  errno = EIO;
  return true;
}

}  // namespace

extern "C" std::size_t fread(void* data, std::size_t size, std::size_t count, std::FILE* stream) {
  static auto next = Next<std::size_t (*)(void*, std::size_t, std::size_t, std::FILE*)>("fread");
  return FaultDue("fread", stream) ? 0 : next(data, size, count, stream);
}

extern "C" std::size_t fwrite(const void* data, std::size_t size, std::size_t count,
                              std::FILE* stream) {
  static auto next =
      Next<std::size_t (*)(const void*, std::size_t, std::size_t, std::FILE*)>("fwrite");
  return FaultDue("fwrite", stream) ? 0 : next(data, size, count, stream);
}

extern "C" int fclose(std::FILE* stream) {
  static auto next = Next<int (*)(std::FILE*)>("fclose");
  const bool fail = FaultDue("fclose", stream);
  const int result = next(stream);
  return fail ? EOF : result;
}
