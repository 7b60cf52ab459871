#!/usr/bin/env bash
# Checks one static Linux archive or RPM as a user meets it: unpacks or
# installs it into an empty root and converts the shipped example there with
# nothing else in that root, no C library included. x86_64 runs by chroot,
# every other CPU under qemu-user with the root as its library prefix (-L),
# i686 too, since some x86-64 kernels refuse 32-bit programs.
# Usage: packaging/check.sh ARTIFACT  (Vindolar-*-linux-CPU.tar.gz or vindolar-*.CPU.rpm)
set -euo pipefail
artifact=$1 source=$(cd "$(dirname "$0")/.." && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

case $artifact in
  *.tar.gz)
    name=$(basename "$artifact" .tar.gz) cpu=${artifact##*-linux-} cpu=${cpu%.tar.gz}
    # Every entry under the one top folder named after the archive.
    tar -tzf "$artifact" | grep -v "^$name/" && { echo "$artifact: entries outside $name/"; exit 1; }
    tar -xzf "$artifact" -C "$root"
    for f in bin/Vindolar share/man/man1/Vindolar.1 README.md LICENSE changelog; do
      [ -f "$root/$name/$f" ] || { echo "$artifact: no $f"; exit 1; }
    done
    tool=/$name/bin/Vindolar ;;
  *.rpm)
    cpu=${artifact%.rpm} cpu=${cpu##*.}
    rpm -qpl "$artifact" | diff - <(printf '%s\n' /usr/bin/Vindolar /usr/share/doc/vindolar \
      /usr/share/doc/vindolar/{README.md,changelog.gz,copyright} /usr/share/man/man1/Vindolar.1.gz)
    # No requirement beyond rpm's own features: no C library, no version of it.
    rpm -qpR "$artifact" | grep -v '^rpmlib(' && { echo "$artifact: requires more than rpm"; exit 1; }
    lint=$(rpmlint -r "$source/packaging/rpmlintrc" "$artifact" 2>&1) || { echo "$lint"; exit 1; }
    # Another CPU's package installs here only with --ignorearch. (rpm on
    # Debian also says that dpkg is the package manager: shown on failure.)
    arch=()
    [ "$cpu" = "$(uname -m)" ] || arch=(--ignorearch)
    log=$(rpm -i "${arch[@]}" --root "$root" "$artifact" 2>&1) || { echo "$log"; exit 1; }
    tool=/usr/bin/Vindolar ;;
  *) echo "$artifact: neither a .tar.gz nor an .rpm"; exit 1 ;;
esac

# qemu-user falls back to this machine's files where the root lacks one (a
# foreign C library installed through multiarch), so the tool must also ask
# for no program interpreter.
readelf -lW "$root$tool" | grep -q 'program interpreter' && { echo "$artifact: not static"; exit 1; }
cp "$source/examples/sample.hst" "$root/"
declare -A qemu=([aarch64]=qemu-aarch64 [armhf]=qemu-arm [i686]=qemu-i386 [s390x]=qemu-s390x)
if [ "$cpu" = x86_64 ]; then
  chroot "$root" "$tool" /sample.hst /sample.txt
else
  "${qemu[$cpu]}" -L "$root" "$root$tool" "$root/sample.hst" "$root/sample.txt"
fi
cmp "$root/sample.txt" "$source/examples/sample.txt"
echo "checked: $(basename "$artifact")"
