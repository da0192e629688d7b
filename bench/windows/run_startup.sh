#!/usr/bin/env bash
# Start-up time and private memory of velmora.exe under Wine against its
# floor (startup_floor: the main window written by hand in plain Win32, with
# the same controls, fonts, colours, lines, tooltip window, settings reads and
# manifest) and, as a second line, against the least Win32 program with one
# window and one label, all in the same run.
#
#   bench/windows/run_startup.sh [WINDOWS_BUILD_DIR] [RUNS] [OTHER_VELMORA.EXE]
#
# WINDOWS_BUILD_DIR is what tools/build-windows.sh made (default
# build-windows); its velmora.exe is the stripped one that ships. Runs every
# program RUNS times (default 15), interleaved round by round, in a fresh Wine
# prefix on a private Xvfb with openbox, and prints the medians, the spread
# (first to third quartile) and the ratios. OTHER_VELMORA.EXE (an older build,
# say) is measured in the same rounds and compared with the same floor.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
runs=${2:-15}
other=${3:-}

velmora=$build/src/velmora.exe
floor=$build/bench/windows/startup_floor.exe
baseline=$build/bench/windows/startup_baseline.exe
probe=$build/bench/windows/startup_probe.exe
for f in "$velmora" "$floor" "$baseline" "$probe" ${other:+"$other"}; do
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

# Copies in the prefix: all start from the same kind of disk. VELMORA runs
# under the name vm-bench, whose settings (after the first run, settled) the
# floor reads too; another build of it runs under the same name from a folder
# of its own.
mkdir -p "$work/now" "$work/other"
cp "$velmora" "$work/now/vm-bench.exe"
[[ -z $other ]] || cp "$other" "$work/other/vm-bench.exe"
# The yardsticks are built with debug information like everything else; they
# run stripped, as velmora.exe ships.
x86_64-w64-mingw32-strip -o "$work/floor.exe" "$floor"
x86_64-w64-mingw32-strip -o "$work/baseline.exe" "$baseline"
# The Linux process that runs a Windows program: its command line's first
# word is the program's Windows path. Wine may take a moment to set it.
unix_pid() {
  local p first
  for _ in $(seq 20); do
    for p in /proc/[0-9]*; do
      first=$({ tr '\0' '\n' <"$p/cmdline"; } 2>/dev/null | head -n1) || continue
      [[ $first == *"\\$1" ]] && { echo "${p#/proc/}"; return; }
    done
    sleep 0.05
  done
  echo "run_startup: no process for $1" >&2
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
  wait "$probe" || true
  local times
  times=$(tr -d '\r' <"$out")
  # A start that showed nothing or could not be read is taken again.
  [[ $times =~ ^[0-9.]+\ [0-9.]+$ && -n $pid ]] || return 1
  echo "$times $kib"
}
sample() { # program -> one measured line; up to three tries on a machine busy enough to miss one
  measure "$1" || measure "$1" || measure "$1"
}

programs=(now/vm-bench floor baseline)
[[ -z $other ]] || programs+=(other/vm-bench)
# One unmeasured start each warms the file cache and Wine's own start-up (and
# leaves VELMORA's settings in place for the floor to read).
for p in "${programs[@]}"; do
  sample "$work/$p.exe" >/dev/null
  : >"$work/${p//\//-}.txt"
done
for ((i = 1; i <= runs; i++)); do
  for p in "${programs[@]}"; do sample "$work/$p.exe" >>"$work/${p//\//-}.txt"; done
done

# "median q1 q3" of a column.
stats() { # column file
  sort -g -k"$1","$1" "$2" | awk -v c="$1" '{ v[NR] = $c }
    function at(q, i) { i = 1 + q * (NR - 1); return v[int(i)] + (i - int(i)) * (v[int(i) + 1] - v[int(i)]) }
    END { print at(0.5), at(0.25), at(0.75) }'
}
row() { # label file
  local c out=""
  for c in 1 2 3 4; do out+=" $(stats $c "$2")"; done
  echo "$1$out"
}
{
  row velmora.exe "$work/now-vm-bench.txt"
  row floor "$work/floor.txt"
  row one-label "$work/baseline.txt"
  [[ -z $other ]] || row other "$work/other-vm-bench.txt"
} | awk -v wine_version="$(wine --version)" -v n="$runs" '
  { name[NR] = $1; for (i = 2; i <= NF; i++) v[NR, i - 1] = $i }
  function line(r) {
    printf "  %-12s %9.1f %9.1f %12d %12d   %5.1f-%-5.1f %6d-%-6d\n", name[r], v[r, 1], v[r, 4], v[r, 7], v[r, 10],
      v[r, 2], v[r, 3], v[r, 8], v[r, 9]
  }
  function ratio(r, b, label) {
    printf "  %-12s %8.2fx %8.2fx %11.2fx %11.2fx\n", label, v[r, 1] / v[b, 1], v[r, 4] / v[b, 4], v[r, 7] / v[b, 7],
      v[r, 10] / v[b, 10]
  }
  END {
    printf "velmora.exe under Wine (%s), median of %d interleaved runs each, measured from CreateProcess\n",
      wine_version, n
    printf "  %-12s %9s %9s %12s %12s   %-11s %s\n", "", "shown ms", "painted", "private KiB", "resident KiB",
      "shown q1-q3", "private q1-q3"
    line(1); line(2); if (NR > 3) line(4)
    ratio(1, 2, "vs floor")
    if (NR > 3) ratio(4, 2, "other/floor")
    line(3)
    ratio(1, 3, "vs one-label")
  }'
