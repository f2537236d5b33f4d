#!/usr/bin/env bash
# Runs a short hosted session of the built plug-ins (tests/memcheck/
# MemcheckSession.cpp: VST3 and LV2 loaded, played, the editor opened and
# closed three times, state saved and restored, unloaded) under valgrind's
# memcheck, under Xvfb when there is no display. Fails on any invalid read or
# write, any other memcheck error, and any definitely lost block, except what
# tests/memcheck/system.supp suppresses (named system libraries only).
#
#   scripts/memcheck.sh [BUILD_DIR]      (make memcheck)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
session="$build/tests/plugin/memcheck_session"
[ -x "$session" ] || { echo "memcheck: no $session (build the tests first)" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "memcheck: valgrind not found (scripts/bootstrap.sh --tests)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Release bundles are stripped; their symbols are in build/debug-symbols,
# named by each binary's debug link. Valgrind finds a debug file under
# --extra-debuginfo-path at the binary's own folder, so the files are linked
# there into a scratch tree.
for format in VST3 LV2; do
    for symbols in "$build/debug-symbols/$format"/*.debug; do
        [ -e "$symbols" ] || continue
        name=$(basename "$symbols")
        binary=$(find "$build/src/TwistDelay_artefacts" -type f -name "${name%.debug}" -path "*$format*" | head -n 1)
        [ -n "$binary" ] || continue
        folder=$(cd "$(dirname "$binary")" && pwd)
        mkdir -p "$work/debug$folder"
        ln -sf "$(cd "$(dirname "$symbols")" && pwd)/$name" "$work/debug$folder/$name"
    done
done

log="$build/memcheck.log"
cmd=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite
     --error-exitcode=99 --num-callers=40 --track-origins=no --gen-suppressions=all --keep-debuginfo=yes
     --suppressions=tests/memcheck/system.supp --extra-debuginfo-path="$work/debug"
     --log-file="$log" "$session")

start=$SECONDS
status=0
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "${cmd[@]}" || status=$?
else
    "${cmd[@]}" || status=$?
fi

grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable|suppressed:" "$log" | sed 's/^==[0-9]*== */memcheck: /'
echo "memcheck: $((SECONDS - start)) s, the whole report in $log"
if [ "$status" -ne 0 ]; then
    echo "memcheck: FAILED (status $status)" >&2
    exit 1
fi
