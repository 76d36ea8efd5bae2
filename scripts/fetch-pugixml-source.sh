#!/usr/bin/env bash
# Puts the upstream source of Debian's pugixml (the source package of libpugixml-dev) into DIR,
# for builds that compile it themselves (the WebAssembly tool, for StationXML). Nothing is
# fetched when DIR already holds it; the system's package configuration is left alone (a
# private deb-src list and package lists under DIR/.apt), as for libmseed.
# Usage: fetch-pugixml-source.sh DIR
set -euo pipefail
dest=$(realpath -m "${1:?usage: fetch-pugixml-source.sh DIR}")
[ -f "$dest/src/pugixml.cpp" ] && exit 0
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
apt_dir="$dest/.apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/download"
echo "deb-src http://deb.debian.org/debian $suite main" >"$apt_dir/sources.list"
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Debug::NoLocking=1" -qq)
apt-get "${apt_options[@]}" update
# Only the upstream tarball is needed: the library's code is upstream's.
(cd "$apt_dir/download" && apt-get "${apt_options[@]}" source --download-only pugixml 2>/dev/null) ||
    true
tarball=$(ls "$apt_dir"/download/pugixml_*.orig.tar.* 2>/dev/null | head -n 1)
[ -n "$tarball" ] || { echo "fetch-pugixml-source.sh: no pugixml source for $suite" >&2; exit 1; }
tar -xf "$tarball" -C "$dest" --strip-components=1
[ -f "$dest/src/pugixml.cpp" ] ||
    { echo "fetch-pugixml-source.sh: $tarball holds no src/pugixml.cpp" >&2; exit 1; }
echo "pugixml source from $(basename "$tarball") in $dest"
