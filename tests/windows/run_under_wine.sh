#!/usr/bin/env bash
# Runs a Windows program under Wine in the tests' prefix, on the fixture's display:
#   run_under_wine.sh DISPLAY_STATE_FILE PREFIX PROGRAM.exe [ARGS...]
set -euo pipefail
source "$(dirname "$0")/wine_env.sh" "${1:?}" "${2:?}"
shift 2
exec wine "$@"
