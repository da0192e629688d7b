#!/usr/bin/env bash
# Runs the display-free test programs of a build once more as an ordinary user.
# Root reads files without read permission and writes into read-only folders,
# so some settings cases skip or take another way under root; CI runs as root,
# and this is what keeps a test that is wrong for everybody else from landing.
# As root the programs run as `nobody` from a copy of their folder; as anybody
# else they run as that user. Nothing is written into a real home folder.
#
#   tools/test-as-user.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${VELMORA_BUILD_DIR:-build}}

# Every test program that needs no display (the Qt ones run offscreen).
programs=(test_form test_settings test_engine test_model_main test_model_about test_model_settings
  test_model_pictures test_soak test_app test_platform_fake test_platform_posix test_badinput
  test_platform_qt test_ui_qt test_app_linux)

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-as-user.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tests/support" "$work/home" "$work/tmp"
# The programs find the marker program beside them, by a path relative to theirs.
cp "$build/tests/support/velmora_marker" "$work/tests/support/"
for p in "${programs[@]}"; do cp "$build/tests/$p" "$work/tests/"; done

as=() user=$(id -un)
if [[ $(id -u) == 0 ]]; then
  chown -R nobody:nogroup "$work"
  as=(setpriv --reuid=nobody --regid=nogroup --clear-groups) user=nobody
fi
chmod 0700 "$work/home" "$work/tmp"

failed=()
for p in "${programs[@]}"; do
  log=$work/$p.log
  if "${as[@]}" env -i PATH="$PATH" HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/tmp" \
    QT_QPA_PLATFORM=offscreen GSETTINGS_BACKEND=memory "$work/tests/$p" >"$log" 2>&1; then
    # One line a program, and each skipped case with its reason.
    echo "$p as $user: $(grep -o '[0-9]* tests\?\.$' "$log" | tail -1 | tr -d .) passed"
    grep -A1 ': Skipped$' "$log" | grep -v -e '^--$' -e ': Skipped$' | sed 's/^/  skipped: /' || true
  else
    cat "$log"
    failed+=("$p")
  fi
done
if ((${#failed[@]})); then
  echo "test-as-user: failed as an ordinary user: ${failed[*]}" >&2
  exit 1
fi
echo "test-as-user: every display-free test program passed as an ordinary user"
