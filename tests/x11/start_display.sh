#!/usr/bin/env bash
# Starts a private Xvfb on a free display number and openbox on it, then
# records both in a state file that the real-display tests and
# stop_display.sh read. Both servers are detached from this script's output,
# so the test runner does not wait for them.
set -euo pipefail

state=${1:?usage: start_display.sh STATE_FILE}
width=${VELMORA_X11_WIDTH:-1920}
height=${VELMORA_X11_HEIGHT:-1200}
dir=$(dirname "$state")
mkdir -p "$dir"

# A state file left by an interrupted run names servers this script started.
if [[ -f $state ]]; then
  "$(dirname "$0")/stop_display.sh" "$state" || true
fi

for tool in Xvfb openbox xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "start_display: $tool is not installed (apt-get install xvfb openbox x11-utils)" >&2
    exit 1
  fi
done

numfile=$(mktemp "$dir/displayfd.XXXXXX")
trap 'rm -f "$numfile"' EXIT

# -displayfd lets Xvfb pick a free number and tell us once it accepts clients.
# -noreset: by default Xvfb resets when its last client leaves, and a probe
# that comes and goes before openbox has connected would pull the display
# away from under openbox.
setsid Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -dpi 96 -nolisten tcp -noreset \
  3>"$numfile" </dev/null >"$dir/xvfb.log" 2>&1 &
xvfb_pid=$!

number=""
for _ in $(seq 1 200); do
  if [[ -s $numfile ]] && number=$(head -n1 "$numfile") && [[ $number =~ ^[0-9]+$ ]]; then
    break
  fi
  number=""
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "start_display: Xvfb exited at start; its log:" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
  fi
  sleep 0.05
done
if [[ -z $number ]]; then
  echo "start_display: Xvfb gave no display number within 10 s" >&2
  kill "$xvfb_pid" 2>/dev/null || true
  exit 1
fi
display=":$number"

# openbox is managing once it has set the EWMH check window on the root.
# An openbox that gave up at once (the display busy starting) is tried again.
managed=0
for attempt in 1 2 3; do
  DISPLAY=$display setsid openbox --sm-disable </dev/null >"$dir/openbox.log" 2>&1 &
  openbox_pid=$!
  for _ in $(seq 1 200); do
    if DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
      managed=1
      break 2
    fi
    if ! kill -0 "$openbox_pid" 2>/dev/null; then break; fi
    sleep 0.05
  done
  kill "$openbox_pid" 2>/dev/null || true
  echo "start_display: openbox attempt $attempt did not take $display" >&2
done
if [[ $managed != 1 ]]; then
  echo "start_display: openbox did not start managing $display; its log:" >&2
  cat "$dir/openbox.log" >&2
  kill "$openbox_pid" "$xvfb_pid" 2>/dev/null || true
  exit 1
fi

cat >"$state" <<STATE
DISPLAY=$display
XVFB_PID=$xvfb_pid
OPENBOX_PID=$openbox_pid
STATE
echo "start_display: Xvfb on $display (pid $xvfb_pid), openbox pid $openbox_pid"
