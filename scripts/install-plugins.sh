#!/usr/bin/env bash
# Copies the built VST3 and LV2 bundles into the user's plug-in folders and
# says where everything went.
set -euo pipefail

build="${1:-build}"
artefacts="$build/src/TwistDelay_artefacts/Release"
vst3="$artefacts/VST3/Twist Delay.vst3"
lv2="$artefacts/LV2/Twist Delay.lv2"
standalone="$artefacts/Standalone/Twist Delay"

for f in "$vst3" "$lv2" "$standalone"; do
    [ -e "$f" ] || { echo "install: $f is missing; build first" >&2; exit 1; }
done

mkdir -p "$HOME/.vst3" "$HOME/.lv2"
rm -rf "$HOME/.vst3/Twist Delay.vst3" "$HOME/.lv2/Twist Delay.lv2"
cp -R "$vst3" "$HOME/.vst3/"
cp -R "$lv2" "$HOME/.lv2/"

echo "Twist Delay is installed:"
echo "  VST3        $HOME/.vst3/Twist Delay.vst3"
echo "  LV2         $HOME/.lv2/Twist Delay.lv2"
echo "  Standalone  $(cd "$(dirname "$standalone")" && pwd)/Twist Delay"
