#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "file_io.h"
#include "file_io_win32.h"
#include "front_end.h"

namespace {

// Explorer starts a console program, on a double-click or a drop, in a
// console of its own that closes as the program ends. Such a console has
// this one process on it, and standard input and output are that console;
// a shell's console has the shell on it too, and a script redirects.
bool InOwnWindow() {
  DWORD mode;
  DWORD processes[2];
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 &&
         GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0 &&
         GetConsoleProcessList(processes, 2) == 1;
}

// Returns at Enter, at Ctrl+Z (the console's end of input), when the console
// input fails or goes away, or after `milliseconds`.
void WaitForEnter(HANDLE input, ULONGLONG milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    if (WaitForSingleObject(input, static_cast<DWORD>(end - now)) != WAIT_OBJECT_0) return;
    INPUT_RECORD records[16];
    DWORD count = 0;
    if (ReadConsoleInputW(input, records, 16, &count) == 0 || count == 0) return;
    for (DWORD i = 0; i < count; ++i) {
      const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
      if (records[i].EventType == KEY_EVENT && key.bKeyDown != 0 &&
          (key.wVirtualKeyCode == VK_RETURN || key.uChar.UnicodeChar == L'\r' ||
           key.uChar.UnicodeChar == 0x1A))
        return;
    }
  }
}

}  // namespace

// The wide entry point (linked with -municode) gets the arguments as the C
// library splits the command line, with every character intact; the narrow
// one would squeeze them into the ANSI code page. The run takes them as
// UTF-8, which OpenFile widens again, and messages repeat them as UTF-8 (a
// console gets them as UTF-16: see WriteMessage).
// Standard output and error go to binary mode: in text mode the C library
// would turn each CR LF the tool writes into CR CR LF.
int wmain(int argc, wchar_t** wide_argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> args;
  args.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) args.push_back(Narrow(wide_argv[i]));
  std::vector<const char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  const RunResult result = RunVindolar(argc, argv.data(), stdout);
  // In a window of its own a message would vanish with the window: keep it
  // open until the user has read it, or for half a minute.
  if (result.wrote_message && InOwnWindow()) {
    constexpr char PressEnter[] = "Press Enter to close this window.\r\n";
    WriteMessage(stdout, PressEnter, sizeof PressEnter - 1);
    WaitForEnter(GetStdHandle(STD_INPUT_HANDLE), 30000);
  }
  return result.status;
}
