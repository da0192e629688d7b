#!/usr/bin/env bash
# Makes (or brings up to date) the tests' Wine prefix and stops its Wine
# processes afterwards; only this prefix's, which only the tests start.
#   wine_prefix.sh start|stop DISPLAY_STATE_FILE PREFIX
set -euo pipefail
action=${1:?usage: wine_prefix.sh start|stop DISPLAY_STATE_FILE PREFIX}
source "$(dirname "$0")/wine_env.sh" "${2:?}" "${3:?}"

case $action in
  start)
    mkdir -p "$WINEPREFIX"
    wineboot --init
    # Boot finished: its helper processes have settled.
    wineserver --wait
    echo "wine_prefix: $WINEPREFIX ready ($(wine --version))"
    ;;
  stop)
    wineserver --kill || true
    echo "wine_prefix: stopped the Wine processes of $WINEPREFIX"
    ;;
  *) echo "wine_prefix: unknown action $action" >&2; exit 2 ;;
esac
