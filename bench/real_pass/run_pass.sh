#!/usr/bin/env bash
# Times one real unattended pass: all twenty slots enabled with a trivial
# command that logs its start, autostart and autoclose on. Prints the pass
# time (first slot's start to the last's, plus the 2 s the last launched slot
# takes) against the schedule's 40 s.
#
#   bench/real_pass/run_pass.sh [BUILD_DIR]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program=$build/src/velmora
[[ -x $program ]] || { echo "run_pass: $program is missing; build first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-pass.XXXXXX")
state=$work/display/state
pid=""
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
  [[ -f $state ]] && "$root/tests/x11/stop_display.sh" "$state" >/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$root/tests/x11/start_display.sh" "$state" >/dev/null
export DISPLAY=$(sed -n 's/^DISPLAY=//p' "$state") QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

name=velmora-pass
cp "$program" "$work/$name"
log=$work/pass.log
cat >"$work/slot.sh" <<SCRIPT
#!/bin/sh
printf '%s %s\n' "\$1" "\$(date +%s%3N)" >> '$log'
SCRIPT
chmod +x "$work/slot.sh"

conf=$XDG_CONFIG_HOME/VELMORA/$name.conf
mkdir -p "$(dirname "$conf")"
{
  echo "[General]"
  echo "AUTOSTART_TICKBOX=1"
  echo "AUTOCLOSE_TICKBOX=1"
  echo "AlwaysOnTopTimer_TICKBOX=0"
  for n in $(seq 1 20); do
    echo "TASK_${n}_ENABLE_TICKBOX=1"
    echo "TASK_${n}_CMD=$work/slot.sh $n"
  done
} >"$conf"

start=$(date +%s%3N)
"$work/$name" >"$work/output.txt" 2>&1 &
pid=$!
# 11 s autostart + 1 s + ~40 s pass + 11 s autoclose; allow double.
limit=$((start + 130000))
while kill -0 "$pid" 2>/dev/null; do
  if (($(date +%s%3N) > limit)); then
    echo "run_pass: the program did not close itself within 130 s" >&2
    exit 1
  fi
  sleep 0.2
done
wait "$pid" && status=0 || status=$?
pid=""
end=$(date +%s%3N)

lines=$(wc -l <"$log")
first=$(head -n1 "$log" | cut -d' ' -f2)
last=$(tail -n1 "$log" | cut -d' ' -f2)
order=$(cut -d' ' -f1 "$log" | tr '\n' ' ')
last_run=$(sed -n 's/^LAST_RUN=//p' "$conf")

awk -v n="$lines" -v f="$first" -v l="$last" -v s="$start" -v e="$end" \
    -v st="$status" -v lr="$last_run" -v order="$order" 'BEGIN {
  pass = (l - f) / 1000 + 2
  printf "slots launched:      %d (order: %s)\n", n, order
  printf "pass time:           %.2f s (first to last slot %.2f s, plus 2 s) against 40 s scheduled: %+.2f s\n", pass, (l - f) / 1000, pass - 40
  printf "mean slot spacing:   %.3f s (scheduled 2 s)\n", (l - f) / 1000 / (n - 1)
  printf "start to first slot: %.2f s (scheduled about 12 s)\n", (f - s) / 1000
  printf "whole run:           %.2f s, exit status %d, LAST_RUN=%s\n", (e - s) / 1000, st, lr
}'
