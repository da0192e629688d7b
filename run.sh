#!/usr/bin/env bash
# Installs what is missing, builds VELMORA and starts it on the current display.
#
#   ./run.sh
#   VELMORA_BUILD_DIR=/some/dir ./run.sh
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libx11-dev libxtst-dev fonts-liberation)

install_missing() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  [[ $(id -u) == 0 ]] || sudo=(sudo)
  echo "run.sh: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A machine that never fetched the package lists needs them first.
  if ! "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
    "${sudo[@]}" apt-get update
    "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

install_missing

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
