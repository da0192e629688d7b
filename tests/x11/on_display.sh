#!/usr/bin/env bash
# Runs a command on the display the fixture started: on_display.sh STATE CMD...
set -euo pipefail
state=${1:?usage: on_display.sh STATE_FILE COMMAND...}
shift
display=$(sed -n 's/^DISPLAY=//p' "$state" 2>/dev/null || true)
if [[ -z $display ]]; then
  echo "on_display: no display recorded in $state (is the fixture running?)" >&2
  exit 1
fi
export DISPLAY=$display QT_QPA_PLATFORM=xcb
# A Wayland desktop the tests were started from is not the session under test.
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
exec "$@"
