#!/usr/bin/env bash
# Puts the upstream source of Debian's libmseed (the source package of libmseed-dev) into DIR,
# for builds that compile it themselves (the WebAssembly tool). Nothing is fetched when DIR
# already holds it; the system's package configuration is left alone (a private deb-src list
# and package lists under DIR/.apt).
# Usage: fetch-libmseed-source.sh DIR
set -euo pipefail
dest=$(realpath -m "${1:?usage: fetch-libmseed-source.sh DIR}")
[ -f "$dest/libmseed.h" ] && exit 0
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
apt_dir="$dest/.apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/download"
echo "deb-src http://deb.debian.org/debian $suite main" >"$apt_dir/sources.list"
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Debug::NoLocking=1" -qq)
apt-get "${apt_options[@]}" update
# Only the upstream tarball is needed; the Debian changes do not concern the library's code.
(cd "$apt_dir/download" && apt-get "${apt_options[@]}" source --download-only libmseed 2>/dev/null) ||
    true
tarball=$(ls "$apt_dir"/download/libmseed_*.orig.tar.* 2>/dev/null | head -n 1)
[ -n "$tarball" ] || { echo "fetch-libmseed-source.sh: no libmseed source for $suite" >&2; exit 1; }
tar -xf "$tarball" -C "$dest" --strip-components=1
[ -f "$dest/libmseed.h" ] || { echo "fetch-libmseed-source.sh: $tarball holds no libmseed.h" >&2; exit 1; }
echo "libmseed source from $(basename "$tarball") in $dest"
