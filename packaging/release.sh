#!/usr/bin/env bash
# Builds every release artifact into OUTDIR: the source archive of the last
# commit (git archive), and from one static build per CPU its archive, its
# .deb and, for x86_64, aarch64 and s390x, its RPM, the Windows zips and
# MSIs. Then checks them
# (packaging/check.sh): the source archive built with the README's
# command, each archive, RPM and .deb in an empty root; then the amd64 .deb
# installed into Debian 11 and 12, and the MSIs under Wine, each over the
# other. Last it writes SHA256SUMS over them all. Every build
# is configured afresh in its own folder under BUILD_ROOT (default
# build/dist) from the presets, without tests. File times and build dates
# come from the last commit (SOURCE_DATE_EPOCH).
#
# --check-reproducible makes the release twice and fails unless every
# artifact but the MSIs is the same, byte for byte (wixl writes the time of
# the build into each MSI's summary). The second release builds from a
# copy of the tracked files elsewhere, with new file times, as from a fresh
# clone, and skips the checks that the first one made.
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
  # The copy has no history: the source archive comes from this clone's.
  BUILD_ROOT=$again/build VINDOLAR_RELEASE_REPO=$source VINDOLAR_RELEASE_CHECKS=no \
    "$again/source/packaging/release.sh" "$again/out"
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
version=$(sed -n 's/^project(Vindolar VERSION \([^ ]*\) .*/\1/p' "$source/CMakeLists.txt")

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

git -C "${VINDOLAR_RELEASE_REPO:-$source}" archive --format=tar.gz --prefix="Vindolar-$version-source/" \
  -o "$out/Vindolar-$version-source.tar.gz" HEAD
build linux-x86_64 release "TGZ DEB RPM"
build linux-aarch64 linux-arm64 "TGZ DEB RPM"
build linux-armhf linux-armhf "TGZ DEB"
build linux-armel linux-armel "TGZ DEB"
build linux-i686 linux-i686 "TGZ DEB"
build linux-s390x linux-s390x "TGZ DEB RPM"
for win in windows windows-x86; do
  build "$win" "$win" ZIP
  cp "$root/$win"/Vindolar-*.msi "$out/"
done

if [ "${VINDOLAR_RELEASE_CHECKS-}" != no ]; then
  # The x64 MSI's check under 64-bit Wine, the x86 MSI installed over it and
  # replaced again: mostly waiting on Wine, so beside the other checks.
  win=$root/windows
  bash "$source/packaging/windows/check-msi" --other "$out/Vindolar-$version-win32.msi" \
    "$out/Vindolar-$version-win64.msi" "$root/msi" x64 x86_64-w64-mingw32-strip "$win/Vindolar.exe" \
    "$win/packaging/windows" "$source/cmake/wine-run" /usr/lib/wine/wine64 >"$root/msi.log" 2>&1 &
  msi_check=$! && trap 'kill "$msi_check" 2>/dev/null || true' EXIT
  for f in "$out"/*.tar.gz "$out"/*.rpm "$out"/*.deb; do "$source/packaging/check.sh" "$f"; done
  "$source/packaging/check-debian-install.sh" "$out"/vindolar_*_amd64.deb "$root/debian-install"
  wait $msi_check || { cat "$root/msi.log"; echo "release: the MSIs' check failed"; exit 1; }
  echo "checked: the MSIs, each over the other"
fi
(cd "$out" && sha256sum -- * >SHA256SUMS)
echo "release: $(wc -l <"$out/SHA256SUMS") artifacts and SHA256SUMS in $out"
