#!/usr/bin/env bash
# Start-up time and private memory of velmora.exe under Wine against the
# least Win32 program with one window and one label, in the same run.
#
#   bench/windows/run_startup.sh [WINDOWS_BUILD_DIR] [RUNS]
#
# WINDOWS_BUILD_DIR is what tools/build-windows.sh made (default
# build-windows). Runs both programs RUNS times each (default 15),
# alternating, in a fresh Wine prefix on a private Xvfb with openbox, and
# prints the medians and the ratios velmora.exe / baseline.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
runs=${2:-15}

velmora=$build/src/velmora.exe
baseline=$build/bench/windows/startup_baseline.exe
probe=$build/bench/windows/startup_probe.exe
for f in "$velmora" "$baseline" "$probe"; do
  [[ -f $f ]] || { echo "run_startup: $f is missing; build first (tools/build-windows.sh)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-winstartup.XXXXXX")
state=$work/display/state
cleanup() {
  "$root/tests/windows/wine_prefix.sh" stop "$state" "$work/prefix" >/dev/null 2>&1 || true
  "$root/tests/x11/stop_display.sh" "$state" >/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
"$root/tests/x11/start_display.sh" "$state" >/dev/null
"$root/tests/windows/wine_prefix.sh" start "$state" "$work/prefix" >/dev/null 2>&1
source "$root/tests/windows/wine_env.sh" "$state" "$work/prefix"

# Copies in the prefix: both start from the same kind of disk, and VELMORA
# under a name of its own reads its own (after the first run, settled) settings.
cp "$velmora" "$work/vm-bench.exe"
cp "$baseline" "$work/baseline.exe"
# The Linux process that runs a Windows program: its command line's first
# word is the program's Windows path.
unix_pid() {
  local p first
  for p in /proc/[0-9]*; do
    first=$({ tr '\0' '\n' <"$p/cmdline"; } 2>/dev/null | head -n1) || continue
    [[ $first == *"\\$1" ]] && { echo "${p#/proc/}"; return; }
  done
}
# One start: "<ms to a visible window> <ms to its first paint done> <private
# KiB> <resident KiB>", the memory read 300 ms after the paint (the private
# pages of the process, as Linux counts them: Wine reports no private bytes).
measure() {
  local out=$work/probe.out pid kib
  : >"$out"
  wine "$probe" "$(winepath -w "$1")" 1500 >"$out" &
  local probe=$!
  for _ in $(seq 300); do [[ -s $out ]] && break; sleep 0.05; done
  sleep 0.3
  pid=$(unix_pid "$(basename "$1")")
  kib=$(awk '/^Private_(Clean|Dirty):/ { p += $2 } /^Rss:/ { r = $2 } END { print p, r }' \
    "/proc/${pid:-none}/smaps_rollup" 2>/dev/null || echo "0 0")
  wait "$probe"
  echo "$(tr -d '\r' <"$out") $kib"
}

# One unmeasured start each warms the file cache and Wine's own start-up.
measure "$work/vm-bench.exe" >/dev/null
measure "$work/baseline.exe" >/dev/null
: >"$work/velmora.txt"
: >"$work/baseline.txt"
for ((i = 1; i <= runs; i++)); do
  measure "$work/vm-bench.exe" >>"$work/velmora.txt"
  measure "$work/baseline.exe" >>"$work/baseline.txt"
done

median() { # column file
  sort -g -k"$1","$1" "$2" | awk -v c="$1" '{ v[NR] = $c } END {
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
for c in 1 2 3 4; do
  v[c]=$(median $c "$work/velmora.txt")
  b[c]=$(median $c "$work/baseline.txt")
done
awk -v wine_version="$(wine --version)" -v n="$runs" -v v1="${v[1]}" -v v2="${v[2]}" -v v3="${v[3]}" -v v4="${v[4]}" \
  -v b1="${b[1]}" -v b2="${b[2]}" -v b3="${b[3]}" -v b4="${b[4]}" 'BEGIN {
  printf "velmora.exe under Wine (%s), median of %d runs each, measured from CreateProcess\n", wine_version, n
  printf "  %-12s %9s %9s %12s %12s\n", "", "shown ms", "painted", "private KiB", "resident KiB"
  printf "  %-12s %9.1f %9.1f %12d %12d\n", "velmora.exe", v1, v2, v3, v4
  printf "  %-12s %9.1f %9.1f %12d %12d\n", "baseline", b1, b2, b3, b4
  printf "  %-12s %8.2fx %8.2fx %11.2fx %11.2fx\n", "ratio", v1 / b1, v2 / b2, v3 / b3, v4 / b4
}'
