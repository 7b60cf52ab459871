#include <cstdio>

#include "front_end.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* wide) {
  int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
  text.pop_back();  // the converted NUL
  return text;
}

}  // namespace

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
  for (int i = 0; i < argc; ++i) args.push_back(Utf8(wide_argv[i]));
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  return RunVindolar(argc, argv.data(), stdout);
}
#else
int main(int argc, char** argv) { return RunVindolar(argc, argv, stdout); }
#endif
