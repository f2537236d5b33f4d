#!/usr/bin/env bash
# Writes the plug-in states and preset files of tests/plugin/legacy with the
# current build, with expected.json beside them, and in legacy/hosted the
# states a host saves of the built VST3 and LV2. Run it only to add fixtures
# for a new version: the files already there are what earlier versions saved,
# and LegacyFilesTest holds every later build to loading them.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-tests/plugin/legacy}"
cmake --build "$build" --target write_legacy_fixtures
"$build/tests/plugin/write_legacy_fixtures" "$out"
cmake --build "$build" --target write_hosted_states TwistDelay_VST3 TwistDelay_LV2
artefacts="$build/src/TwistDelay_artefacts/$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")"
"$build/tests/plugin/write_hosted_states" "$artefacts/VST3/Twist Delay.vst3" "$artefacts/LV2/Twist Delay.lv2" "$out/hosted"
