#!/usr/bin/env bash
# Photographs the main window in the middle of a pass, for the README: a
# private Xvfb with openbox, a demo task list in a throw-away settings folder,
# and the window grabbed while slot 5 waits for its program (P-4-P).
#
#   tools/screenshot.sh [BUILD_DIR] [OUTPUT_PNG]    defaults: build docs/main-window.png
#
# Re-run it whenever the main window changes, and commit the PNG.
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/install-missing.sh
install_missing screenshot.sh xvfb openbox x11-utils imagemagick

build=${1:-${VELMORA_BUILD_DIR:-build}}
out=${2:-docs/main-window.png}
program=$build/src/velmora
[[ -x $program ]] || { echo "screenshot.sh: build the program first ($program is missing)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/velmora-shot.XXXXXX")
state=$tmp/display/state
pid=""
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  for p in $(pgrep -x vmdemo-sync 2>/dev/null); do
    # Only the demo's own copy of sleep, found by its path.
    [[ $(readlink "/proc/$p/exe" 2>/dev/null) == "$tmp/bin/vmdemo-sync" ]] && kill "$p" 2>/dev/null || true
  done
  tests/x11/stop_display.sh "$state" >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT

VELMORA_X11_WIDTH=800 VELMORA_X11_HEIGHT=700 tests/x11/start_display.sh "$state" >/dev/null
display=$(sed -n 's/^DISPLAY=//p' "$state")

# The demo programs: harmless stand-ins, one that lives a minute to be waited for.
mkdir -p "$tmp/bin" "$tmp/config/VELMORA" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$(command -v sleep)" "$tmp/bin/vmdemo-sync"
cp "$program" "$tmp/bin/velmora"
{
  echo "[General]"
  echo "MAIN-Left=1500"
  echo "MAIN-Top=750"
  echo "AUTOSTART_TICKBOX=1"
  echo "AUTOCLOSE_TICKBOX=1"
  echo "AlwaysOnTopTimer_TICKBOX=1"
  echo "RIVA_AUTOSTART_TICKBOX=1"
  echo "LAST_RUN=COMPLETED SUCCESSFULLY"
  slot() { # n caption enabled command [process to wait for]
    echo "TASK_$1_TICKBOX_CAPTION=$2"
    echo "TASK_$1_ENABLE_TICKBOX=$3"
    echo "TASK_$1_CMD=$4"
    echo "TASK_$1_PAUSE_TICKBOX=$([[ -n ${5:-} ]] && echo 1 || echo 0)"
    echo "TASK_$1_PROCESS_NAME_TEXTBOX=${5:-}"
  }
  slot 1 "Mail client" 1 /bin/true
  slot 2 "Chat" 1 /bin/true
  slot 3 "Games launcher" 0 /bin/true
  slot 4 "Old tool (missing)" 1 "$tmp/bin/no-such-tool"
  slot 5 "Sync notes (waits)" 1 "$tmp/bin/vmdemo-sync 60" vmdemo-sync
  slot 6 "Music player" 1 /bin/true
  slot 7 "Backup" 1 /bin/true
  slot 8 "Browser" 1 /bin/true
} >"$tmp/config/VELMORA/velmora.conf"

env -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS DISPLAY="$display" QT_QPA_PLATFORM=xcb \
  XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime" "$tmp/bin/velmora" >"$tmp/velmora.log" 2>&1 &
pid=$!

# The countdown runs 11 s, slots 1..4 take 7 s more; slot 5's first poll
# (which paints its P-4-P tick) comes 2 s after its launch.
for _ in $(seq 1 400); do
  pgrep -x vmdemo-sync >/dev/null && break
  kill -0 "$pid" 2>/dev/null || { cat "$tmp/velmora.log" >&2; exit 1; }
  sleep 0.1
done
pgrep -x vmdemo-sync >/dev/null || { echo "screenshot.sh: slot 5 never started" >&2; exit 1; }
sleep 2.6

window=$(DISPLAY=$display xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "VELMORA - velmora".*/\1/p' | head -n1)
[[ -n $window ]] || { echo "screenshot.sh: no main window" >&2; exit 1; }
# No time chunks: an unchanged window gives an unchanged file.
DISPLAY=$display import -silent -frame -window "$window" -define png:exclude-chunks=date,time "$out"
echo "screenshot.sh: wrote $out"
echo "screenshot.sh: the program's trace meanwhile:"
cat "$tmp/velmora.log"
