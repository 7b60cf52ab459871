#!/usr/bin/env bash
# Checks one release file as a user meets it. The source archive is unpacked
# and built with the README's own command (its quick start from `cmake
# --preset release` on), and must convert the example exactly. Every
# static Linux archive, RPM or .deb is unpacked or installed into an empty
# root, and the tool there converts the shipped example by both names,
# with nothing else in that root, no C library included: x86_64 run as it
# is, every other CPU under qemu-user as the oldest CPU that the build is
# made for (armhf's tests run as a Cortex-A7, its package as an ARM1176;
# s390x as qemu's own model, which cannot be a z196), with the root as its
# library prefix (-L), i686 too, since some x86-64 kernels refuse 32-bit
# programs. None of it needs root. The tool must ask for no program
# interpreter and be hardened (below). The packages must pass lintian or
# rpmlint; the .deb's Installed-Size must be within 10% of its unpacked
# files, and its man page must draw no warning from groff.
# Usage: packaging/check.sh ARTIFACT (Vindolar-*-source.tar.gz,
#   Vindolar-*-linux-CPU.tar.gz, vindolar-*.CPU.rpm or vindolar_*_ARCH.deb)
set -euo pipefail
artifact=$1 source=$(cd "$(dirname "$0")/.." && pwd)
root=$(mktemp -d) && trap 'rm -rf "$root"' EXIT
fail() { echo "$artifact: $*"; exit 1; }

case $artifact in
  *-source.tar.gz)
    tar -xzf "$artifact" -C "$root" && cd "$root"/*/
    command=$(grep -o -m 1 'cmake --preset release && .*examples/sample.hst sample.txt' README.md) ||
      fail "no build command in README.md"
    bash -c "$command" >"$root/build.log" 2>&1 || fail "$(cat "$root/build.log")"
    cmp sample.txt examples/sample.txt && echo "checked: $(basename "$artifact") builds with: $command" && exit ;;
  *.tar.gz)
    cpu=${artifact##*-linux-} cpu=${cpu%.tar.gz} bin=/$(basename "$artifact" .tar.gz)/bin
    tar -xzf "$artifact" -C "$root" ;;
  *.rpm)
    cpu=${artifact%.rpm} cpu=${cpu##*.} bin=/usr/bin
    lint=$(rpmlint -r "$source/packaging/rpmlintrc" "$artifact" 2>&1) || fail "$lint"
    # Another CPU's package installs here only with --ignorearch. (rpm on
    # Debian also says that dpkg is the package manager: shown on failure.)
    log=$(rpm -i --ignorearch --root "$root" "$artifact" 2>&1) || fail "$log" ;;
  *.deb)
    declare -A debian_cpu=([amd64]=x86_64 [arm64]=aarch64 [i386]=i686)
    cpu=${artifact%.deb} cpu=${cpu##*_} cpu=${debian_cpu[$cpu]:-$cpu} bin=/usr/bin
    lintian --allow-root --fail-on error,warning "$artifact"
    dpkg-deb -x "$artifact" "$root"
    size=$(dpkg-deb -f "$artifact" Installed-Size) files=$(du -sk "$root" | cut -f1)
    ((size * 10 >= files * 9 && size * 10 <= files * 11)) || fail "Installed-Size $size KiB, files $files KiB"
    gzip -dc "$root/usr/share/man/man1/vindolar.1.gz" | groff -man -Tutf8 -ww -z 2>&1 | grep . && fail "groff warns" ;;
  *) fail "not a release file" ;;
esac

# qemu-user falls back to this machine's files where the root lacks one (a
# foreign C library installed through multiarch), and x86_64 runs outside
# the root, so the tool must also ask for no program interpreter.
elf=$(readelf -hldW "$root$bin/Vindolar")
[[ $elf != *"program interpreter"* ]] || fail "not static"
# Hardened as checksec reads it: a stack that holds no code (NX), RELRO,
# and where the C library can make one (not armel's or s390x's), a static
# PIE with every symbol bound at start (full RELRO; a static non-PIE has no
# lazy binding to turn off).
awk '$1 == "GNU_STACK" && $7 == "RW" { ok = 1 } END { exit !ok }' <<<"$elf" || fail "no NX stack"
[[ $elf == *GNU_RELRO* ]] || fail "no RELRO"
case $cpu in x86_64 | aarch64 | i686)
  [[ $elf == *"Type:"*DYN*"(FLAGS_1)"*NOW*PIE* ]] || fail "not a static PIE bound at start" ;;
esac
cp "$source/examples/sample.hst" "$root/"
declare -A qemu=([aarch64]="qemu-aarch64 -cpu cortex-a53" [armhf]="qemu-arm -cpu arm1176"
  [armel]="qemu-arm -cpu arm1176" [i686]="qemu-i386 -cpu pentium2" [s390x]=qemu-s390x)
run=(${qemu[$cpu]:-}) && [ ${#run[@]} -eq 0 ] || run+=(-L "$root")  # x86_64 runs as it is
for name in Vindolar vindolar; do
  rm -f "$root/sample.txt" && "${run[@]}" "$root$bin/$name" "$root/sample.hst" "$root/sample.txt"
  cmp "$root/sample.txt" "$source/examples/sample.txt"
done
echo "checked: $(basename "$artifact")"
