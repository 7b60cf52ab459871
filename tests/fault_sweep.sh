#!/usr/bin/env bash
# Fails, one at a time, every call through which the tool reads, writes,
# closes, opens, seeks or looks at its two files, and checks that the
# outcome is never misreported: status 0 only with the whole text file
# written, status 1 only with a message, a failed write always status 1 with
# a prefix of the text, and nothing ever on standard error (where a
# sanitizer would report). Two kinds of fault:
# - the k-th fread, fwrite or fclose fails, by the preloaded library built
#   from stdio_fault_shim.cpp;
# - the k-th system call of one kind on one file fails with EIO, by strace
#   (left out when no strace is given).
#
# Usage: fault_sweep.sh VINDOLAR SHIM [STRACE]
set -u
tool=$1
shim=$2
strace=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
work=$(cd "$work" && pwd -P)
failures=0
runs=0

# Any bytes are a history file: a long one takes several reads, a short one
# ends inside the header.
head -c 700001 /dev/urandom >"$work/long.hst"
head -c 150 /dev/urandom >"$work/short.hst"
text=$work/out.txt

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Judges one faulted run: its status, $work/out and $work/err, the text file.
judge() {  # what, status, history file, kind of call that failed
  local what=$1 status=$2 history=$3 call=$4
  local messages
  messages=$(tr -d '\r' <"$work/out")
  runs=$((runs + 1))
  [ -s "$work/err" ] && fail "$what: standard error: $(head -c 300 "$work/err")"
  case $status in
    0)
      cmp -s "$text" "$work/clean.txt" || fail "$what: status 0 but the text file is not whole"
      [ -z "$messages" ] || [ "$messages" = "The History file $history was not closed" ] ||
        fail "$what: status 0 with message '$messages'"
      ;;
    1) [ -n "$messages" ] || fail "$what: status 1 without a message" ;;
    *) fail "$what: status $status" ;;
  esac
  if [ "$call" = write ] || [ "$call" = fwrite ]; then
    [ "$status" = 1 ] && [ "$messages" = "The $text file was not closed" ] ||
      fail "$what: a failed write gave status $status, '$messages'"
    local size
    size=$(stat -c %s "$text")
    [ "$size" -lt "$(stat -c %s "$work/clean.txt")" ] &&
      cmp -s -n "$size" "$text" "$work/clean.txt" || fail "$what: text is not a prefix"
  fi
}

clean_run() {
  "$tool" "$1" "$work/clean.txt" >"$work/clean.out" 2>&1 || fail "clean run of $1"
}

sweep_stdio() {  # history file, function
  local history=$1 call=$2 k=1
  clean_run "$history"
  while :; do
    rm -f "$text" "$work/log"
    VINDOLAR_FAIL_CALL=$call VINDOLAR_FAIL_AT=$k VINDOLAR_FAIL_FOLDER=$work \
      VINDOLAR_FAIL_LOG=$work/log \
      LD_PRELOAD=$shim "$tool" "$history" "$text" >"$work/out" 2>"$work/err"
    local status=$?
    [ -s "$work/log" ] || break
    judge "$call #$k ($(basename "$history"))" $status "$history" $call
    k=$((k + 1))
  done
  [ $k -gt 1 ] || fail "no $call was failed"
}

sweep_system() {  # history file, system call, file it hits (hst or txt)
  local history=$1 call=$2 target=$3 k=1
  local path=$history
  [ "$target" = txt ] && path=$text
  clean_run "$history"
  while :; do
    rm -f "$text"
    "$strace" -qq -o "$work/trace" -e trace="$call" -e inject="$call":error=EIO:when=$k \
      -P "$path" "$tool" "$history" "$text" >"$work/out" 2>"$work/err"
    local status=$?
    grep -q INJECTED "$work/trace" || break
    judge "$call #$k on $(basename "$path")" $status "$history" $call
    k=$((k + 1))
  done
  [ $k -gt 1 ] || [ "$call" = lseek ] || fail "no $call on $(basename "$path") was failed"
}

for history in "$work/long.hst" "$work/short.hst"; do
  for call in fread fwrite fclose; do sweep_stdio "$history" $call; done
  [ -n "$strace" ] || continue
  for call in read lseek close newfstatat openat; do sweep_system "$history" $call hst; done
  for call in write close openat newfstatat; do sweep_system "$history" $call txt; done
done
echo "$runs faulted runs, $failures failures"
[ $failures = 0 ] && [ $runs -gt 10 ]
