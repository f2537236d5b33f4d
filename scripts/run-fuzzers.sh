#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for FUZZ_SECONDS (default 60).
#
#   scripts/run-fuzzers.sh [BUILD_DIR] [TARGET...]
#
# Each target starts from its seeds in tests/fuzz/corpus/<target> and keeps
# what it learns in BUILD_DIR/corpus/<target>. An input that breaks a check
# or crashes is written to BUILD_DIR/crashes/<target>/ and the script fails;
# copy it into tests/fuzz/regressions/<target>/ once it is fixed, so the
# ordinary tests replay it. FUZZ_JOBS runs that many targets side by side
# (default 1); FUZZ_ARGS adds libFuzzer options.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build-fuzz}"
shift || true
seconds="${FUZZ_SECONDS:-60}"
jobs="${FUZZ_JOBS:-1}"
all=(state_blob preset_file settings_file favorites_file slider_text parameter_text render_command_line)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

if [ ! -f "$build/CMakeCache.txt" ]; then
    # Optimised, with line tables only (the sanitizers add them): full debug
    # information for JUCE would double the build.
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
        -DTWIST_FUZZ=ON >/dev/null
fi
cmake --build "$build" -j "${JOBS:-2}" --target fuzz_targets

run_one() {
    local t="$1"
    local corpus="$build/corpus/$t" crashes="$build/crashes/$t" log="$build/fuzz-$t.log"
    mkdir -p "$corpus" "$crashes"
    local dict=()
    [ -f "tests/fuzz/dictionaries/$t.dict" ] && dict=(-dict="tests/fuzz/dictionaries/$t.dict")
    # shellcheck disable=SC2086
    if "$build/tests/fuzz/fuzz_$t" "$corpus" "tests/fuzz/corpus/$t" "${dict[@]}" \
        -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=4096 \
        -artifact_prefix="$crashes/" -print_final_stats=1 ${FUZZ_ARGS:-} >"$log" 2>&1; then
        local runs
        runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
        echo "fuzz $t: ${runs:-?} runs in ${seconds} s, no failure"
    else
        echo "fuzz $t: FAILED, see $log; the input is in $crashes/" >&2
        tail -n 40 "$log" >&2
        return 1
    fi
}

status=0
pids=()
for t in "${targets[@]}"; do
    run_one "$t" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || status=1
        pids=("${pids[@]:1}")
    fi
done
for p in "${pids[@]}"; do
    wait "$p" || status=1
done
exit $status
