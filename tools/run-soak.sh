#!/usr/bin/env bash
# Plays ten minutes of audio (or the seconds given) through one instance, faster than real time, with random
# automation, state restores and the editor opening and closing, headless under Xvfb. Prints the blocks processed,
# the worst block's time and the memory in use after the warm-up and at the end.
#   tools/run-soak.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEM2_BUILD_TESTS=ON > /dev/null
cmake --build build --parallel "$(nproc)" --target zem2_soak_tests

export LIBGL_ALWAYS_SOFTWARE=1 ZEM2_SOAK_SECONDS="$seconds"
time xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" build/tests/zem2_soak_tests
