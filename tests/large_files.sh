#!/usr/bin/env bash
# Large files on a 32-bit build: a history file over 2 GiB converts, and so
# does one whose text passes 2 GiB. Both histories are sparse files of
# zeros: a header that gives 115 bytes of header lines, then samples that
# each give eight bytes of text. Everything written goes at the end.
# Usage: large_files.sh WORK_DIR TOOL [ARG...]   (TOOL may be an emulator)
set -euo pipefail
work=$1 && shift
rm -rf "$work" && mkdir -p "$work" && trap 'rm -rf "$work"' EXIT

truncate -s $((2 * 1024 * 1024 * 1024 + 228)) "$work/over-2-gib.hst"
"$@" "$work/over-2-gib.hst" /dev/null

# 270 million samples: 27 million lines of ten, each of 82 bytes.
truncate -s $((226 + 540000000)) "$work/long.hst"
"$@" "$work/long.hst" "$work/long.txt"
size=$(stat -c %s "$work/long.txt")
[ "$size" -eq $((115 + 27000000 * 82)) ] || { echo "the text file holds $size bytes"; exit 1; }
cmp <(tail -c 10 "$work/long.txt") <(printf '      0,\r\n')
