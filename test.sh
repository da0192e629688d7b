#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
# The real-display tests start their own Xvfb and openbox; no desktop needed.
#
#   ./test.sh [CTEST ARGS...]        e.g. ./test.sh -L x11
#   VELMORA_BUILD_DIR=/some/dir ./test.sh
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libx11-dev libxtst-dev
  xvfb openbox x11-utils fonts-liberation)

install_missing() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  [[ $(id -u) == 0 ]] || sudo=(sudo)
  echo "test.sh: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A machine that never fetched the package lists needs them first.
  if ! "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
    "${sudo[@]}" apt-get update
    "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

install_missing

build=${VELMORA_BUILD_DIR:-build}
jobs=$(nproc)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$jobs"
# A test that hangs fails after 5 minutes instead of holding the run for 25.
ctest --test-dir "$build" --output-on-failure --timeout 300 -j"$jobs" "$@"
