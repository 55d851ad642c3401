#!/usr/bin/env bash
# Builds the benchmarks in Release and prints the comparison of the plug-in with zita-convolver as one table.
# Needs libbenchmark-dev and libzita-convolver-dev. The run is pinned to two cores (the peer's worker threads
# run beside its calling thread), by default the two least busy over a one-second sample, since other work on
# the machine is what makes the figures drift; BENCH_CPUS (e.g. "2,3") chooses them instead.
# BENCH_BUILD_DIR sets the build folder; further arguments go to Google Benchmark (e.g. --benchmark_filter=).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${BENCH_BUILD_DIR:-build-bench}"

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEM2_BUILD_BENCH=ON -DZEM2_BUILD_TESTS=OFF >&2
cmake --build "$build_dir" --target zem2_bench --parallel 2 >&2

cpu_times() { grep '^cpu[0-9]' /proc/stat | awk '{ print $1, $2 + $3 + $4 + $7 + $8, $5 + $6 }'; }

if [[ -z "${BENCH_CPUS:-}" ]]; then
    before=$(cpu_times)
    sleep 1
    after=$(cpu_times)
    BENCH_CPUS=$(paste <(echo "$before") <(echo "$after") \
        | awk '{ busy = $5 - $2; total = busy + $6 - $3; print (total > 0 ? busy / total : 0), substr ($1, 4) }' \
        | sort -g | head -2 | awk '{ print $2 }' | paste -sd,)
fi

echo "Machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) CPUs (KVM guest: $(lscpu | grep -q 'Hypervisor vendor' && echo yes || echo no)), pinned to CPUs $BENCH_CPUS; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
taskset -c "$BENCH_CPUS" "$build_dir/bench/zem2_bench" "$@"
