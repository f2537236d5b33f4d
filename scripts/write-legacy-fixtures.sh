#!/usr/bin/env bash
# Writes the plug-in states and preset files of tests/plugin/legacy with the
# current build, with expected.json beside them. Run it only to add fixtures
# for a new version: the files already there are what earlier versions saved,
# and LegacyFilesTest holds every later build to loading them.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-tests/plugin/legacy}"
cmake --build "$build" --target write_legacy_fixtures
"$build/tests/plugin/write_legacy_fixtures" "$out"
