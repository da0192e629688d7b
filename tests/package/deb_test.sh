#!/usr/bin/env bash
# Builds the .deb from the build folder, checks what it holds (desktop entry,
# metainfo, icons, man page, computed dependencies, lintian), installs it and
# runs the installed program through its desktop entry on the test display up
# to its main window, then ends it as a session would.
#
#   deb_test.sh BUILD_DIR DISPLAY_STATE_FILE
#
# In CI (CI=true, as root) the package is really installed with apt-get and
# removed again; elsewhere it is unpacked with dpkg -x, which needs no root.
set -euo pipefail

build=$(realpath "${1:?usage: deb_test.sh BUILD_DIR DISPLAY_STATE_FILE}")
state=${2:?usage: deb_test.sh BUILD_DIR DISPLAY_STATE_FILE}
display=$(sed -n 's/^DISPLAY=//p' "$state" 2>/dev/null || true)
[[ -n $display ]] || { echo "deb_test: no display in $state (run through ctest)" >&2; exit 1; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/velmora-deb.XXXXXX")
pid=""
installed=0
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
  ((installed)) && dpkg -r velmora >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

# --- build and look inside ------------------------------------------------------
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; exit 1; }
deb=$(ls "$tmp"/pkg/velmora_*.deb)
echo "package: $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=" $(sed -e 's/([^)]*)//g' -e 's/[,|]/ /g' <<<"$depends" | tr -s ' ') "
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libx11-6 libxtst6 libwayland-client0 libxkbcommon0 libc6 libstdc++6; do
  [[ $names == *" $lib "* ]] || fail "Depends lacks $lib"
done
[[ $(dpkg-deb -f "$deb" Section) == utils ]] || fail "Section is not utils"

dpkg-deb -x "$deb" "$tmp/root"
root=$tmp/root
for f in usr/bin/velmora usr/share/applications/velmora.desktop \
  usr/share/metainfo/org.example.velmora.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/velmora.svg \
  usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/velmora.png \
  usr/share/man/man1/velmora.1.gz usr/share/doc/velmora/copyright usr/share/doc/velmora/changelog.gz; do
  [[ -f $root/$f ]] || fail "missing /$f"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/velmora.png
  [[ -f $png ]] && ! file -b "$png" | grep -q "PNG image data, $size x $size" && fail "$png is not ${size}x${size}"
done
file -b "$root/usr/bin/velmora" | grep -q ', stripped' || fail "the program is not stripped"
desktop-file-validate "$root/usr/share/applications/velmora.desktop" && ok "desktop entry valid" ||
  fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.velmora.metainfo.xml" &&
  ok "metainfo valid" || fail "appstreamcli validate"
zcat "$root/usr/share/man/man1/velmora.1.gz" | groff -man -Tutf8 -ww -z 2>"$tmp/man.err" &&
  [[ ! -s $tmp/man.err ]] && ok "man page formats cleanly" || { cat "$tmp/man.err" >&2; fail "man page"; }

# Errors fail the test; the warnings are printed for the record.
if lintian --fail-on error --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1; then
  ok "lintian: no errors"
else
  fail "lintian found errors"
fi
grep -v '^N:' "$tmp/lintian.log" || true

# --- install and run --------------------------------------------------------------
if [[ ${CI:-} == true && $(id -u) == 0 ]]; then
  apt-get install -y --no-install-recommends "$deb" >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log" >&2; exit 1; }
  installed=1
  bin=/usr/bin
  desktop=/usr/share/applications/velmora.desktop
  echo "installed with apt-get"
else
  bin=$root/usr/bin
  desktop=$root/usr/share/applications/velmora.desktop
  echo "unpacked with dpkg -x"
fi

# The desktop entry's command, as a launcher or XDG autostart would run it.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
config=$tmp/config
(
  export PATH="$bin:$PATH" DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$config"
  unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
  exec $exec_line
) >"$tmp/out.log" 2>&1 &
pid=$!

# Other tests on the display run a program of the same name: only a window
# of this process counts.
own_window() {
  local w
  for w in $(DISPLAY=$display xwininfo -root -tree 2>/dev/null |
    sed -n 's/^ *\(0x[0-9a-f]*\) "VELMORA - velmora".*/\1/p'); do
    [[ $(DISPLAY=$display xprop -id "$w" _NET_WM_PID 2>/dev/null) == *" = $pid" ]] &&
      DISPLAY=$display xwininfo -id "$w" | grep -q 'Map State: IsViewable' && { echo "$w"; return; }
  done
  return 0
}
window=""
for _ in $(seq 1 200); do
  window=$(own_window)
  [[ -n $window ]] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [[ -n $window ]]; then
  ok "main window \"VELMORA - velmora\" shown ($window)"
else
  fail "no main window within 20 s; output:"
  cat "$tmp/out.log" >&2
fi

# SIGTERM, as at the end of a session: shut-down writes the settings, exit 0.
kill -TERM "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
pid=""
((status == 0)) && ok "ended cleanly on SIGTERM" || fail "exit status $status after SIGTERM"
grep -q '^TASK_20_PAUSE_TICKBOX=0' "$config/VELMORA/velmora.conf" 2>/dev/null &&
  ok "settings written at shut-down" || fail "no settings written to $config/VELMORA/velmora.conf"

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "package test passed"
