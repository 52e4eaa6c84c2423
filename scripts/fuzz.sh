#!/usr/bin/env bash
# Builds the fuzz targets (clang, with ASan and UBSan) into build-fuzz/ where needed, makes
# their seeds, and runs each target for SECONDS (default 30) after replaying its seeds and the
# corpus it has grown in earlier runs. Fails when any target finds a crash, a leak, a hang or
# an allocation past its memory limit; the input that did it is kept in build-fuzz/findings/.
#   scripts/fuzz.sh [SECONDS [TARGET...]]    targets: psdcontents layersection packedrows
#                                            channelrows layers colourstep metadata wire
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(psdcontents layersection packedrows channelrows layers colourstep metadata wire)
build=build-fuzz

scripts/setup.sh
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DQUILLMERE_FUZZ=ON >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target fuzzers
rm -rf "$build/seeds"
"$build/bin/fuzz-seeds" "$build/seeds"
mkdir -p "$build/findings"

failed=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    log="$build/fuzz-$target.log"
    mkdir -p "$corpus"
    if "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" "$corpus" "$build/seeds/$target" >"$log" 2>&1; then
        result=passed
    else
        result=FAILED
        failed+=("$target")
    fi
    # libFuzzer's last status line: inputs run, edges covered (cov) and features (ft).
    status=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | sed -E 's/^#([0-9]+)\s+\w+\s+/\1 runs, /')
    echo "fuzz_$target: $result; $status"
    [ "$result" = passed ] || grep -E -A 30 'ERROR|runtime error|ALARM|out-of-memory' "$log" | head -n 40
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz targets that failed: ${failed[*]} (see $build/fuzz-*.log)"; exit 1; }
