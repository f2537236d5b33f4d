#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent and
# non-interactive; prints nothing when all is already there.
#
#   scripts/bootstrap.sh            what the plug-in, the standalone program
#                                   and the command-line tools need to build
#   scripts/bootstrap.sh --package  that, and what `make deb` needs to make
#                                   the Debian package
#   scripts/bootstrap.sh --tests    all that, and the test suite's, the
#                                   benchmarks', the fuzz targets' and the
#                                   package check's needs (hosts, displays,
#                                   GoogleTest, Google Benchmark, clang,
#                                   lintian)
set -euo pipefail

packages=(
    # toolchain
    g++ make cmake ninja-build pkg-config
    # the framework and the libraries it builds against
    juce-modules-source libasound2-dev libfreetype-dev libfontconfig1-dev
    libx11-dev libxcomposite-dev libxcursor-dev libxext-dev libxinerama-dev
    libxrandr-dev libxrender-dev libflac-dev
    # the command-line tools: their parser, and the manual pages made from
    # their --help
    libcli11-dev help2man
    # JACK for the standalone app (JUCE loads libjack at run time)
    libjack-jackd2-dev
    # fonts for rendered text (twist-render's plots, twist-snapshot)
    fonts-dejavu-core
    # the icon's PNG sizes, rendered from its SVG
    librsvg2-bin
)

# The Debian package: dpkg-shlibdeps (dpkg-dev), which CPack runs on the
# binaries it finds with file.
package_tools=(dpkg-dev file)

case "${1:-}" in
    "") ;;
    --package)
        packages+=("${package_tools[@]}")
        ;;
    --tests)
        packages+=(
            "${package_tools[@]}"
            # the package check: Debian's package checker, the desktop
            # entry's validator
            lintian desktop-file-utils
            # format check
            clang-format
            # fuzzing and sanitizer builds: clang with libFuzzer and the
            # sanitizer runtimes, llvm-symbolizer for readable reports
            clang libclang-rt-14-dev llvm
            # tests and benchmarks
            libgtest-dev googletest libbenchmark-dev
            # hosts and displays the tests use (ardour: the headless DAW the
            # Ardour tests render through; libxtst: the pointer that the
            # hosted-editor tests move; jalv: the reference LV2 host, which
            # embeds the editor through suil, run on a JACK server of the
            # tests' own with jackd2's dummy back end)
            lilv-utils xvfb xauth ardour libxtst-dev jalv jackd2
            # the LV2 bundle's validator (lv2_validate, which runs sordi's
            # sord_validate)
            lv2-dev sordi
            # make memcheck: the hosted session under memcheck
            valgrind
        )
        ;;
    *)
        echo "usage: scripts/bootstrap.sh [--package | --tests]" >&2
        exit 2
        ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "bootstrap: need root (or sudo) to install packages" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "bootstrap: done"
