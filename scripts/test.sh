#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test; then runs them all again built with
# ASan and UBSan (build-sanitize/), and gives every fuzz target a short pass (build-fuzz/).
# Each stage runs whatever an earlier one found; the script fails if any of them failed.
set -uo pipefail
cd "$(dirname "$0")/.."

failed=()
stage() {
    local name=$1 start=$SECONDS
    shift
    echo "=== $name"
    "$@" || failed+=("$name")
    echo "=== $name: $((SECONDS - start)) s"
}
sanitized() {
    # clang's UBSan checks more than GCC's, such as an offset from a null pointer.
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DQUILLMERE_SANITIZE=ON >/dev/null &&
        cmake --build build-sanitize -j"$(nproc)" &&
        ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
}

# Nothing else can run without it.
stage build scripts/build.sh
[ ${#failed[@]} -eq 0 ] || exit 1
stage tests ctest --test-dir build --output-on-failure -j"$(nproc)"
stage "tests under ASan and UBSan" sanitized
stage "fuzz targets" scripts/fuzz.sh 30

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]} (after $SECONDS s)"
    exit 1
fi
echo "All passed: the tests, the tests under ASan and UBSan, every fuzz target ($SECONDS s)."
