#!/bin/sh
# Prints the released entries of CHANGELOG.md, newest first, as a Debian
# changelog (deb) or as the body of an RPM's %changelog (rpm). Each "- "
# item of an entry becomes one item there, its lines as they are; headings
# such as "### Added" and an Unreleased section are left out.
# Usage: changelog.sh deb|rpm CHANGELOG.md PACKAGE "NAME <ADDRESS>"
set -eu
LC_ALL=C awk -v format="$1" -v package="$3" -v contact="$4" '
  function finish() {
    if (version == "") return
    if (format == "deb")
      printf "\n -- %s  %s 00:00:00 +0000\n", contact, debdate
  }
  /^## \[/ {
    finish()
    version = ""
    if ($0 ~ /^## \[Unreleased\]/) next
    version = $2; gsub(/[][]/, "", version); day = $4
    cmd = "date -u -d " day " +\"%a, %d %b %Y|%a %b %d %Y\""
    cmd | getline dates; close(cmd)
    split(dates, d, "|"); debdate = d[1]
    if (count++) print ""
    if (format == "deb") printf "%s (%s) unstable; urgency=medium\n\n", package, version
    else printf "* %s %s - %s-1\n", d[2], contact, version
    next
  }
  version == "" || /^(#|\[|$)/ { next }
  /^- / { sub(/^- /, format == "deb" ? "  * " : "- "); print; next }
  /^  / { print (format == "deb" ? "  " : "") $0 }
  END { finish() }
' "$2"
