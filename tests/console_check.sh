#!/usr/bin/env bash
# Runs the tool under Wine on a pseudo-terminal, where Wine gives it a real
# console with code page 437, and checks that a message with a non-ASCII
# path and the usage text show there as their characters: Kessel_Ü, not the
# Kessel_├£ that UTF-8 bytes give in that code page. Neither run makes a file.
# Usage: console_check.sh TOOL...  (TOOL may start with a wrapper)
expect() {  # expect TEXT ARG...: the console's text, escapes, blanks and line ends aside
  local got=$(script -qec "$(printf '%q ' "${@:2}")" /dev/null | sed 's/\x1b[[][0-9;?]*[A-Za-z]//g' | tr -d ' \r\n')
  [ "$got" = "${1// /}" ] || { printf 'shows    %s\nexpected %s\n' "$got" "$1"; return 1; }
}
expect "The History file Kessel_Ü/cpu.000 was not opened" "$@" Kessel_Ü/cpu.000 out.txt &&
expect 'Usage: C> Vindolar HSTFilePath TxtFilePath [cDelimeter]Default cDelimeter = "," ; use "t" or t to insert tabsSample: Vindolar c:\vemora\data\cpu.000 c:\temp\cpuHist.txt ";" [or ;]' "$@"
