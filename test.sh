#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
# The real-display tests start their own Xvfb with openbox or jwm; no desktop needed.
# The Windows build is cross-compiled too and its tests run under Wine on that
# display (label windows: -L windows runs only them, -LE windows skips them).
#
#   ./test.sh [CTEST ARGS...]        e.g. ./test.sh -L x11
#   VELMORA_BUILD_DIR=/some/dir ./test.sh
set -euo pipefail
cd "$(dirname "$0")"

# The Windows tests (labels windows, and package for the installer) run unless
# the ctest arguments leave them out: -LE windows, or -L matching neither label.
# Only when they run are MinGW-w64 and Wine installed and the Windows tree built.
windows_tests=ON
args=("$@")
for ((i = 0; i + 1 < ${#args[@]}; i++)); do
  regex=${args[i + 1]}
  case ${args[i]} in
    -LE | --label-exclude) if [[ windows =~ $regex ]]; then windows_tests=OFF; fi ;;
    -L | --label-regex) if ! [[ windows =~ $regex || package =~ $regex ]]; then windows_tests=OFF; fi ;;
  esac
done

source tools/install-missing.sh
windows=()
[[ $windows_tests == OFF ]] || windows=("${windows_build_packages[@]}" "${windows_test_packages[@]}")
install_missing test.sh "${build_packages[@]}" "${test_packages[@]}" "${windows[@]}"

build=${VELMORA_BUILD_DIR:-build}
jobs=$(nproc)
# Warnings stop a development or CI build (a package build leaves them as warnings).
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON -DVELMORA_WINDOWS_TESTS=$windows_tests
cmake --build "$build" -j"$jobs"
# A test that hangs fails after 5 minutes instead of holding the run for 25.
status=0
ctest --test-dir "$build" --output-on-failure --timeout 300 -j"$jobs" "$@" || status=$?
# CTest names the tests it skipped but not why; each said why in its output.
awk '/^[0-9]+\/[0-9]+ Test: / { name = $3 } /: Skipped$/ { getline; print "skipped " name ": " $0 }' \
  "$build/Testing/Temporary/LastTest.log" 2>/dev/null || true
exit $status
