#!/usr/bin/env bash
# Checks the source archive as whoever verifies a release uses it: unpacks
# it into an empty folder, builds the tool there with the README's own
# command (its quick start from `cmake --preset release` on) and compares
# the example's text with the one shipped.
# Usage: packaging/check-source.sh Vindolar-VERSION-source.tar.gz
set -euo pipefail
archive=$(realpath "$1") name=$(tar -tzf "$1" | sed -n "1s|/.*||p")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xzf "$archive" -C "$work"
cd "$work/$name"
command=$(grep -o -m 1 'cmake --preset release && .*examples/sample.hst sample.txt' README.md) ||
  { echo "$archive: no build command found in README.md"; exit 1; }
bash -c "$command" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
cmp sample.txt examples/sample.txt
echo "checked: $(basename "$archive") builds with: $command"
