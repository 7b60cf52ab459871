#!/usr/bin/env bash
# Fails, one at a time, every system call that the tool makes on its two
# files (strace fault injection: EIO on the k-th read, write, close, lseek,
# open or stat of that file) and checks that the outcome is never
# misreported: status 0 only with the whole text file written, status 1
# only with a message, a failed write always status 1 with a prefix of the
# text, and nothing ever on standard error (where a sanitizer would report).
#
# Usage: syscall_fault_sweep.sh VINDOLAR [STRACE]
set -u
tool=$1
strace=${2:-strace}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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

sweep() {  # history file, system call, file the fault hits (hst or txt)
  local history=$1 call=$2 target=$3
  local path=$history
  [ "$target" = txt ] && path=$text
  "$tool" "$history" "$work/clean.txt" >"$work/clean.out" 2>&1 || fail "clean run of $history"
  local k=1
  while :; do
    rm -f "$text"
    "$strace" -qq -o "$work/trace" -e trace="$call" -e inject="$call":error=EIO:when=$k \
      -P "$path" "$tool" "$history" "$text" >"$work/out" 2>"$work/err"
    local status=$?
    grep -q INJECTED "$work/trace" || break
    runs=$((runs + 1))
    local what="$call #$k on $(basename "$path")"
    local messages
    messages=$(tr -d '\r' <"$work/out")
    [ -s "$work/err" ] && fail "$what: standard error: $(head -c 300 "$work/err")"
    case $status in
      0)
        cmp -s "$text" "$work/clean.txt" || fail "$what: status 0 but the text file is not whole"
        [ -z "$messages" ] || [ "$messages" = "The History file $history was not closed" ] ||
          fail "$what: status 0 with message '$messages'"
        ;;
      1)
        [ -n "$messages" ] || fail "$what: status 1 without a message"
        ;;
      *) fail "$what: status $status" ;;
    esac
    if [ "$call" = write ]; then
      [ $status = 1 ] && [ "$messages" = "The $text file was not closed" ] ||
        fail "$what: a failed write gave status $status, '$messages'"
      local size
      size=$(stat -c %s "$text")
      [ "$size" -lt "$(stat -c %s "$work/clean.txt")" ] &&
        cmp -s -n "$size" "$text" "$work/clean.txt" || fail "$what: text is not a prefix"
    fi
    k=$((k + 1))
  done
  [ $k -gt 1 ] || [ "$call" = lseek ] || fail "no $call on $(basename "$path") was failed"
}

for history in "$work/long.hst" "$work/short.hst"; do
  for call in read lseek close newfstatat openat; do sweep "$history" $call hst; done
  for call in write close openat newfstatat; do sweep "$history" $call txt; done
done
echo "$runs faulted runs, $failures failures"
[ $failures = 0 ] && [ $runs -gt 20 ]
