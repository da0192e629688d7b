#!/usr/bin/env bash
# Stops the Xvfb and window manager that start_display.sh recorded, and only those.
set -euo pipefail

state=${1:?usage: stop_display.sh STATE_FILE}
if [[ ! -f $state ]]; then
  echo "stop_display: no state file $state, nothing to stop"
  exit 0
fi

value() { sed -n "s/^$1=//p" "$state"; }

# A recorded pid counts only while it still runs the program we started
# there; the number may have been reused since.
stop_pid() {
  local pid=$1 name=$2
  [[ $pid =~ ^[0-9]+$ ]] || return 0
  [[ $(cat "/proc/$pid/comm" 2>/dev/null) == "$name" ]] || return 0
  kill "$pid" 2>/dev/null || return 0
  # Ended once it is gone or a zombie: reaping it is its parent's business.
  for _ in $(seq 1 100); do
    local state
    state=$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "/proc/$pid/status" 2>/dev/null || true)
    [[ -z $state || $state == Z ]] && return 0
    sleep 0.05
  done
  kill -KILL "$pid" 2>/dev/null || true
}

display=$(value DISPLAY)
wm=$(value WM)
[[ -z $wm || $wm == none ]] || stop_pid "$(value WM_PID)" "$wm"
stop_pid "$(value XVFB_PID)" Xvfb
rm -f "$state"
echo "stop_display: stopped the servers of $display"
