// Runs a command and prints its peak resident memory in KiB and its exit
// status. A separate small program, because a child's peak counts the memory
// of the process it was forked from: forked from the benchmark itself, the
// benchmark's own memory would show instead of the tool's. Address space
// randomization is off for the child: where the loader places the shared C
// library otherwise moves the peak by up to 100 KiB from run to run, which
// would hide whether the tool's own memory depends on its input.
#include <sys/personality.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  pid_t pid = fork();
  if (pid == 0) {
    personality(ADDR_NO_RANDOMIZE);
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) return 2;
  std::printf("%ld %d\n", usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}
