#!/usr/bin/env bash
# Builds the libraries that the Windows tool reads MiniSEED and StationXML with, libmseed and
# pugixml, as static MinGW-w64 libraries from the sources of Debian's own source packages:
# Debian ships neither for MinGW. The prefix (default build-windows/libraries) gets include/
# and lib/, which the windows preset's configure searches. Nothing is rebuilt when the prefix
# is complete; the sources stay beside it, so a rebuild fetches nothing.
# Usage: build-windows-libraries.sh [PREFIX]
# Needs: g++-mingw-w64-x86-64-posix (installed when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(realpath -m "${1:-$root/build-windows/libraries}")
complete() {
    local file
    for file in lib/libmseed.a lib/libpugixml.a licenses/libmseed.txt licenses/pugixml.md; do
        [ -f "$prefix/$file" ] || return 1
    done
}
complete && exit 0
"$root/scripts/install-build-deps.sh" g++-mingw-w64-x86-64-posix

# The toolchain of cmake/mingw-w64-x86_64.cmake, with the tool's own floating-point rules
# (libmseed computes sample rates and times in double).
target=x86_64-w64-mingw32
# ccache, where there is one, keeps the objects of an earlier build.
cc=()
command -v ccache >/dev/null && cc=(ccache)
flags=(-O2 -ffp-contract=off -w)
sources="$prefix/sources"
objects="$prefix/objects"
# The two fetches and then the two builds run side by side (each is mostly one process).
bash "$root/scripts/fetch-debian-source.sh" libmseed "$sources/libmseed" libmseed.h &
fetching=$!
bash "$root/scripts/fetch-debian-source.sh" pugixml "$sources/pugixml" src/pugixml.hpp
wait "$fetching"
rm -rf "$objects" "$prefix/include" "$prefix/lib" "$prefix/licenses"
mkdir -p "$objects/libmseed" "$objects/pugixml" "$prefix/include" "$prefix/lib"

# pugixml: one source file, with its default configuration (as Debian builds it).
(
    "${cc[@]}" "$target-g++-posix" -std=c++20 "${flags[@]}" -c "$sources/pugixml/src/pugixml.cpp" \
        -o "$objects/pugixml/pugixml.o"
    "$target-ar" rcs "$prefix/lib/libpugixml.a" "$objects/pugixml/pugixml.o"
    cp "$sources/pugixml/src/pugixml.hpp" "$sources/pugixml/src/pugiconfig.hpp" "$prefix/include/"
) &
building=$!

# libmseed: its C files (the Makefile's list of library sources).
mseed_files=(fileutils genutils gswap lmplatform lookup msrutils pack packdata traceutils tracelist
    parseutils unpack unpackdata selection logging)
cd "$objects/libmseed"
printf '%s\n' "${mseed_files[@]}" | xargs -I{} "${cc[@]}" "$target-gcc-posix" "${flags[@]}" \
    -c "$sources/libmseed/{}.c" -o {}.o
"$target-ar" rcs "$prefix/lib/libmseed.a" "${mseed_files[@]/%/.o}"
cp "$sources/libmseed/libmseed.h" "$prefix/include/"

wait "$building"
# Their licences (LGPL 3 and MIT) go into the Windows package beside the tool that holds them.
mkdir -p "$prefix/licenses"
cp "$sources/libmseed/LICENSE.txt" "$prefix/licenses/libmseed.txt"
cp "$sources/pugixml/LICENSE.md" "$prefix/licenses/pugixml.md"
complete
echo "libmseed and pugixml for $target in $prefix"
