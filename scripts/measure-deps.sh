#!/usr/bin/env bash
# What the run command and the test command install on a fresh Debian 12, found without one:
# apt-get plans each install against a package database that holds only what a fresh system
# has, from this machine's package lists (apt-get update first). The fresh system is the base
# system the installer lays down (every package of priority required or important, with what
# they need); with --desktop also a GNOME desktop on it (task-gnome-desktop, recommends
# included, as the installer's task selection installs it). Prints, for each command, how many
# packages it installs and their download size.
#   bash scripts/measure-deps.sh [--desktop]
set -euo pipefail
cd "$(dirname "$0")/.."
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
mkdir -p "$state/archives/partial"
: >"$state/status"
apt-cache dumpavail >"$state/available"

apt_plan() {
  apt-get -o Dir::State::status="$state/status" -o Dir::Cache::archives="$state/archives" \
    -o Debug::NoLocking=1 -qq "$@"
}

# settle PACKAGE...: marks the packages, and whatever they need, installed in the database.
settle() {
  apt_plan -s install "$@" | awk '/^Inst / {print $2}' >"$state/new"
  awk -v list="$state/new" '
    BEGIN { while ((getline name < list) > 0) wanted[name] = 1 }
    /^Package: / { keep = ($2 in wanted) }
    keep { print }
    keep && /^Package: / { print "Status: install ok installed" }
    /^$/ && keep { keep = 0 }' "$state/available" >>"$state/status"
}

settle $(awk '/^Package: / {name = $2} /^Priority: (required|important)$/ {print name}' \
  "$state/available" | sort -u)
base="a fresh Debian 12 base system"
if [ "${1:-}" = --desktop ]; then
  settle -o APT::Install-Recommends=true task-gnome-desktop
  base="a fresh Debian 12 with the GNOME desktop"
fi

measure() {
  local what=$1
  shift
  apt_plan --print-uris --no-install-recommends install "$@" |
    awk -v what="$what" '{n++; bytes += $3} END {
      printf "%s: %d packages, %.1f MB to download\n", what, n, bytes / 1e6 }'
}
echo "On $base ($(grep -c '^Package: ' "$state/status") packages):"
measure "run command  (deps.sh --saver)" $(bash scripts/deps.sh --saver --list)
measure "test command (deps.sh --fuzz) " $(bash scripts/deps.sh --fuzz --list)
measure "every package before the split (deps.sh)" $(bash scripts/deps.sh --list)
