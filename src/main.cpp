#include <cstdio>

#include "front_end.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <windows.h>

#include <string>
#include <vector>

// Standard output in text mode would turn our CR LF into CR CR LF, and the
// narrow argv would lose characters outside the code page: take the wide
// command line and hand the run UTF-8.
int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  int argc = 0;
  wchar_t** wide_argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide_argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    if (size > 1)
      WideCharToMultiByte(CP_UTF8, 0, wide_argv[i], -1, arg.data(), size, nullptr, nullptr);
    args.push_back(arg);
  }
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  return RunVindolar(argc, argv.data(), stdout);
}
#else
int main(int argc, char** argv) { return RunVindolar(argc, argv, stdout); }
#endif
