#!/usr/bin/env bash
# Checks installation and both packages from fresh build directories:
#   cmake --install (bin/wavespec and the manual page), the .deb (contents, control fields, the
#   packed tool runs), and the Windows .zip (wavespec.exe inside; under Wine it gives the same
#   files as the Linux tool on the bundled example, with CR LF line ends).
# Needs: g++-mingw-w64-x86-64-posix wine64 dpkg-dev unzip groff-base (installed when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
scripts/install-build-deps.sh g++-mingw-w64-x86-64-posix wine64 dpkg-dev unzip groff-base

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...: runs the command, reports and counts the outcome
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

# Runs a tool command on the bundled example in a new directory: run_example DIR COMMAND...
run_example() {
    local dir=$1
    shift
    mkdir -p "$dir"
    cp examples/accelerogram.csv "$dir/"
    sed 's#^\.\./examples/##' examples/answers.txt >"$dir/answers.txt"
    (cd "$dir" && "$@" <answers.txt >console.txt 2>errors.txt)
}

# Wine now and then cannot lay out a new process's address space and the program never starts
# (nothing on the console): such a run is started again, up to three more times.
run_example_under_wine() {
    local attempt
    for attempt in 1 2 3 4; do
        run_example "$@" && return 0
        [ -s "$1/console.txt" ] && return 1
        echo "Wine did not start the program (attempt $attempt)" >&2
    done
    return 1
}

echo "== cmake --install"
rm -rf build-install
cmake --preset install >/dev/null
cmake --build --preset install
cmake --install build-install --prefix "$work/prefix" >/dev/null
check "bin/wavespec is installed and executable" test -x "$work/prefix/bin/wavespec"
check "share/man/man1/wavespec.1 is installed" test -f "$work/prefix/share/man/man1/wavespec.1"
check "the manual page formats without warnings" \
    bash -c "[ -z \"\$(groff -man -ww -z '$work/prefix/share/man/man1/wavespec.1' 2>&1)\" ]"
check "the installed tool runs the example to its normal end" \
    run_example "$work/installed" "$work/prefix/bin/wavespec"
check "the installed tool wrote the output waveform" test -s "$work/installed/velocity.csv"

echo "== .deb"
rm -rf build-install/packages
cpack --preset deb >/dev/null
deb=$(ls build-install/packages/wavespec_*.deb)
dpkg-deb -c "$deb" >"$work/deb-contents"
check "the .deb holds /usr/bin/wavespec" grep -q ' \./usr/bin/wavespec$' "$work/deb-contents"
check "the .deb holds the manual page" \
    grep -q ' \./usr/share/man/man1/wavespec\.1$' "$work/deb-contents"
check "the .deb names its maintainer" test -n "$(dpkg-deb -f "$deb" Maintainer)"
check "the .deb has a long description" test "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 1
dpkg-deb -x "$deb" "$work/deb"
# The tool links statically, or dynamically to the C library and libmseed: every shared
# library it needs must come from a package the .deb depends on.
check "the packed tool needs no shared library the .deb does not name" bash -c "
    set -e
    depends=\$(dpkg-deb -f '$deb' Depends)
    for path in \$(ldd '$work/deb/usr/bin/wavespec' | sed -n 's/.* => \\(\\/[^ ]*\\) .*/\\1/p'); do
        package=\$(dpkg -S \"\$path\" 2>/dev/null || dpkg -S \"\$(readlink -f \"\$path\")\")
        grep -qw -- \"\${package%%:*}\" <<<\"\$depends\"
    done"
check "the packed tool gives the same files as the built one" bash -c "
    set -e
    cd '$root'
    $(declare -f run_example)
    run_example '$work/from-deb' '$work/deb/usr/bin/wavespec'
    for f in amp3.csv amp-c.csv velocity.csv fort.67 fort.68 fort.69 fort.88 fort.89 console.txt; do
        cmp '$work/installed/'\$f '$work/from-deb/'\$f
    done"

echo "== Windows .zip"
# libmseed and pugixml for MinGW, built once into build-windows/libraries.
scripts/build-windows-libraries.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
rm -rf build-windows/packages
cpack --preset windows >/dev/null
zip=$(ls build-windows/packages/wavespec-*-win64.zip)
check "the .zip holds wavespec.exe" bash -c "unzip -l '$zip' | grep -q '/wavespec\.exe$'"
check "the .zip holds the manual as text" bash -c "unzip -l '$zip' | grep -q '/wavespec\.txt$'"
for licence in libmseed.txt pugixml.md; do
    check "the .zip holds the licence of the library in wavespec.exe: $licence" \
        bash -c "unzip -l '$zip' | grep -q '/licenses/$licence$'"
done
unzip -q "$zip" -d "$work/zip"

wine=${WINE:-$(command -v wine64 || command -v /usr/lib/wine/wine64 || command -v wine || true)}
if [ -z "$wine" ]; then
    echo "FAILED: no Wine launcher to run the packed wavespec.exe"
    failures=$((failures + 1))
else
    export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    "$wine" wineboot --init >/dev/null 2>&1 || true
    check "the packed wavespec.exe runs the example to its normal end under Wine" \
        run_example_under_wine "$work/windows" "$wine" "$(ls "$work"/zip/*/wavespec.exe)"
    # Same numbers on both platforms: the Windows files are the Linux ones with CR LF.
    for f in amp3.csv amp-c.csv velocity.csv fort.67 fort.68 fort.69 fort.88 fort.89 console.txt; do
        check "$f from Windows is the Linux $f with CR LF line ends" \
            cmp <(sed 's/$/\r/' "$work/installed/$f") "$work/windows/$f"
    done
    "$(dirname "$(command -v "$wine")")/wineserver" -k 2>/dev/null || wineserver -k 2>/dev/null || true
fi

if [ "$failures" -ne 0 ]; then
    echo "check_packages.sh: $failures check(s) failed"
    exit 1
fi
echo "check_packages.sh: all checks passed"
