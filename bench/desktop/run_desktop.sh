#!/usr/bin/env bash
# CPU and memory of VELMORA standing idle for a while under Xvfb with openbox:
# once with the scanner, the heartbeat and always-on-top all running, once
# with all three off as the baseline, side by side in the same run.
#
#   bench/desktop/run_desktop.sh [BUILD_DIR] [SECONDS]
#
# The baseline's window is the active one, so the busy program finds another
# window in the foreground at every always-on-top tick and does its full work.
# Prints, per program, the share of one core used over the run (after the
# first 5 s of start-up) and the resident memory after 5 s and at the end.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-60}
program=$build/src/velmora
[[ -x $program ]] || { echo "run_desktop: $program is missing; build first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-desktop.XXXXXX")
state=$work/display/state
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [[ -f $state ]] && "$root/tests/x11/stop_display.sh" "$state" >/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$root/tests/x11/start_display.sh" "$state" >/dev/null
export DISPLAY=$(sed -n 's/^DISPLAY=//p' "$state")
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME/VELMORA"

# Two copies under their own names, so each has a settings section of its own.
cp "$program" "$work/busy"
cp "$program" "$work/idle"
cat >"$XDG_CONFIG_HOME/VELMORA/busy.conf" <<CONF
[General]
RIVA_AUTOSTART_TICKBOX=1
AlwaysOnTopTimer_TICKBOX=1
MAIN-Left=1500
MAIN-Top=1500
CONF
cat >"$XDG_CONFIG_HOME/VELMORA/idle.conf" <<CONF
[General]
RIVA_AUTOSTART_TICKBOX=0
AlwaysOnTopTimer_TICKBOX=0
MAIN-Left=9000
MAIN-Top=1500
CONF

"$work/busy" >"$work/busy.log" 2>&1 &
busy=$!
pids+=("$busy")
sleep 1
"$work/idle" >"$work/idle.log" 2>&1 &
idle=$!
pids+=("$idle")

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # utime + stime
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }  # kB
hz=$(getconf CLK_TCK)

sleep 5
t0=$(date +%s.%N)
busy_ticks0=$(ticks "$busy"); idle_ticks0=$(ticks "$idle")
busy_rss0=$(rss "$busy"); idle_rss0=$(rss "$idle")
sleep "$seconds"
t1=$(date +%s.%N)
busy_ticks1=$(ticks "$busy"); idle_ticks1=$(ticks "$idle")
busy_rss1=$(rss "$busy"); idle_rss1=$(rss "$idle")

report() { # name ticks0 ticks1 rss0 rss1
  awk -v n="$1" -v a="$2" -v b="$3" -v r0="$4" -v r1="$5" -v hz="$hz" -v t0="$t0" -v t1="$t1" 'BEGIN {
    printf "%-40s cpu %.2f%% of one core   rss after 5 s %d kB, at end %d kB (%+d kB)\n",
      n, 100 * (b - a) / hz / (t1 - t0), r0, r1, r1 - r0 }'
}
active=$(xprop -root _NET_ACTIVE_WINDOW | awk '{ print $NF }')
echo "VELMORA idle for ${seconds} s under Xvfb + openbox, after 5 s of start-up;" \
  "active window at the end: $(xprop -id "$active" WM_NAME 2>/dev/null | sed 's/^WM_NAME([A-Z_]*) = //')"
report "scanner, heartbeat and always-on-top on" "$busy_ticks0" "$busy_ticks1" "$busy_rss0" "$busy_rss1"
report "all three off (baseline)" "$idle_ticks0" "$idle_ticks1" "$idle_rss0" "$idle_rss1"
