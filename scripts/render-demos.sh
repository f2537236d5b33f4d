#!/usr/bin/env bash
# Renders the built-in demo phrase through three contrasting factory presets
# with twist-render, each with a picture of its taps, and says where they went.
set -euo pipefail

build="${1:-build}"
out="${2:-out}"
render="$build/tools/twist-render/twist-render"
[ -x "$render" ] || { echo "demos: $render is missing; build first" >&2; exit 1; }

# A tempo-synced ping-pong, an accelerating bounce, a six-second bloom.
presets=(
    "Traditional/Ping Pong Eighths|ping-pong-eighths"
    "Weird/Bouncy Ball|bouncy-ball"
    "Sound Design/Cosmic & Mass/Black Hole Bloom|black-hole-bloom"
)

mkdir -p "$out"
dir="$(cd "$out" && pwd)"
echo "The demo phrase through three factory presets:"
for entry in "${presets[@]}"; do
    id="${entry%%|*}"
    name="${entry##*|}"
    "$render" --quiet --overwrite --preset "$id" --plot "$dir/$name.png" "$dir/$name.wav"
    echo "  $id"
    echo "    audio  $dir/$name.wav"
    echo "    taps   $dir/$name.png"
done
