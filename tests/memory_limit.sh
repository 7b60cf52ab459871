#!/usr/bin/env bash
# Under every address-space limit (ulimit -v) from the tool's floor, the
# least at which it starts and prints its usage text, up to 8 MiB, a
# conversion into an existing text file gives the exact text with status 0,
# or a message with status 1 and the old text as it was. Never a signal, a
# core, standard error, or an emptied text file.
# The history is the shipped example. Usage: memory_limit.sh TOOL
set -euo pipefail
tool=$(realpath "$1") example=$(realpath "$(dirname "$0")/../examples/sample")
cd "$(mktemp -d)" && trap 'rm -rf "$PWD"' EXIT && ulimit -c 0
limited() { (ulimit -v "$1" && exec "$tool" "${@:2}") >out 2>err; }
floor=256  # below it the loader fails or dies: quietly, for the shell too
until { limited $floor || [ $? -eq 1 ]; } 2>/dev/null && [ ! -s err ]; do
  ((floor += 16)) && ((floor <= 65536)) || { echo "no start under 64 MiB"; exit 1; }
done
for ((limit = floor; limit <= 8192; limit += 4)); do
  echo "old text" >text.txt && status=0 && { limited $limit "$example.hst" text.txt || status=$?; }
  [ ! -s err ] && { [[ $status$(cat out) = 0 ]] && cmp -s text.txt "$example.txt" ||
    [[ $status = 1 && $(cat text.txt) = "old text" && $(cat out) = *" was not "* ]]; } ||
    { echo "at $limit KiB (floor $floor): status $status, '$(cat out)', '$(cat err)'"; exit 1; }
done
