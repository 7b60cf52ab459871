#!/usr/bin/env bash
# Builds every release artifact into OUTDIR: the static Linux archives, the
# RPMs, the .debs, the Windows zips and MSIs, checks each static archive and
# RPM in an empty root (packaging/check.sh), and writes SHA256SUMS over them
# all. Every build is configured afresh in its own folder under BUILD_ROOT
# (default build/dist) from the presets, without tests. File times and
# build dates come from the last commit (SOURCE_DATE_EPOCH).
#
# --check-reproducible makes the release twice and fails unless every
# artifact but the MSIs is the same, byte for byte (wixl gives each MSI a
# new package code and its own times). The second release builds from a
# copy of the tracked files elsewhere, with new file times, as from a fresh
# clone.
#
# Usage: packaging/release.sh [--check-reproducible] OUTDIR
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 [--check-reproducible] OUTDIR" >&2; exit 2; }
source=$(cd "$(dirname "$0")/.." && pwd)
export SOURCE_DATE_EPOCH  # kept when set, as for the second release
: "${SOURCE_DATE_EPOCH:=$(git -C "$source" log -1 --format=%ct)}"

if [ "$1" = --check-reproducible ]; then
  out=$(realpath -m "$2") root=${BUILD_ROOT:-$source/build/dist}
  BUILD_ROOT=$root-1 "$0" "$out"
  again=$root-2
  rm -rf "$again" && mkdir -p "$again/source"
  git -C "$source" ls-files -z | (cd "$source" && xargs -0 cp --parents -t "$again/source")
  BUILD_ROOT=$again/build "$again/source/packaging/release.sh" "$again/out"
  (cd "$out" && sha256sum -c --quiet SHA256SUMS)
  diff <(cd "$out" && ls) <(cd "$again/out" && ls)
  status=0
  for f in "$out"/*; do  # SHA256SUMS differs with the MSIs it sums
    [[ $f == *.msi || $f == */SHA256SUMS ]] || cmp "$f" "$again/out/${f##*/}" || status=1
  done
  [ $status -eq 0 ] || { echo "release: not reproducible"; exit 1; }
  echo "release: every artifact but the MSIs built the same twice"
  exit 0
fi

out=$(realpath -m "$1") root=${BUILD_ROOT:-$source/build/dist}
rm -rf "$root" && mkdir -p "$root" "$out"
rm -f "$out"/{Vindolar-*,vindolar*,SHA256SUMS}  # an earlier release there
shopt -s nullglob

# build NAME PRESET CPACK_GENERATORS [CMAKE_ARGS...]: configure, build, pack
# into OUTDIR. Its log is NAME.log in the build root, shown on failure.
build() {
  local dir=$root/$1
  (cmake -S "$source" --preset "$2" -B "$dir" -DBUILD_TESTING=OFF "${@:4}" &&
    cmake --build "$dir" -j "$(nproc)" &&
    for gen in $3; do cpack -G "$gen" --config "$dir/CPackConfig.cmake" -B "$dir/pack" || exit 1; done
  ) >"$root/$1.log" 2>&1 || { cat "$root/$1.log"; echo "release: $1 failed"; return 1; }
  cp "$dir"/pack/*.{tar.gz,rpm,deb,zip} "$out/"
}

static=-DVINDOLAR_FULLY_STATIC=ON
build linux-x86_64 release "TGZ RPM" $static
build linux-aarch64 linux-arm64 "TGZ RPM" $static
build linux-armhf linux-armhf TGZ $static
build linux-i686 linux-i686 TGZ $static
build linux-s390x linux-s390x TGZ $static
build deb-amd64 release DEB
build deb-arm64 linux-arm64 DEB
build deb-armhf linux-armhf DEB
build deb-i386 linux-i686 DEB
for win in windows windows-x86; do
  build "$win" "$win" ZIP -DVINDOLAR_REQUIRE_MSI=ON
  # The MSI comes from the target msi of the Windows builds, which fail to
  # configure without wixl.
  cmake --build "$root/$win" --target msi >>"$root/$win.log" 2>&1 ||
    { cat "$root/$win.log"; echo "release: $win msi failed"; exit 1; }
  cp "$root/$win"/Vindolar-*.msi "$out/"
done

for f in "$out"/*.tar.gz "$out"/*.rpm; do
  "$source/packaging/check.sh" "$f"
done
(cd "$out" && sha256sum -- * >SHA256SUMS)
echo "release: $(wc -l <"$out/SHA256SUMS") artifacts and SHA256SUMS in $out"
