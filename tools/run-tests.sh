#!/usr/bin/env bash
# Builds everything with the tests and runs the whole suite headless (Xvfb with Mesa for windows and OpenGL).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEM2_BUILD_TESTS=ON
cmake --build build --parallel "$jobs"

export LIBGL_ALWAYS_SOFTWARE=1
xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 600
