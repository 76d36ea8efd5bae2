#!/usr/bin/env bash
# Puts the upstream source of one of Debian's source packages into DIR, for builds that
# compile a library themselves (the WebAssembly tool, the Windows tool). Nothing is fetched
# when DIR already holds FILE, a file of that source; the system's package configuration is
# left alone (a private deb-src list and package lists under DIR/.apt).
# Usage: fetch-debian-source.sh PACKAGE DIR FILE
set -euo pipefail
usage="usage: fetch-debian-source.sh PACKAGE DIR FILE"
package=${1:?$usage}
dest=$(realpath -m "${2:?$usage}")
marker=${3:?$usage}
[ -f "$dest/$marker" ] && exit 0
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
apt_dir="$dest/.apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/download"
echo "deb-src http://deb.debian.org/debian $suite main" >"$apt_dir/sources.list"
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Debug::NoLocking=1" -qq)
apt-get "${apt_options[@]}" update
# Only the upstream tarball is needed; the Debian changes do not concern the library's code.
(cd "$apt_dir/download" && apt-get "${apt_options[@]}" source --download-only "$package" \
    2>/dev/null) || true
tarball=$(ls "$apt_dir/download/${package}_"*.orig.tar.* 2>/dev/null | head -n 1)
[ -n "$tarball" ] || { echo "fetch-debian-source.sh: no $package source for $suite" >&2; exit 1; }
tar -xf "$tarball" -C "$dest" --strip-components=1
[ -f "$dest/$marker" ] ||
    { echo "fetch-debian-source.sh: $tarball holds no $marker" >&2; exit 1; }
echo "$package source from $(basename "$tarball") in $dest"
