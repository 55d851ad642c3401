#!/usr/bin/env bash
# Fuzzes the restore of saved state with libFuzzer and AddressSanitizer (clang from Debian).
#   tools/fuzz-state.sh [seconds]    default 600
# New inputs go to build-fuzz/corpus; inputs that break the restore go to build-fuzz/crashes. Copy a crash into
# tests/fuzz/regressions once it is fixed, so that the unit tests replay it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_FLAGS="-fsanitize=address,fuzzer-no-link" -DCMAKE_CXX_FLAGS="-fsanitize=address,fuzzer-no-link" \
    -DZEM2_BUILD_TESTS=OFF -DZEM2_BUILD_FUZZER=ON
cmake --build build-fuzz --target zem2_state_fuzzer

mkdir -p build-fuzz/corpus build-fuzz/crashes
cp -n tests/fuzz/corpus/* build-fuzz/corpus/
# libFuzzer re-runs LeakSanitizer after every input that keeps memory, which JUCE's value trees do by design;
# that would cut the run to a few inputs a second. Fuzz without it, then replay the whole corpus with it.
build-fuzz/zem2_state_fuzzer build-fuzz/corpus -detect_leaks=0 \
    -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
    -artifact_prefix=build-fuzz/crashes/ -print_final_stats=1
find build-fuzz/corpus -type f -print0 | xargs -0 -n 500 build-fuzz/zem2_state_fuzzer -detect_leaks=1 \
    -artifact_prefix=build-fuzz/crashes/ > build-fuzz/replay.log 2>&1 \
    && echo "corpus replayed with leak checks: $(find build-fuzz/corpus -type f | wc -l) inputs"
