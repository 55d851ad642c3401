#!/usr/bin/env bash
# Checks that the built plug-in carries FFTW inside it, hidden from the host, and needs no FFTW on the
# user's machine.
set -euo pipefail
library=$(find "$1" -name '*.so' | head -n 1)
[ -n "$library" ] || { echo "no shared object in $1"; exit 1; }

# Read each listing once: grep -q closing a pipe early would fail the pipeline under pipefail.
dynamic=$(readelf -d "$library")
symbols=$(nm "$library")
exported=$(nm -D --defined-only "$library")

if grep -q 'NEEDED.*fftw' <<< "$dynamic"; then
    echo "FAIL: $library needs a shared FFTW"; exit 1
fi
if grep -q ' fftwf_' <<< "$exported"; then
    echo "FAIL: $library exports FFTW symbols"; exit 1
fi
for symbol in fftwf_plan_dft_r2c_1d fftwf_execute_dft_r2c fftwf_execute_dft_c2r; do
    grep -q " [tT] $symbol\$" <<< "$symbols" || { echo "FAIL: $symbol is not linked into $library"; exit 1; }
done
exports=$(awk '$2 == "T" { print $3 }' <<< "$exported" | sort | tr '\n' ' ')
[ "$exports" = "GetPluginFactory ModuleEntry ModuleExit " ] || { echo "FAIL: unexpected exports: $exports"; exit 1; }
echo "OK: FFTW linked statically and privately; exports: $exports"
