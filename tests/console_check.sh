#!/usr/bin/env bash
# Runs the tool under Wine on a pseudo-terminal, where Wine gives it a real
# console of its own (as Explorer does on a double-click) with code page
# 437. Checks that a message with a non-ASCII path and the usage text show
# there as their characters (Kessel_Ü, not the Kessel_├£ of UTF-8 bytes),
# each followed by the line that keeps the window open; that Enter closes
# it at once; and that a redirected standard output never waits. No run
# makes a file here.
# Usage: console_check.sh TOOL...  (TOOL may start with a wrapper)
# expect TEXT ARG...: the console shows the text and the line (its escapes,
# blanks and line ends aside), and Enter ends the wait at once.
expect() {
  local start=$SECONDS got
  got=$(printf '\r' | script -qec "$(printf '%q ' "${@:2}")" /dev/null | sed 's/\x1b[[][0-9;?]*[A-Za-z]//g' | tr -d ' \r\n')
  [ "$got" = "${1// /}PressEntertoclosethiswindow." ] && ((SECONDS - start < 20)) ||
    { printf 'shows    %s\nexpected %s (in %d s)\n' "$got" "$1" $((SECONDS - start)); return 1; }
}
expect "The History file Kessel_Ü/cpu.000 was not opened" "$@" Kessel_Ü/cpu.000 out.txt &&
expect 'Usage: C> Vindolar HSTFilePath TxtFilePath [cDelimeter]Default cDelimeter = "," ; use "t" or t to insert tabsSample: Vindolar c:\vemora\data\cpu.000 c:\temp\cpuHist.txt ";" [or ;]' "$@" || exit 1
SECONDS=0
got=$(script -qec "$(printf '%q ' "$@") | od -An -c" /dev/null </dev/null | tr -d ' \r\n')
[[ $got = *'\r\n' && $got != *Press* ]] && ((SECONDS < 20)) || { echo "redirected: $got"; exit 1; }
