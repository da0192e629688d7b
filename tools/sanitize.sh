#!/usr/bin/env bash
# Builds VELMORA and its tests with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer in a build folder of its own, runs the whole test suite
# (the real-display tests too) and fails on any sanitizer report, from a test
# program or from a velmora a test started, even when the test itself passed.
#
#   tools/sanitize.sh [CTEST ARGS...]          e.g. tools/sanitize.sh -L settings
#   VELMORA_SANITIZE_DIR=/some/dir tools/sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/install-missing.sh
install_missing sanitize.sh "${build_packages[@]}" "${test_packages[@]}"

build=${VELMORA_SANITIZE_DIR:-build-sanitize}
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
# The Windows tests have nothing to sanitize here: ./test.sh runs them.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_BENCH=OFF -DVELMORA_WINDOWS_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="$sanitizers"
cmake --build "$build" -j"$(nproc)"

# Every report goes to a file of its own (<name>.<pid>), so one from a program
# whose exit status nobody looks at is not lost.
reports=$(realpath "$build")/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$(realpath tools/lsan.supp):print_suppressions=0"

status=0
ctest --test-dir "$build" --output-on-failure --timeout 600 -j"$(nproc)" "$@" || status=$?

shopt -s nullglob
found=("$reports"/*)
if ((${#found[@]})); then
  for f in "${found[@]}"; do
    echo "=== sanitizer report $f"
    cat "$f"
  done
  echo "sanitize.sh: ${#found[@]} sanitizer report(s), see above" >&2
  exit 1
fi
((status == 0)) || { echo "sanitize.sh: tests failed under the sanitizers" >&2; exit "$status"; }
echo "sanitize.sh: whole suite passed with no sanitizer report"
