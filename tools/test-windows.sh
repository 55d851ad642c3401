#!/usr/bin/env bash
# Runs the host tests on the Windows bundle under Wine, headless. Needs tools/build-windows.sh, and the Linux
# host tests (tools/run-tests.sh) before it: the Windows bundle must render what the Linux bundle rendered.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZEM2_WINDOWS_BUILD:-$PWD/build-windows}

# A prefix of our own, without the .NET and browser installers a fresh prefix would offer.
export WINEPREFIX=$build/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
run_headless() { xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" "$@"; }

# Creating the prefix takes a while; do it before any test's time-out starts.
[ -f "$WINEPREFIX/system.reg" ] || run_headless "$wine" wineboot --init

status=0
run_headless ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 600 || status=$?
/usr/lib/wine/wineserver -k 2> /dev/null || true
exit $status
