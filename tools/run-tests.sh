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

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, the bundle that the host tests load
# included, with the Release build's code paths (NDEBUG). -O0 builds in under half the time of -O1, and the suite
# runs as fast either way.
sanitize="-O0 -g1 -DNDEBUG -fsanitize=address,undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=None -DZEM2_BUILD_TESTS=ON \
    "-DCMAKE_C_FLAGS=$sanitize" "-DCMAKE_CXX_FLAGS=$sanitize" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined" \
    "-DCMAKE_MODULE_LINKER_FLAGS=-fsanitize=address,undefined"
cmake --build build-asan --parallel "$jobs"

export LIBGL_ALWAYS_SOFTWARE=1
xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 600
# gcc's ThreadSanitizer needs the address-space layout it was built for; setarch -R keeps it on any kernel.
xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    setarch "$(uname -m)" -R ctest --test-dir build-tsan --output-on-failure --timeout 600
# Any invalid access, leak or undefined behaviour fails the run; the suppressions name framework and system code only.
suppressions="$PWD/tests/sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
    LSAN_OPTIONS="suppressions=$suppressions/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 600
