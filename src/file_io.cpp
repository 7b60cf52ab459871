#include "file_io.h"

#include "io_fault_plan.h"

namespace {

IoFaultPlan* g_fault_plan = nullptr;

bool FaultDue(long IoFaultPlan::*counter, long IoFaultPlan::*fail_at) {
  if (g_fault_plan == nullptr) return false;
  long n = ++(g_fault_plan->*counter);
  return n == g_fault_plan->*fail_at;
}

}  // namespace

void SetIoFaultPlan(IoFaultPlan* plan) { g_fault_plan = plan; }

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

bool CloseFile(File file) {
  const bool faulted = FaultDue(&IoFaultPlan::closes, &IoFaultPlan::fail_close);
  const bool closed = file.borrowed ? std::fflush(file.stream) == 0 : std::fclose(file.stream) == 0;
  return closed && !faulted;
}
