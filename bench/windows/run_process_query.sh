#!/usr/bin/env bash
# Runs the process-count benchmark under Wine, in a prefix of its own inside
# the Windows build folder (tools/build-windows.sh builds it):
#   bench/windows/run_process_query.sh [EXTRA PROCESSES] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${VELMORA_WINDOWS_BUILD_DIR:-build-windows}
program=$build/bench/windows/bench_process_query.exe
[[ -x $program ]] || { echo "run_process_query: build $program first (tools/build-windows.sh)" >&2; exit 1; }
export WINEPREFIX=$PWD/$build/wineprefix-bench WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wineboot --init
wineserver --wait
status=0
wine "$program" "${1:-300}" "${2:-21}" || status=$?
wineserver --kill || true
exit "$status"
