#!/usr/bin/env bash
# Start-up time and peak memory of VELMORA against its fair floor: the same
# main window written by hand in plain Qt Widgets (floor.cpp). A bare Qt
# window, with and without one line of text, is kept as a second reference.
#
#   bench/startup/run_startup.sh [BUILD_DIR] [RUNS]
#
# Runs both programs RUNS times each (default 15), alternating, under a
# private Xvfb with openbox, and prints the medians and the ratios
# VELMORA / baseline. Uses the display in $DISPLAY instead when
# VELMORA_BENCH_USE_DISPLAY=1.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-15}

program=$build/src/velmora
baseline=$build/bench/startup/startup_baseline
floor=$build/bench/startup/startup_floor
probe=$build/bench/startup/startup_probe
for f in "$program" "$baseline" "$floor" "$probe"; do
  [[ -x $f ]] || { echo "run_startup: $f is missing; build first (cmake --build $build)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-startup.XXXXXX")
state=$work/display/state
cleanup() {
  [[ -f $state ]] && "$root/tests/x11/stop_display.sh" "$state" >/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [[ ${VELMORA_BENCH_USE_DISPLAY:-0} != 1 ]]; then
  "$root/tests/x11/start_display.sh" "$state" >/dev/null
  export DISPLAY=$(sed -n 's/^DISPLAY=//p' "$state")
fi
export QT_QPA_PLATFORM=xcb
# A settings folder of its own: the program starts as on a first run, every time.
export XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# 300 ms after the window shows, its first paint is done and counted in memory.
measure() { "$probe" 300 20000 "$@"; }

# One unmeasured start each warms the file cache for both alike.
measure "$program" >/dev/null
measure "$floor" >/dev/null
measure "$baseline" >/dev/null

: >"$work/velmora.txt"
: >"$work/floor.txt"
: >"$work/baseline.txt"
: >"$work/text.txt"
# VELMORA_BENCH_BEFORE=/path/to/an/older/velmora is measured in the same rounds.
before=${VELMORA_BENCH_BEFORE:-}
: >"$work/before.txt"
for ((i = 1; i <= runs; i++)); do
  [[ -z $before ]] || measure "$before" >>"$work/before.txt"
  measure "$program" >>"$work/velmora.txt"
  measure "$floor" >>"$work/floor.txt"
  measure "$baseline" >>"$work/baseline.txt"
  measure "$baseline" text >>"$work/text.txt"
done

median() { # column file
  sort -g -k"$1","$1" "$2" | awk -v c="$1" '{ v[NR] = $c } END {
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

v_ms=$(median 1 "$work/velmora.txt");   v_kb=$(median 2 "$work/velmora.txt")
f_ms=$(median 1 "$work/floor.txt");     f_kb=$(median 2 "$work/floor.txt")
b_ms=$(median 1 "$work/baseline.txt");  b_kb=$(median 2 "$work/baseline.txt")
t_ms=$(median 1 "$work/text.txt");      t_kb=$(median 2 "$work/text.txt")
if [[ -n $before ]]; then be_ms=$(median 1 "$work/before.txt"); be_kb=$(median 2 "$work/before.txt"); fi

awk -v n="$runs" -v vm="$v_ms" -v vk="$v_kb" -v fm="$f_ms" -v fk="$f_kb" -v bm="$b_ms" -v bk="$b_kb" \
  -v tm="$t_ms" -v tk="$t_kb" -v bem="${be_ms:-0}" -v bek="${be_kb:-0}" 'BEGIN {
  printf "start-up to a shown window, median of %d interleaved runs each\n", n
  printf "  %-10s %8.1f ms  %8.0f KiB peak resident\n", "VELMORA", vm, vk
  printf "  %-10s %8.1f ms  %8.0f KiB peak resident   (same widgets, fonts, colours by hand)\n", "floor", fm, fk
  printf "  ratio      %8.2fx     %8.2fx          (goal: <= 1.10x)\n", vm / fm, vk / fk
  if (bem > 0) printf "  %-10s %8.1f ms  %8.0f KiB  (%.2fx, %.2fx the floor)\n", "before", bem, bek, bem / fm, bek / fk
  printf "  for reference, a bare window, and one with a line of text:\n"
  printf "  %-10s %8.1f ms  %8.0f KiB  (VELMORA %.2fx, %.2fx)\n", "bare", bm, bk, vm / bm, vk / bk
  printf "  %-10s %8.1f ms  %8.0f KiB  (VELMORA %.2fx, %.2fx)\n", "text", tm, tk, vm / tm, vk / tk
}'
