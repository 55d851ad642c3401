#!/usr/bin/env bash
# Runs the built suite the way CI's machine may see it: pinned to two cores with three busy loops on the same
# cores (CI cross-builds the Windows bundle beside the tests). The whole suite three times in a row, then the
# ThreadSanitizer suite once. Build first with tools/run-tests.sh.
#   tools/run-tests-loaded.sh
set -euo pipefail
cd "$(dirname "$0")/.."

cores=0,1
busy=()
for _ in 1 2 3; do
    taskset -c "$cores" sh -c 'while :; do :; done' &
    busy+=($!)
done
trap 'kill "${busy[@]}" 2>/dev/null || true' EXIT

export LIBGL_ALWAYS_SOFTWARE=1
start=$(date +%s)
xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    taskset -c "$cores" ctest --test-dir build --output-on-failure --parallel 2 --timeout 600 --repeat until-fail:3
echo "== whole suite three times: $(( $(date +%s) - start )) s"

start=$(date +%s)
xvfb-run --auto-servernum --server-args="-screen 0 1920x1080x24" \
    taskset -c "$cores" setarch "$(uname -m)" -R ctest --test-dir build-tsan --output-on-failure --timeout 600
echo "== ThreadSanitizer suite: $(( $(date +%s) - start )) s"
