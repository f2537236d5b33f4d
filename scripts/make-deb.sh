#!/usr/bin/env bash
# Builds the Debian package twist-delay_<version>_<arch>.deb in the build
# folder (default: build) and prints its path.
#
# A build folder that exists is used as it is configured, and must be a
# release build without sanitizers; one that does not is configured as a
# release build of the plug-in, the standalone program and the tools. Only
# what the package holds is built, so a test build that `make test` has
# built is packaged without compiling anything again.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
jobs="${JOBS:-2}"

scripts/bootstrap.sh --package

cache="$build/CMakeCache.txt"
if [ -f "$cache" ]; then
    type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$cache")"
    sanitize="$(sed -n 's/^TWIST_SANITIZE:[A-Z]*=//p' "$cache")"
    only_dsp="$(sed -n 's/^TWIST_DSP_ONLY:[A-Z]*=//p' "$cache")"
    fuzz="$(sed -n 's/^TWIST_FUZZ:[A-Z]*=//p' "$cache")"
    if [ "$type" != "Release" ] || [ -n "$sanitize" ] || [ "$only_dsp" = "ON" ] || [ "$fuzz" = "ON" ]; then
        echo "make-deb: $build is not a release build of the plug-in (build type '$type', sanitizers" \
             "'$sanitize', DSP only '$only_dsp', fuzz '$fuzz'); package from another folder: make deb BUILD=<folder>" >&2
        exit 1
    fi
else
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTWIST_BUILD_TESTS=OFF -DTWIST_BUILD_BENCH=OFF >/dev/null
fi

cmake --build "$build" -j "$jobs" --target twist_installables twist_deb_changelog

# CPack stages the install in its own folder under the build and writes the
# package beside the build's other results.
(cd "$build" && cpack -G DEB --config CPackConfig.cmake >/dev/null)
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$cache")"
package="$build/twist-delay_${version}_$(dpkg --print-architecture).deb"
[ -f "$package" ] || { echo "make-deb: CPack wrote no $package" >&2; exit 1; }

echo "Debian package: $package"
echo "  install with:  sudo apt install $(realpath "$package")"
