#!/usr/bin/env bash
# Records the sound of every factory preset into
# tests/plugin/fingerprints/factory-presets.tsv, which the SoundGuard tests
# compare against. Run it only when a change of sound is intended, and say
# in the commit which presets changed and why.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target record_fingerprints
"$build/tests/plugin/record_fingerprints" tests/plugin/fingerprints/factory-presets.tsv
echo "recorded: tests/plugin/fingerprints/factory-presets.tsv"
