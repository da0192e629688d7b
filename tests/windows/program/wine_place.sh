#!/usr/bin/env bash
# A display and a Wine prefix of their own for the tests that drive the real
# velmora.exe: they read the screen and take the foreground, which the tests
# on the shared display would disturb (and be disturbed by).
#   wine_place.sh start|stop DIR
#   wine_place.sh run DIR PROGRAM.exe [ARGS...]    with VELMORA_ARTIFACT_DIR set
set -euo pipefail
action=${1:?usage: wine_place.sh start|stop|run DIR [PROGRAM ARGS...]}
dir=${2:?usage: wine_place.sh start|stop|run DIR [PROGRAM ARGS...]}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
x11=$here/../../x11 windows=$here/..
state=$dir/display/state prefix=$dir/prefix

case $action in
  start)
    "$x11/start_display.sh" "$state"
    "$windows/wine_prefix.sh" start "$state" "$prefix"
    ;;
  stop)
    "$windows/wine_prefix.sh" stop "$state" "$prefix" || true
    "$x11/stop_display.sh" "$state"
    ;;
  run)
    source "$windows/wine_env.sh" "$state" "$prefix"
    artifacts=${VELMORA_ARTIFACT_DIR:?}
    mkdir -p "$artifacts"
    VELMORA_ARTIFACT_DIR=$(winepath -w "$artifacts")
    export VELMORA_ARTIFACT_DIR
    status=0
    wine "$@" || status=$?
    # The windows' pictures, for a look: PNG where ImageMagick is at hand.
    if command -v convert >/dev/null; then
      for shot in "$artifacts"/*.bmp; do
        [[ -e $shot ]] && convert "$shot" "${shot%.bmp}.png" && rm "$shot"
      done
    fi
    exit "$status"
    ;;
  *) echo "wine_place: unknown action $action" >&2; exit 2 ;;
esac
