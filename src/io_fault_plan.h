#pragma once

// Test seam of file_io.cpp: when a plan is set, the n-th read, write or
// close (counted from 1 since the plan was set) fails as an I/O error would.
// Zero fails nothing. The plan also counts the bytes that reads delivered
// and that writes stored, so that a test knows how much arrived before a
// fault.
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
