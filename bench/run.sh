#!/usr/bin/env bash
# The benchmark. hyperfine times the tool against the floor (cp of the
# tool's own output to a new file), a plain stdio converter, od, and the tool
# writing to /dev/null; GNU time gives its peak memory for a 4 MiB and a
# 1 GiB input; --large also converts a history file of over 4 GiB, and
# --against DIR times the tool of another build beside this one. Exits
# non-zero when a target is missed. Needs hyperfine, time and python3.
set -euo pipefail
build=$(dirname "$0")/../build/release mib=64 rounds=15 runs=1 dir=/dev/shm large='' against=''
failed=0 usage="usage: $0 [--build DIR] [--against DIR] [--mib N] [--rounds N] [--runs N] [--dir DIR] [--large]"
while [ $# -gt 0 ]; do
  case $1 in
    --build | --against | --mib | --rounds | --runs | --dir) printf -v "${1#--}" %s "${2?$usage}"; shift 2 ;;
    --large) large=1; shift ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
for n in "$mib" "$rounds" "$runs"; do [[ $n =~ ^[1-9][0-9]*$ ]] || { echo "$usage" >&2; exit 2; }; done
build=$(realpath "$build")
dir=$(realpath "$dir")
tool=$build/Vindolar base=$build/bench/baseline_converter gen=$build/bench/bench_history
for cmd in hyperfine /usr/bin/time setarch python3 "$tool" "$base" "$gen"; do
  command -v "$cmd" >/dev/null || { echo "$0: $cmd not found" >&2; exit 2; }
