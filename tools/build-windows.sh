#!/usr/bin/env bash
# Cross-builds the Windows program and its tests with MinGW-w64, statically
# linked, into build-windows/ (or $VELMORA_WINDOWS_BUILD_DIR), then packs the
# installer and the zip into its package/ folder. Installs the cross compiler,
# its tools and NSIS when missing. The build leaves src/velmora.exe stripped, as
# it ships, and its debug information beside it in src/velmora.exe.debug, which
# a debugger finds through the program's debug link.
#
#   tools/build-windows.sh                          everything, with the package
#   tools/build-windows.sh [CMAKE BUILD ARGS...]    e.g. tools/build-windows.sh --target test_form
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/install-missing.sh
install_missing build-windows.sh cmake "${windows_build_packages[@]}"

build=${VELMORA_WINDOWS_BUILD_DIR:-build-windows}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON
cmake --build "$build" -j"$(nproc)" "$@"

# The whole build also makes what a Windows user downloads.
if (($# == 0)); then
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  tools/package-windows.sh "$build/src/velmora.exe" "$version" "$build/package"
fi
