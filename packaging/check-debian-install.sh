#!/usr/bin/env bash
# Installs the .deb DEB with apt-get into minimal roots of Debian 11 and 12
# (mmdebstrap --variant=apt), converts the example there by both names of
# the tool, then removes and purges the package: the root
# must then hold what it held before, apt's own records aside. Each root
# is made once, as a tar file in VINDOLAR_ROOT_CACHE (default
# /var/cache/vindolar-roots, outside any clone), and reused when found.
# Usage: check-debian-install.sh DEB WORK
set -euo pipefail
deb=$1 work=$2 source=$(cd "$(dirname "$0")/.." && pwd)
cache=${VINDOLAR_ROOT_CACHE:-/var/cache/vindolar-roots} && mkdir -p "$cache"
listing() { (cd "$root" && find . | grep -v -E '^\./(var/(lib|log|cache)|tmp)/' | sort); }
for suite in bullseye bookworm; do
  tarball=$cache/$suite-$(dpkg --print-architecture).tar root=$work/$suite
  # One maker at a time; a partial root never takes the name (and mmdebstrap
  # makes a tar file of a name that ends in .tar).
  flock "$cache/lock" bash -c '[ -s "$1" ] ||
    { mmdebstrap --quiet --variant=apt "$2" "$1.part.tar" && mv "$1.part.tar" "$1"; }' _ "$tarball" "$suite"
  rm -rf "$root" && mkdir -p "$root" && tar -xf "$tarball" -C "$root" && before=$(listing)
  cp "$deb" "$source"/examples/sample.{hst,txt} "$root/tmp/"
  # apt-get no longer knows a removed local package: dpkg purges its record.
  chroot "$root" sh -ec "cd /tmp && apt-get install -q -y ./${deb##*/}
    for tool in Vindolar vindolar; do \$tool sample.hst out.txt && cmp out.txt sample.txt; done
    apt-get remove -q -y vindolar && dpkg --purge vindolar
    dpkg-query -W vindolar 2>/dev/null && exit 1; echo" >"$work/$suite.log" 2>&1 ||
    { cat "$work/$suite.log"; echo "$suite: not installed, run, removed and purged"; exit 1; }
  diff <(echo "$before") <(listing) || { echo "$suite: left behind after purge (>)"; exit 1; }
  rm -rf "$root" && echo "$suite: installed, converted, removed and purged"
done
