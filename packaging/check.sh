#!/usr/bin/env bash
# Checks one static Linux archive, RPM or .deb as a user meets it: unpacks or
# installs it into an empty root and converts the shipped example there by
# both names of the tool, with nothing else in that root, no C library
# included. x86_64 runs by chroot; every other CPU runs under qemu-user as
# the oldest CPU that the build is made for, with the root as its library
# prefix (-L), i686 too, since some x86-64 kernels refuse 32-bit programs.
# The tool must carry its version in its package-metadata ELF note.
# Usage: packaging/check.sh ARTIFACT
#   (Vindolar-*-linux-CPU.tar.gz, vindolar-*.CPU.rpm or vindolar_*_ARCH.deb)
set -euo pipefail
artifact=$1 source=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Vindolar VERSION \([^ ]*\) .*/\1/p' "$source/CMakeLists.txt")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

case $artifact in
  *.tar.gz)
    name=$(basename "$artifact" .tar.gz) cpu=${artifact##*-linux-} cpu=${cpu%.tar.gz}
    # Every entry under the one top folder named after the archive.
    tar -tzf "$artifact" | grep -v "^$name/" && { echo "$artifact: entries outside $name/"; exit 1; }
    tar -xzf "$artifact" -C "$root"
    for f in bin/vindolar share/man/man1/Vindolar.1 share/man/man1/vindolar.1 README.md LICENSE CHANGELOG.md; do
      [ -e "$root/$name/$f" ] || { echo "$artifact: no $f"; exit 1; }
    done
    bin=/$name/bin ;;
  *.rpm)
    cpu=${artifact%.rpm} cpu=${cpu##*.}
    rpm -qpl "$artifact" | diff - <(printf '%s\n' /usr/bin/{Vindolar,vindolar} /usr/share/doc/vindolar \
      /usr/share/doc/vindolar/README.md /usr/share/licenses/vindolar /usr/share/licenses/vindolar/LICENSE \
      /usr/share/man/man1/{Vindolar.1.gz,vindolar.1.gz})
    rpm -qpL "$artifact" | grep -qx /usr/share/licenses/vindolar/LICENSE
    rpm -qp --qf '%{GROUP}\n' "$artifact" | grep -qx 'Applications/Engineering'
    rpm -qp --changelog "$artifact" | grep -q -- "- $version-1\$"
    rpm -qp --changelog "$artifact" | grep -q CPack && { echo "$artifact: CPack's changelog"; exit 1; }
    # No requirement beyond rpm's own features: no C library, no version of it.
    rpm -qpR "$artifact" | grep -v '^rpmlib(' && { echo "$artifact: requires more than rpm"; exit 1; }
    lint=$(rpmlint -r "$source/packaging/rpmlintrc" "$artifact" 2>&1) || { echo "$lint"; exit 1; }
    # Another CPU's package installs here only with --ignorearch. (rpm on
    # Debian also says that dpkg is the package manager: shown on failure.)
    arch=()
    [ "$cpu" = "$(uname -m)" ] || arch=(--ignorearch)
    log=$(rpm -i "${arch[@]}" --root "$root" "$artifact" 2>&1) || { echo "$log"; exit 1; }
    bin=/usr/bin ;;
  *.deb)
    cpu=${artifact%.deb} cpu=${cpu##*_}
    declare -A debian_cpu=([amd64]=x86_64 [arm64]=aarch64 [i386]=i686)
    cpu=${debian_cpu[$cpu]:-$cpu}
    dpkg-deb -x "$artifact" "$root"
    bin=/usr/bin ;;
  *) echo "$artifact: not a .tar.gz, an .rpm or a .deb"; exit 1 ;;
esac

# qemu-user falls back to this machine's files where the root lacks one (a
# foreign C library installed through multiarch), so the tool must also ask
# for no program interpreter.
readelf -lW "$root$bin/Vindolar" | grep -q 'program interpreter' && { echo "$artifact: not static"; exit 1; }
readelf -n "$root$bin/Vindolar" | grep -qF "{\"name\":\"vindolar\",\"version\":\"$version\",\"architecture\":\"$cpu\"}" ||
  { echo "$artifact: no package note for vindolar $version on $cpu"; exit 1; }
cp "$source/examples/sample.hst" "$root/"
declare -A qemu=([aarch64]="qemu-aarch64 -cpu cortex-a53" [armhf]="qemu-arm -cpu cortex-a8"
  [armel]="qemu-arm -cpu arm1176" [i686]="qemu-i386 -cpu pentium2" [s390x]=qemu-s390x)
for tool in Vindolar vindolar; do
  rm -f "$root/sample.txt"
  if [ "$cpu" = x86_64 ]; then
    chroot "$root" "$bin/$tool" /sample.hst /sample.txt
  else
    ${qemu[$cpu]} -L "$root" "$root$bin/$tool" "$root/sample.hst" "$root/sample.txt"
  fi
  cmp "$root/sample.txt" "$source/examples/sample.txt"
done
echo "checked: $(basename "$artifact")"
