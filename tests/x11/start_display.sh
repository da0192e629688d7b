#!/usr/bin/env bash
# Starts a private Xvfb on a free display number and a window manager on it
# (openbox unless another is named: jwm, or none for a bare server that
# resets whenever its last client leaves, as a kiosk session's does), then
# records both in a state file that the real-display tests and
# stop_display.sh read. Both servers are detached from this script's output,
# so the test runner does not wait for them.
set -euo pipefail

state=${1:?usage: start_display.sh STATE_FILE [openbox|jwm|none]}
wm=${2:-openbox}
case $wm in
  openbox) wm_command=(openbox --sm-disable) ;;
  # A configuration of our own: the system one starts a panel and a clock.
  jwm) wm_command=(jwm -f "$(cd "$(dirname "$0")" && pwd)/jwmrc") ;;
  none) wm_command=() ;;
  *) echo "start_display: unknown window manager $wm" >&2; exit 2 ;;
esac
width=${VELMORA_X11_WIDTH:-1920}
height=${VELMORA_X11_HEIGHT:-1200}
dir=$(dirname "$state")
mkdir -p "$dir"

# A state file left by an interrupted run names servers this script started.
if [[ -f $state ]]; then
  "$(dirname "$0")/stop_display.sh" "$state" || true
fi

tools=(Xvfb xprop)
[[ $wm == none ]] || tools+=("$wm")
for tool in "${tools[@]}"; do
  if ! command -v "$tool" >/dev/null; then
    echo "start_display: $tool is not installed (apt-get install xvfb $wm x11-utils)" >&2
    exit 1
  fi
done

numfile=$(mktemp "$dir/displayfd.XXXXXX")
trap 'rm -f "$numfile"' EXIT

# -displayfd lets Xvfb pick a free number and tell us once it accepts clients.
# -noreset: by default Xvfb resets when its last client leaves, and a probe
# that comes and goes before the window manager has connected would pull the
# display away from under it. The bare server keeps that default on purpose.
reset=(-noreset)
[[ $wm == none ]] && reset=()
setsid Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -dpi 96 -nolisten tcp "${reset[@]}" \
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

# The window manager is managing once it has set the EWMH check window on the
# root. One that gave up at once (the display busy starting) is tried again.
wm_pid=""
if [[ $wm != none ]]; then
  managed=0
  for attempt in 1 2 3; do
    DISPLAY=$display setsid "${wm_command[@]}" </dev/null >"$dir/wm.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 1 200); do
      if DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        managed=1
        break 2
      fi
      if ! kill -0 "$wm_pid" 2>/dev/null; then break; fi
      sleep 0.05
    done
    kill "$wm_pid" 2>/dev/null || true
    echo "start_display: $wm attempt $attempt did not take $display" >&2
  done
  if [[ $managed != 1 ]]; then
    echo "start_display: $wm did not start managing $display; its log:" >&2
    cat "$dir/wm.log" >&2
    kill "$wm_pid" "$xvfb_pid" 2>/dev/null || true
    exit 1
  fi
fi

cat >"$state" <<STATE
DISPLAY=$display
XVFB_PID=$xvfb_pid
WM=$wm
WM_PID=$wm_pid
STATE
echo "start_display: Xvfb on $display (pid $xvfb_pid), window manager $wm ${wm_pid:+pid $wm_pid}"
