#!/usr/bin/env bash
# Cross-builds the Windows program and its tests with MinGW-w64, statically
# linked, into build-windows/ (or $VELMORA_WINDOWS_BUILD_DIR). Installs the
# cross compiler and its tools when missing.
#
#   tools/build-windows.sh [CMAKE BUILD ARGS...]    e.g. tools/build-windows.sh --target test_form
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/install-missing.sh
install_missing build-windows.sh cmake "${windows_build_packages[@]}"

build=${VELMORA_WINDOWS_BUILD_DIR:-build-windows}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON
cmake --build "$build" -j"$(nproc)" "$@"
