#!/usr/bin/env bash
# Installs what is missing, builds VELMORA and starts it on the current display.
#
#   ./run.sh
#   VELMORA_BUILD_DIR=/some/dir ./run.sh
set -euo pipefail
cd "$(dirname "$0")"

source tools/install-missing.sh
install_missing run.sh "${build_packages[@]}"

build=${VELMORA_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target velmora

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  cat >&2 <<MSG
run.sh: VELMORA is built ($build/src/velmora) but there is no display to show it on:
neither DISPLAY nor WAYLAND_DISPLAY is set. Run ./run.sh from a desktop session
(or with ssh -X), or run ./test.sh, which tests it on a virtual display.
MSG
  exit 1
fi
exec "$build/src/velmora"
