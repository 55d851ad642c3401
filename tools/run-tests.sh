#!/usr/bin/env bash
# Builds everything with the tests and runs the whole suite headless (Xvfb with Mesa for windows and OpenGL).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEM2_BUILD_TESTS=ON
cmake --build build --parallel "$jobs"

# The threaded tests again, built apart with ThreadSanitizer (only the classes they exercise and their modules).
cmake -S tests/tsan -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-tsan --parallel "$jobs"

export LIBGL_ALWAYS_SOFTWARE=1
xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 600
# gcc's ThreadSanitizer needs the address-space layout it was built for; setarch -R keeps it on any kernel.
xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    setarch "$(uname -m)" -R ctest --test-dir build-tsan --output-on-failure --timeout 600
