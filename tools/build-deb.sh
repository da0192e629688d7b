#!/usr/bin/env bash
# Builds the Debian package the way a packager would: a Release build with
# Debian's hardening flags, warnings left as warnings, no tests or benchmarks.
#
#   tools/build-deb.sh            -> build-deb/package/velmora_<version>_<arch>.deb
#   VELMORA_DEB_BUILD_DIR=/some/dir tools/build-deb.sh
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/install-missing.sh
install_missing build-deb.sh "${build_packages[@]}"

build=${VELMORA_DEB_BUILD_DIR:-build-deb}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=OFF \
  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB)
ls "$build"/package/*.deb
