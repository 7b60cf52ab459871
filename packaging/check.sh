#!/usr/bin/env bash
# Checks one release file as a user meets it. The source archive is unpacked
# and built with the README's own command (its quick start from `cmake
# --preset release` on), and must convert the example exactly. Every
# static Linux archive, RPM or .deb as a user meets it: unpacks or
# installs it into an empty root and converts the shipped example there by
# both names of the tool, with nothing else in that root, no C library
# included. x86_64 runs by chroot; every other CPU runs under qemu-user as
# the oldest CPU that the build is made for (s390x as qemu's own model,
# which cannot be a z196), with the root as its library prefix (-L), i686
# too, since some x86-64 kernels refuse 32-bit programs. The tool must carry
# its version in its package-metadata ELF note. The packages must depend on
# nothing and pass lintian or rpmlint; the RPM must carry its changelog,
# Group and %license; the .deb's man page must draw no warning from groff.
# Usage: packaging/check.sh ARTIFACT (Vindolar-*-source.tar.gz,
#   Vindolar-*-linux-CPU.tar.gz, vindolar-*.CPU.rpm or vindolar_*_ARCH.deb)
set -euo pipefail
artifact=$1 source=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Vindolar VERSION \([^ ]*\) .*/\1/p' "$source/CMakeLists.txt")
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
    name=$(basename "$artifact" .tar.gz) cpu=${artifact##*-linux-} cpu=${cpu%.tar.gz}
    # Every entry under the one top folder named after the archive.
    tar -tzf "$artifact" | grep -v "^$name/" && fail "entries outside $name/"
    tar -xzf "$artifact" -C "$root" && cd "$root/$name" &&
      ls share/man/man1/{V,v}indolar.1 README.md LICENSE CHANGELOG.md >/dev/null || fail "a document is missing"
    bin=/$name/bin ;;
  *.rpm)
    cpu=${artifact%.rpm} cpu=${cpu##*.}
    rpm -qpl "$artifact" | diff - <(printf '%s\n' /usr/bin/{V,v}indolar /usr/share/doc/vindolar{,/README.md} \
      /usr/share/licenses/vindolar{,/LICENSE} /usr/share/man/man1/{V,v}indolar.1.gz)
    [ "$(rpm -qpL "$artifact")" = /usr/share/licenses/vindolar/LICENSE ] || fail "no %license"
    rpm -qp --qf '%{GROUP} %{CHANGELOGNAME}\n' "$artifact" | grep -qx "Applications/Engineering .* - $version-1" ||
      fail "no Group or no changelog entry for $version"
    # No requirement beyond rpm's own features: no C library, no version of it.
    rpm -qpR "$artifact" | grep -v '^rpmlib(' && fail "requires more than rpm"
    lint=$(rpmlint -r "$source/packaging/rpmlintrc" "$artifact" 2>&1) || fail "$lint"
    # Another CPU's package installs here only with --ignorearch. (rpm on
    # Debian also says that dpkg is the package manager: shown on failure.)
    log=$(rpm -i --ignorearch --root "$root" "$artifact" 2>&1) || fail "$log"
    bin=/usr/bin ;;
  *.deb)
    declare -A debian_cpu=([amd64]=x86_64 [arm64]=aarch64 [i386]=i686)
    cpu=${artifact%.deb} cpu=${cpu##*_} cpu=${debian_cpu[$cpu]:-$cpu}
    [ -z "$(dpkg-deb -f "$artifact" Depends Pre-Depends)" ] || fail "depends on something"
    lintian --allow-root --fail-on error,warning "$artifact"
    dpkg-deb -x "$artifact" "$root"
    gzip -dc "$root/usr/share/man/man1/vindolar.1.gz" | groff -man -Tutf8 -ww -z 2>&1 | grep . && fail "groff warns"
    bin=/usr/bin ;;
  *) fail "not a release file" ;;
esac

# qemu-user falls back to this machine's files where the root lacks one (a
# foreign C library installed through multiarch), so the tool must also ask
# for no program interpreter.
readelf -lW "$root$bin/Vindolar" | grep -q 'program interpreter' && fail "not static"
readelf -n "$root$bin/Vindolar" | grep -qF "{\"name\":\"vindolar\",\"version\":\"$version\",\"architecture\":\"$cpu\"}" ||
  fail "no package note for vindolar $version on $cpu"
cp "$source/examples/sample.hst" "$root/"
declare -A qemu=([aarch64]="qemu-aarch64 -cpu cortex-a53" [armhf]="qemu-arm -cpu cortex-a8"
  [armel]="qemu-arm -cpu arm1176" [i686]="qemu-i386 -cpu pentium2" [s390x]=qemu-s390x)
run=(chroot "$root") dir=  # x86_64 runs in the root, other CPUs with the root's path
[ "$cpu" = x86_64 ] || run=(${qemu[$cpu]} -L "$root") dir=$root
for tool in Vindolar vindolar; do
  rm -f "$root/sample.txt" && "${run[@]}" "$dir$bin/$tool" "$dir/sample.hst" "$dir/sample.txt"
  cmp "$root/sample.txt" "$source/examples/sample.txt"
done
echo "checked: $(basename "$artifact")"
