#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "file_io_win32.h"
#include "front_end.h"

// The wide entry point (linked with -municode) gets the arguments as the C
// library splits the command line, with every character intact; the narrow
// one would squeeze them into the ANSI code page. The run takes them as
// UTF-8, which OpenFile widens again, and messages repeat them as UTF-8 (a
// console gets them as UTF-16: see WriteMessage).
// Standard output goes to binary mode: in text mode the C library would turn
// each CR LF the tool writes into CR CR LF.
int wmain(int argc, wchar_t** wide_argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args;
  args.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) args.push_back(Narrow(wide_argv[i]));
  std::vector<const char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  return RunVindolar(argc, argv.data(), stdout);
}
