#!/usr/bin/env bash
# Makes the .deb and checks it: it depends on nothing (the tool is static),
# its tool converts the shipped example by both its names once unpacked
# into an empty root, its man page draws no warning from groff, and
# lintian reports no error and no warning. For a cross build, EMULATOR (a
# command and its arguments) runs the unpacked tool.
# Usage: check-deb.sh CPACK BUILD_DIR WORK_DIR [EMULATOR...]
set -euo pipefail
cpack=$1 build=$2 work=$3 source=$(dirname "$0")/..

rm -rf "$work" && mkdir -p "$work/root"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log"
deb=$(echo "$work"/vindolar_*.deb)
[ -z "$(dpkg-deb -f "$deb" Depends Pre-Depends)" ] || { echo "$deb: depends on something"; exit 1; }
dpkg-deb -x "$deb" "$work/root"

for tool in Vindolar vindolar; do
  "${@:4}" "$work/root/usr/bin/$tool" "$source/examples/sample.hst" "$work/sample.txt"
  cmp "$work/sample.txt" "$source/examples/sample.txt"
done

gzip -dc "$work/root/usr/share/man/man1/vindolar.1.gz" | groff -man -Tutf8 -ww -z 2>&1 | grep . && exit 1

lintian --allow-root --fail-on error,warning "$deb"
