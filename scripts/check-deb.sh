#!/usr/bin/env bash
# Checks the Debian package `make deb` made in the build folder (default:
# build), then installs it on this machine with dpkg and removes it again:
#
#   - lintian reports neither errors nor warnings;
#   - the package holds exactly the files listed in tests/package/files.txt;
#   - installed, lv2ls finds the plug-in in /usr/lib/lv2, the installed
#     twist-render prints its version and renders the demo phrase, and the
#     desktop entry passes desktop-file-validate;
#   - purged, it leaves no file behind (/usr, /etc, /opt and dpkg's own
#     records, compared with a listing made before the install).
#
# Installing needs root (CI runs as root) or sudo. A twist-delay package
# that is already installed is left alone: the check refuses to run.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
cache="$build/CMakeCache.txt"
[ -f "$cache" ] || { echo "check-deb: $build is not a build folder; run make deb first" >&2; exit 1; }
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$cache")"
uri="$(sed -n 's/^set(TWIST_LV2_URI "\(.*\)")$/\1/p' CMakeLists.txt)"
package="$(realpath "$build/twist-delay_${version}_$(dpkg --print-architecture).deb")"
[ -f "$package" ] || { echo "check-deb: no $package; run make deb first" >&2; exit 1; }

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "check-deb: installing the package needs root (or sudo)" >&2; exit 1; }
    sudo="sudo"
fi

work="$(mktemp -d)"
installed_here=0
cleanup() {
    if [ "$installed_here" -eq 1 ]; then
        $sudo dpkg --purge twist-delay >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "check-deb: $*" >&2
    exit 1
}

echo "check-deb: lintian"
lintian --fail-on error,warning --display-info "$package" || fail "lintian found errors or warnings (above)"

echo "check-deb: file list"
dpkg-deb --fsys-tarfile "$package" | tar -t | grep -v '/$' | sed 's|^\./|/|' | LC_ALL=C sort >"$work/files"
LC_ALL=C sort tests/package/files.txt >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files differ from tests/package/files.txt (- expected, + packaged)"

if dpkg-query -W -f='${Status}' twist-delay 2>/dev/null | grep -q "install ok installed"; then
    fail "twist-delay is installed on this machine; the check installs and removes it, so remove it first"
fi

# Everything on the system that an install could add to, before it.
listing() {
    $sudo find /usr /etc /opt /var/lib/dpkg/info -xdev 2>/dev/null | LC_ALL=C sort
}
listing >"$work/before"
mkdir "$work/home"
# The plug-ins lilv finds in /usr/lib/lv2 alone (not in ~/.lv2 or
# /usr/local/lib/lv2).
lv2_uris() {
    HOME="$work/home" LV2_PATH=/usr/lib/lv2 lv2ls
}
if lv2_uris | grep -qxF "$uri"; then
    fail "lv2ls finds $uri in /usr/lib/lv2 before the install"
fi

echo "check-deb: dpkg -i"
installed_here=1
$sudo dpkg -i "$package" >/dev/null || fail "dpkg could not install the package"

lv2_uris | grep -qxF "$uri" || fail "lv2ls does not find $uri in /usr/lib/lv2"

[ "$(/usr/bin/twist-render --version | head -n 1)" = "twist-render (Twist Delay) $version" ] ||
    fail "the installed twist-render does not print its version $version"
(cd "$work" && HOME="$work/home" /usr/bin/twist-render --quiet --tail 0 demo.wav) ||
    fail "the installed twist-render cannot render the demo phrase"
[ "$(stat -c %s "$work/demo.wav")" -gt 100000 ] || fail "the installed twist-render wrote a short demo.wav"

desktop-file-validate /usr/share/applications/twist-delay.desktop || fail "the desktop entry is not valid"

echo "check-deb: dpkg --purge"
$sudo dpkg --purge twist-delay >/dev/null || fail "dpkg could not remove the package"
installed_here=0
listing >"$work/after"
diff -u "$work/before" "$work/after" || fail "the removed package left files behind or took some with it (- before, + after)"
if lv2_uris | grep -qxF "$uri"; then
    fail "lv2ls still finds $uri after the removal"
fi

echo "check-deb: $package is clean"
