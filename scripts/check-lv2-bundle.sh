#!/usr/bin/env bash
# Validates an LV2 bundle's description against the LV2 specification as
# installed by Debian's lv2-dev (lv2_validate, which runs sord_validate): all
# of the bundle's .ttl files together, the way a host reads them (manifest.ttl
# names the files the rest of the description is in). Any error or warning
# fails.
#
#   scripts/check-lv2-bundle.sh "build/.../Twist Delay.lv2"
set -euo pipefail

bundle="${1:?usage: check-lv2-bundle.sh BUNDLE_DIR}"
command -v lv2_validate >/dev/null || { echo "check-lv2-bundle: lv2_validate not found (Debian's lv2-dev and sordi)" >&2; exit 1; }

# lv2_validate passes its arguments on unquoted, and the bundle's folder name
# has a space: the files are named from inside the bundle.
cd "$bundle"
shopt -s nullglob
files=(*.ttl)
[ ${#files[@]} -gt 0 ] || { echo "check-lv2-bundle: no .ttl files in $bundle" >&2; exit 1; }

status=0
report=$(lv2_validate "${files[@]}" 2>&1) || status=$?
# lv2_validate says which files of the specification it skips; the rest is
# what it found.
findings=$(grep -v '^Skipping file ' <<<"$report" || true)
echo "$findings"
problems=$(grep -ciE '^(error|warning)' <<<"$findings" || true)
echo "check-lv2-bundle: ${#files[@]} files, $problems errors and warnings"
[ "$status" -eq 0 ] && [ "$problems" -eq 0 ]
