#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time. Usage: fuzz/run.sh [SECONDS]
# (default 60 per target). The seed corpus is copied to a temporary folder, so the run never
# grows the repository's corpus. Exits non-zero when a target crashes; the crashing input is
# kept in the folder printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
targets=(fuzz_convert fuzz_height fuzz_reader fuzz_scene)

# The tests are not needed here, and leaving them out keeps the build short.
cmake --preset fuzz -DQUILLET_BUILD_TESTS=OFF >/dev/null
cmake --build --preset fuzz -j2 --target "${targets[@]}"

work="$(mktemp -d "${TMPDIR:-/tmp}/quillet-fuzz-XXXXXX")"
status=0
for target in "${targets[@]}"; do
    mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
    cp -r "fuzz/corpus/$target/." "$work/$target/corpus/"
    options=()
    # The drawing fuzzers know the group codes and names, and the scene starts from the
    # reader's seeds too.
    if [[ $target == fuzz_reader || $target == fuzz_scene ]]; then
        options+=(-dict=fuzz/dxf.dict)
    fi
    if [[ $target == fuzz_scene ]]; then
        cp -r fuzz/corpus/fuzz_reader/. "$work/$target/corpus/"
    fi
    echo "== $target: ${seconds}s"
    # Small inputs keep the fuzzer fast; the long-line cases live with the unit tests.
    if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=30 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/$target/artifacts/" \
        "${options[@]}" "$work/$target/corpus" 2>"$work/$target/log"; then
        status=1
        tail -n 40 "$work/$target/log"
        echo "== $target crashed; inputs in $work/$target/artifacts"
    else
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' \
            "$work/$target/log" || true
        grep -E '^#[0-9]+.*DONE' "$work/$target/log" | tail -n 1 || true
    fi
done
if [[ $status -eq 0 ]]; then
    rm -rf "$work"
fi
exit $status
