#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) in a build folder of their own and runs each
# for a set time, keeping its corpus between runs. Fails when a target finds
# an input that breaks one of its checks or crashes it; the input is kept
# under <build>/findings/ and named in the summary.
#
#   tools/fuzz.sh [SECONDS PER TARGET]     (default 60)
#   VELMORA_FUZZ_DIR=/some/dir tools/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/install-missing.sh
install_missing fuzz.sh "${build_packages[@]}" clang libclang-rt-14-dev

seconds=${1:-60}
build=${VELMORA_FUZZ_DIR:-build-fuzz}
targets=(fuzz_values fuzz_section_file fuzz_command_line)
# Seconds one input may take before it is a finding. A section file is read in
# time linear in its size: its seeds include a long damaged file (made below)
# that took minutes when each problem counted lines from the start again.
declare -A timeouts=([fuzz_values]=10 [fuzz_section_file]=3 [fuzz_command_line]=10)
declare -A max_lengths=([fuzz_section_file]=$((600 * 1024)))
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF -DVELMORA_WINDOWS_TESTS=OFF -DVELMORA_BUILD_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

mkdir -p "$build/made-seeds/section_file"
awk 'BEGIN { print "[General]"; for (n = 0; n < 50000; n++) print (n % 7 ? "bad " n : "TASK_1_CMD=x " n) }' \
  >"$build/made-seeds/section_file/long-damaged.conf"

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
summary=()
failed=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  findings=$build/findings/$target
  mkdir -p "$corpus" "$findings"
  seeds=fuzz/seeds/${target#fuzz_}
  [[ -d $seeds ]] || seeds=
  made=$build/made-seeds/${target#fuzz_}
  [[ -d $made ]] || made=
  log=$build/$target.log
  echo "fuzz.sh: $target for ${seconds}s"
  status=0
  "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout="${timeouts[$target]}" \
    -rss_limit_mb=2048 ${max_lengths[$target]:+-max_len="${max_lengths[$target]}"} \
    -artifact_prefix="$findings/" "$corpus" ${seeds:+"$seeds"} ${made:+"$made"} >"$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  if [[ -z $runs ]]; then
    runs=$(grep -o '#[0-9]*' "$log" | tail -1 | tr -d '#' || true)
  fi
  found=$(find "$findings" -type f | wc -l)
  summary+=("$(printf '%-20s %12s executions  %3s finding(s)  corpus %s' "$target" "${runs:-?}" "$found" "$(find "$corpus" -type f | wc -l)")")
  if ((status != 0 || found > 0)); then
    failed=1
    tail -40 "$log"
    find "$findings" -type f -printf 'fuzz.sh: finding %p\n'
  fi
done
printf '%s\n' "${summary[@]}"
((failed == 0)) || { echo "fuzz.sh: a target found a failing input" >&2; exit 1; }
