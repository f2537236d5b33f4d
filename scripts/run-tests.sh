#!/usr/bin/env bash
# Runs the whole test suite. Tests that open windows need a display; without
# one, they run under a virtual X server.
set -euo pipefail

build="${1:-build}"
jobs="${TEST_JOBS:-2}"
cmd=(ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 900)

# -noreset: an X server that resets when its last client leaves forgets the
# window-manager atoms the window tests intern at start-up; with tests running
# side by side, one of them could then find those atoms gone.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "${cmd[@]}"
fi
exec "${cmd[@]}"
