#!/usr/bin/env bash
# Checks the Windows 7 floor of Vindolar.exe: every function in its import
# table must be in LIST, and no entry of LIST may be newer than Windows 7.
# Usage: windows_imports.sh OBJDUMP EXE LIST
imports=$("$1" -p "$2" | awk '/^The Import Tables/ { on = 1 } /^(The|PE) / && !/Import/ { on = 0 }
  on && /DLL Name:/ { dll = tolower($3) } on && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $3 }')
[ -n "$imports" ] || { echo "no imports read from $2"; exit 1; }
awk 'NR == FNR { if (/^[^#]/) { listed[$1 " " $2] = 1; if ($3 !~ /^(XP|Vista|7)$/) { print "newer than Windows 7: " $0; bad = 1 } } next }
  !($0 in listed) { print "not known to be on Windows 7: " $0; bad = 1 }
  END { exit bad }' "$3" - <<<"$imports"
