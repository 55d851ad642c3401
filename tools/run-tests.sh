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

# The bundle and the host tests again under AddressSanitizer: the editor opened, used and closed as a DAW does.
asan="-O1 -fsanitize=address -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=None -DZEM2_BUILD_TESTS=ON \
    "-DCMAKE_C_FLAGS=$asan" "-DCMAKE_CXX_FLAGS=$asan" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address" \
    "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address" "-DCMAKE_MODULE_LINKER_FLAGS=-fsanitize=address"
cmake --build build-asan --parallel "$jobs" --target zem2_host_tests

export LIBGL_ALWAYS_SOFTWARE=1
xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 600
# gcc's ThreadSanitizer needs the address-space layout it was built for; setarch -R keeps it on any kernel.
xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    setarch "$(uname -m)" -R ctest --test-dir build-tsan --output-on-failure --timeout 600
# Leaks are the hardening's concern; here any invalid access fails the run.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    ctest --test-dir build-asan -L host --output-on-failure --timeout 600
