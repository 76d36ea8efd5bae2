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

# Records " i (re,im)" of two dump files: the same positions and real parts, and imaginary
# parts within 1e-9 of the record's magnitude.
same_but_noise() {
    paste -d'|' "$1" <(tr -d '\r' <"$2") | awk -F'|' '
        function abs(x) { return x < 0 ? -x : x }
        $1 == $2 { next }
        {
            a = $1; b = $2
            gsub(/[(),]/, " ", a); gsub(/[(),]/, " ", b)
            split(a, x, " "); split(b, y, " ")
            scale = abs(x[2]) > abs(x[3]) ? abs(x[2]) : abs(x[3])
            if (x[1] != y[1] || x[2] != y[2] || abs(x[3] - y[3]) > 1e-9 * scale) {
                print "too different: " $1 " | " $2; bad++
            }
            noisy++
        }
        END { print noisy + 0, "records differ in rounding noise"; exit bad > 0 }'
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
# The tool links statically: it must need no shared library, or the .deb must depend on them.
check "the packed tool needs no shared library the .deb does not name" bash -c "
    needed=\$(readelf -d '$work/deb/usr/bin/wavespec' | grep -c NEEDED || true)
    [ \"\$needed\" = 0 ] || dpkg-deb -f '$deb' Depends | grep -q libstdc++"
check "the packed tool gives the same files as the built one" bash -c "
    set -e
    cd '$root'
    $(declare -f run_example)
    run_example '$work/from-deb' '$work/deb/usr/bin/wavespec'
    for f in amp3.csv amp-c.csv velocity.csv fort.67 fort.68 fort.69 fort.88 fort.89 console.txt; do
        cmp '$work/installed/'\$f '$work/from-deb/'\$f
    done"

echo "== Windows .zip"
cmake --preset windows >/dev/null
cmake --build --preset windows
rm -rf build-windows/packages
cpack --preset windows >/dev/null
zip=$(ls build-windows/packages/wavespec-*-win64.zip)
check "the .zip holds wavespec.exe" bash -c "unzip -l '$zip' | grep -q '/wavespec\.exe$'"
check "the .zip holds the manual as text" bash -c "unzip -l '$zip' | grep -q '/wavespec\.txt$'"
unzip -q "$zip" -d "$work/zip"

wine=${WINE:-$(command -v wine64 || command -v /usr/lib/wine/wine64 || command -v wine || true)}
if [ -z "$wine" ]; then
    echo "FAILED: no Wine launcher to run the packed wavespec.exe"
    failures=$((failures + 1))
else
    export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    "$wine" wineboot --init >/dev/null 2>&1 || true
    check "the packed wavespec.exe runs the example to its normal end under Wine" \
        run_example "$work/windows" "$wine" "$(ls "$work"/zip/*/wavespec.exe)"
    # Same numbers on both platforms: the Windows files are the Linux ones with CR LF.
    for f in amp3.csv amp-c.csv velocity.csv fort.67 fort.68 fort.88 fort.89 console.txt; do
        check "$f from Windows is the Linux $f with CR LF line ends" \
            cmp <(sed 's/$/\r/' "$work/installed/$f") "$work/windows/$f"
    done
    # fort.69 holds the raw inverse transform, whose imaginary parts are pure rounding noise
    # from the twiddle factors, that is from the platform's sin and cos: there the last digits
    # may differ. Everything else in it must be the same.
    check "fort.69 from Windows has CR LF line ends and the Linux records" \
        cmp <(sed 's/$/\r/' "$work/installed/fort.69" | tr -d '0-9.E+-') \
            <(tr -d '0-9.E+-' <"$work/windows/fort.69")
    check "fort.69 from Windows differs from Linux only in imaginary rounding noise" \
        same_but_noise "$work/installed/fort.69" "$work/windows/fort.69"
    "$(dirname "$(command -v "$wine")")/wineserver" -k 2>/dev/null || wineserver -k 2>/dev/null || true
fi

if [ "$failures" -ne 0 ]; then
    echo "check_packages.sh: $failures check(s) failed"
    exit 1
fi
echo "check_packages.sh: all checks passed"
