// A program of its own that converts a history file with the installed
// library, through its front end: consumer HISTORY TEXT
#include <vindolar/front_end.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: consumer HISTORY TEXT\n", stderr);
    return 2;
  }
  const char* const args[] = {"consumer", argv[1], argv[2], nullptr};
  return RunVindolar(3, args, stdout);
}
