#!/usr/bin/env bash
# Fails when a source folder includes from a folder above it. The layers,
# from the bottom (docs/architecture.md):
#
#   src/dsp      signal processing, no JUCE
#   src/params   the parameter model: IDs, table, value texts, typed text,
#                the block record builder, host writes
#   src/presets  preset library, settings, randomization, layout state
#   src/ui       widgets, controls, visualizer, overlays, sections, panels
#   src/plugin   the processor and the editor
#   tools        command-line programs (may include any of the above)
#
# A file may include its own folder and the folders below it. "BinaryData.h"
# (the compiled-in resources) is the build's, and open to every layer that
# uses JUCE.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(dsp params presets ui plugin)

# The folders a layer may include from: itself and everything below.
allowed_for() {
    local layer="$1" out=()
    for l in "${layers[@]}"; do
        out+=("$l")
        [ "$l" = "$layer" ] && break
    done
    echo "${out[@]}"
}

status=0
for layer in "${layers[@]}"; do
    read -r -a allowed <<<"$(allowed_for "$layer")"
    while IFS= read -r line; do
        file="${line%%:*}"
        rest="${line#*:}"
        number="${rest%%:*}"
        target="$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1/' <<<"${rest#*:}")"
        folder="${target%%/*}"
        [ "$target" = "BinaryData.h" ] && [ "$layer" != dsp ] && continue
        ok=0
        for a in "${allowed[@]}"; do
            [ "$folder" = "$a" ] && [ "$target" != "$folder" ] && ok=1
        done
        if [ $ok -eq 0 ]; then
            echo "$file:$number: src/$layer may not include \"$target\"" >&2
            status=1
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' -r "src/$layer" --include='*.h' --include='*.cpp' || true)
done

if [ $status -eq 0 ]; then
    echo "layers: every include looks down"
fi
exit $status
