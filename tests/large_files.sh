#!/usr/bin/env bash
# Large files on a 32-bit build: a history file over 2 GiB converts, and,
# natively, so does one whose text passes 2 GiB, every byte of it. Both
# histories are sparse files of zeros: the header gives 115 bytes of header
# lines, and each sample eight bytes of table. Everything written goes at
# the end.
# Usage: large_files.sh WORK_DIR TOOL [ARG...]   (TOOL may be an emulator)
set -euo pipefail
rm -rf "$1" && mkdir -p "$1" && trap 'rm -rf "$1"' EXIT

truncate -s $((2 * 1024 * 1024 * 1024 + 228)) "$1/over-2-gib.hst"
"${@:2}" "$1/over-2-gib.hst" /dev/null
# Given as the text file too, it is refused, never emptied: the same-file
# guard's stat must not fail on its size.
out=$("${@:2}" "$1/over-2-gib.hst" "$1/over-2-gib.hst") && exit 1
[[ $out == *"it is the History file"* && $(stat -c %s "$1/over-2-gib.hst") -gt $((2 << 30)) ]] || { echo "$out"; exit 1; }

# 270 million samples: 27 million lines of ten, 2214000000 bytes of table.
# Only a native run can fail here: under an emulator the host's kernel
# takes a file of any size.
[ $# -eq 2 ] || exit 0
truncate -s $((226 + 540000000)) "$1/long.hst"
"${@:2}" "$1/long.hst" "$1/long.txt"
cmp <(tail -c +116 "$1/long.txt") <(yes "$(printf '      0,%.0s' {1..10})"$'\r' | head -n 27000000)
