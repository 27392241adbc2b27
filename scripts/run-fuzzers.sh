#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan/UBSan) in build-fuzz/ and
# runs each for a given time, at most JOBS at once, at the lowest priority.
# What a target finds (crash, leak, timeout, failed check) is kept in
# tests/fuzz/regressions/TARGET/, which the ordinary test suite replays.
#
#   scripts/run-fuzzers.sh [-t SECONDS] [-j JOBS] [TARGET...]
#
# Defaults: 600 seconds per target, 2 at once, every target.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
seconds=600
jobs=2
while getopts "t:j:" opt; do
    case "$opt" in
    t) seconds="$OPTARG" ;;
    j) jobs="$OPTARG" ;;
    *) echo "usage: $0 [-t SECONDS] [-j JOBS] [TARGET...]" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

all_targets=(event_library era_library period_library base_year_library
             csv_import csv_round_trip project_archive text_helpers)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} \
        -DANNALUX_FUZZ=ON -DANNALUX_BUILD_BENCH=OFF >/dev/null
fi
nice -n 19 cmake --build "$build" --target fuzzers -j "$jobs"

# Seeds: the samples and the test data of each input kind.
seeds_of() {
    case "$1" in
    event_library) ls "$here"/tests/data/lev/* "$here"/samples/*.lev ;;
    era_library) ls "$here"/tests/data/lgn/* "$here"/samples/*.lgn ;;
    period_library) ls "$here"/tests/data/ler/* "$here"/samples/*.ler ;;
    base_year_library) ls "$here"/tests/data/lby/* "$here"/samples/*.lby ;;
    csv_import) ls "$here"/samples/src/*.csv "$here"/samples/*.l?? ;;
    csv_round_trip) ls "$here"/tests/data/*/* "$here"/samples/*.l?? ;;
    project_archive) ls "$here"/samples/*.anx ;;
    text_helpers) ls "$here"/samples/*.l?? "$here"/samples/src/*.csv ;;
    esac
}

# Conversions write files; a memory-backed folder keeps their syncs cheap.
scratch_root="${FUZZ_SCRATCH:-/dev/shm}"
[ -d "$scratch_root" ] || scratch_root="${TMPDIR:-/tmp}"
logs="$build/fuzz-logs"
mkdir -p "$logs"

run_one() {
    local name="$1"
    local corpus="$build/corpus/$name"
    local kept="$here/tests/fuzz/regressions/$name"
    local scratch
    scratch="$(mktemp -d "$scratch_root/annalux-fuzz-$name-XXXXXX")"
    mkdir -p "$corpus" "$scratch/artifacts"
    seeds_of "$name" | while read -r f; do cp -n "$f" "$corpus/" 2>/dev/null || true; done
    [ -d "$kept" ] && cp -n "$kept"/* "$corpus/" 2>/dev/null || true
    TMPDIR="$scratch" QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="detect_leaks=1" \
    LSAN_OPTIONS="suppressions=$here/tests/sanitize/lsan.supp" \
        nice -n 19 "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$scratch/artifacts/" \
        "$corpus" >"$logs/$name.log" 2>&1 || true
    local found=0
    for f in "$scratch"/artifacts/*; do
        [ -e "$f" ] || continue
        mkdir -p "$kept"
        cp "$f" "$kept/"
        found=$((found + 1))
    done
    local runs
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$logs/$name.log" | grep -o '[0-9]*$' || echo '?')"
    if grep -q '^Done [0-9]* runs' "$logs/$name.log" || [ "$found" -gt 0 ]; then
        printf '%-18s %12s executions  %d findings\n' "$name" "${runs:-?}" "$found" \
            >"$logs/$name.summary"
    else
        printf '%-18s did not run: see %s\n' "$name" "$logs/$name.log" >"$logs/$name.summary"
    fi
    rm -rf "$scratch"
}

running=0
for name in "${targets[@]}"; do
    run_one "$name" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait
for name in "${targets[@]}"; do cat "$logs/$name.summary"; done