done
# Everything below works in a folder of its own, removed at the end.
work=$(mktemp -d "$dir/vindolar-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

echo "Generating a $mib MiB history file in $work ..."
"$gen" bench.hst "$mib"
# Once, before timing: the tool and the baseline write the same bytes. The
# floor copies this output of the tool.
"$tool" bench.hst kept.txt && "$base" bench.hst base.txt
cmp -s kept.txt base.txt || { echo "$0: the tool and the baseline write different bytes" >&2; exit 1; }

# Each contender's output is removed before each of its runs (--prepare),
# so that none pays for emptying an old file. On a shared machine a ratio is
# fair only between runs made moments apart: hence short rounds (a warm-up
# run of each contender in the first), the order turned by one each round,
# and the ratios taken round by round.
printf -v T %q "$tool" && printf -v B %q "$base"  # quoted for hyperfine
names=(Vindolar "floor: cp of its output" "baseline stdio" "od -td2" "Vindolar to /dev/null")
cmds=("$T bench.hst tool.txt" "cp kept.txt copy.txt" "$B bench.hst base.txt"
  "sh -c 'exec od -An -v -td2 -w20 -j226 bench.hst >od.txt'" "$T bench.hst /dev/null")
preps=("rm -f tool.txt" "rm -f copy.txt" "rm -f base.txt" "rm -f od.txt" true)
if [ -n "$against" ]; then
  printf -v O %q "$(realpath "$against")/Vindolar"
  names+=("Vindolar of $against") cmds+=("$O bench.hst other.txt") preps+=("rm -f other.txt")
fi
for ((r = 0; r < rounds; r++)); do
  args=()
  for ((k = 0; k < ${#names[@]}; k++)); do
    i=$(((k + r) % ${#names[@]}))
    args+=(-n "${names[i]}" -p "${preps[i]}" "${cmds[i]}")
  done
  echo "Round $((r + 1)) of $rounds"
  hyperfine -N -w $((r == 0)) -r "$runs" --export-json "round$r.json" "${args[@]}"
done

# Peak memory with address space randomization off: where the loader places
# the C library otherwise moves the peak by up to 100 KiB from run to run.
peak() {
  setarch "$(uname -m)" -R /usr/bin/time -f %M -o peak.txt "$tool" "$1" /dev/null && cat peak.txt
}
"$gen" small.hst 4 && "$gen" big.hst 1024
small=() big=()
for _ in 1 2 3 4 5; do small+=("$(peak small.hst)") big+=("$(peak big.hst)"); done
rm small.hst big.hst

python3 - "$rounds" "$(stat -c %s bench.hst)" "$(stat -c %s kept.txt)" "${small[*]}" "${big[*]}" \
  <<'PY' || failed=1
import json, statistics, sys
med = statistics.median
mib, text_mib = int(sys.argv[2]) / 2**20, int(sys.argv[3]) / 2**20
small, big = ([int(kib) for kib in arg.split()] for arg in sys.argv[4:6])
# Per round, each contender's run times; round 0 has the tool first.
rounds = [{res["command"]: res["times"] for res in json.load(open(f"round{r}.json"))["results"]}
          for r in range(int(sys.argv[1]))]
tool, floor, base, od, null, *other = rounds[0]
def ratio(a, b):  # the median over the rounds of a's median time over b's
    return med(med(times[a]) / med(times[b]) for times in rounds)
all_runs = {name: [t for times in rounds for t in times[name]] for name in rounds[0]}
print(f"\n{mib:.0f} MiB history file, {text_mib:.0f} MiB text file, {len(rounds)} rounds\n")
print("| contender | median s | min-max s | history MiB/s | time / Vindolar |\n|---|---|---|---|---|")
for name in rounds[0]:
    t = all_runs[name]
    print(f"| {name} | {med(t):.3f} | {min(t):.3f}-{max(t):.3f} | {mib / med(t):.0f} | "
          f"{ratio(name, tool):.2f} |")
# Memory: the highest of the runs for each input. On a busy machine single
# runs were seen to come out up to 128 KiB lower than the rest, never higher.
s, b = max(small), max(big)
high, change = max(s, b), 100 * (b - s) / s
print(f"\nPeak resident memory (highest of {len(small)} runs): {s} KiB for 4 MiB, {b} KiB for 1 GiB "
      f"({change:+.1f}%)\n\nTargets (ratios: medians of the per-round ratios):")
fl, bs, o, rate = ratio(tool, floor), ratio(base, tool), ratio(od, tool), mib / med(all_runs[null])
failed = False
for label, value, target, ok in [
        ("Vindolar / floor", f"{fl:5.2f}", "at most 1.25", fl <= 1.25),
        ("baseline / Vindolar", f"{bs:5.1f}", "at least 10", bs >= 10),
        ("od / Vindolar", f"{o:5.1f}", "at least 15", o >= 15),
        ("to /dev/null, MiB/s", f"{rate:5.0f}", "at least 1024", rate >= 1024),
        ("peak memory, KiB", f"{high:5d}", "at most 4096", high <= 4096),
        ("memory 1 GiB vs 4 MiB", f"{change:+5.1f}%", "within 5%", abs(change) <= 5)]:
    print(f"  {label:22} {value:7} {'(' + target + ')':16} {'PASS' if ok else 'FAIL'}")
    failed |= not ok
for name in other:  # --against: no target, the ratio alone
    print(f"  {'Vindolar / ' + name:22} {ratio(tool, name):7.3f}")
sys.exit(failed)
PY

if [ -n "$large" ]; then
  # 4.5 GiB of samples: zeros (a sparse file), then 1, 2, 3 and -32768. The
  # history goes in through a pipe and the text comes out through another,
  # and every byte of it is compared with the text it must be.
  samples=$((9 << 28)) seconds='?'
  "$gen" large.hst 0 && truncate -s $((226 + 2 * samples - 8)) large.hst
  printf '\x01\x00\x02\x00\x03\x00\x00\x80' >>large.hst
  zeros=$(printf '%.0s      0,' {1..10})
  expected() {
    printf 'Benchmark swing\r\nRawZero = 0.00; RawFull = 32000.00; EngZero = 0.00; '
    printf 'EngFull = 250.00\r\nSamplePeriodMS = 100; StartTime = 1700000000; '
    printf 'EndTime = 1700000000 \r\n'
    yes "$zeros"$'\r' | head -n $((samples / 10))
    printf '      1,      2,      3, -32768,'
  }
  SECONDS=0
  if cat large.hst | "$tool" /dev/stdin /dev/stdout | cmp - <(expected); then
    seconds=$SECONDS verdict=PASS
  else
    verdict=FAIL failed=1
  fi
  echo "Large file: $samples samples, in and out through pipes, in $seconds s: $verdict"
fi
exit "$failed"
