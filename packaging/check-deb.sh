#!/usr/bin/env bash
# Makes the .deb, unpacks it into an empty root, converts the shipped example
# with the unpacked tool and renders the unpacked man page, which must draw
# no warning from groff; lintian must report no error and no warning on the
# package. For a cross build, EMULATOR (a command and its arguments) runs
# the unpacked tool.
# Usage: check-deb.sh CPACK BUILD_DIR WORK_DIR [EMULATOR...]
set -euo pipefail
cpack=$1 build=$2 work=$3 source=$(dirname "$0")/..

rm -rf "$work" && mkdir -p "$work/root"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log"
deb=$(echo "$work"/vindolar_*.deb)
dpkg-deb -x "$deb" "$work/root"

"${@:4}" "$work/root/usr/bin/Vindolar" "$source/examples/sample.hst" "$work/sample.txt"
cmp "$work/sample.txt" "$source/examples/sample.txt"

gzip -dc "$work/root/usr/share/man/man1/Vindolar.1.gz" | groff -man -Tutf8 -ww -z 2>&1 | grep . && exit 1

lintian --fail-on error,warning "$deb"
