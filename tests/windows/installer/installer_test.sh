#!/usr/bin/env bash
# The Windows installer and zip under Wine, in a fresh prefix: silent installs
# with and without the sign-in tick, the installed program's resources and its
# start, a running copy left alone, and the registered silent uninstall, all
# without touching the settings.
#
#   tests/windows/installer/installer_test.sh [VELMORA.EXE]     (or VELMORA_EXE=...)
#
# Without an exe it builds a stand-in that carries the real resources. Uses
# $DISPLAY, or its own Xvfb when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
here=$root/tests/windows/installer
source "$root/tools/install-missing.sh"
install_missing installer_test.sh "${windows_packages[@]}" xvfb x11-utils

version=$(sed -n 's/^project(velmora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-installer.XXXXXX")
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko download; no menu entries for the shortcuts on the host
# desktop (Wine's winemenubuilder would copy them there).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
xvfb=
passed=0 failed=0
cleanup() {
  wineserver -k 2>/dev/null || true
  [[ -z $xvfb ]] || kill "$xvfb" 2>/dev/null || true
  if ((failed)); then echo "kept for a look: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
check() { # check DESCRIPTION COMMAND...
  if "${@:2}"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $1"
  fi
}
same() { [[ $1 == "$2" ]] || { echo "  got '$1', want '$2'"; return 1; }; }
win() { timeout 120 wine "$@" 2>/dev/null | tr -d '\r'; }
reg_value() { # reg_value KEY NAME -> the value's data, nothing when absent
  win reg query "$1" /v "$2" | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p" || true
}

if [[ -z ${DISPLAY:-} ]]; then
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
  DISPLAY=:$(<"$work/display")
  export DISPLAY
  exec 3>&-
fi

# The stand-in and the resource reader, built with the real resources.
cc=(x86_64-w64-mingw32-gcc -std=c11 -Wall -Wextra -Werror -municode -static -Os)
IFS=. read -r major minor _ <<<"$version"
x86_64-w64-mingw32-windres -DVELMORA_VERSION_MAJOR="$major" -DVELMORA_VERSION_MINOR="$minor" \
  -O coff "$root/packaging/windows/velmora.rc" -o "$work/res.o"
"${cc[@]}" -o "$work/resinfo.exe" "$here/resinfo.c" -lversion
exe=${1:-${VELMORA_EXE:-}}
if [[ -z $exe ]]; then
  exe=$work/velmora.exe
  "${cc[@]}" -mwindows -o "$exe" "$here/stand_in.c" "$work/res.o"
fi

"$root/tools/package-windows.sh" "$exe" "$version" "$work/package" >/dev/null
setup=$work/package/velmora-$version-setup.exe zip=$work/package/velmora-$version-windows.zip
check "the zip holds velmora.exe alone" same "$(unzip -Z1 "$zip")" velmora.exe
check "the zip's velmora.exe is the program" cmp -s "$exe" <(unzip -p "$zip" velmora.exe)
check "the manifest is well-formed XML" python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' \
  "$root/packaging/windows/velmora.manifest"

wineboot -i >/dev/null 2>&1
local_app_data=$(win cmd /c echo %LOCALAPPDATA%) app_data=$(win cmd /c echo %APPDATA%)
instdir="$local_app_data\\Programs\\VELMORA"
start_menu=$(winepath -u "$app_data\\Microsoft\\Windows\\Start Menu\\Programs")
# Windows' names are case-blind; Wine spells this folder "StartUp".
startup_dir=$(find "$start_menu" -maxdepth 1 -type d -iname startup)
unix_instdir=$(winepath -u "$instdir")
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VELMORA'
settings_key='HKCU\Software\VB and VBA Program Settings\VELMORA\velmora'
task='"C:\Program Files\Tool\tool.exe" /quiet'
win reg add "$settings_key" /v TASK_1_CMD /d "$task" /f >/dev/null

# switches | exit code | Startup shortcut afterwards
while IFS='|' read -r switches code want_startup; do
  rc=0
  timeout 120 wine "$setup" /S $switches >/dev/null 2>&1 || rc=$?
  check "setup /S $switches exits $code" same "$rc" "$code"
  check "Startup shortcut after setup /S $switches" same \
    "$([[ -f $startup_dir/VELMORA.lnk ]] && echo yes || echo no)" "$want_startup"
done <<'EOF'
|0|no
/STARTATSIGNIN|0|yes
|0|yes
/STARTATSIGNIN=0|0|no
/STARTATSIGNIN=maybe|2|no
/STARTATSIGNIN|0|yes
EOF
check "the program is installed" cmp -s "$exe" "$unix_instdir/velmora.exe"
check "the Start menu shortcut starts it" grep -qai 'velmora\.exe' "$start_menu/VELMORA.lnk"
check "the Startup shortcut starts it" grep -qai 'velmora\.exe' "$startup_dir/VELMORA.lnk"

while IFS='|' read -r name want; do
  check "uninstall entry $name" same "$(reg_value "$uninstall_key" "$name")" "$want"
done <<EOF
DisplayName|VELMORA
DisplayVersion|$version
Publisher|TARNHOLT
InstallLocation|$instdir
DisplayIcon|$instdir\\velmora.exe,0
UninstallString|"$instdir\\uninstall.exe"
QuietUninstallString|"$instdir\\uninstall.exe" /S
NoModify|0x1
NoRepair|0x1
EOF
check "uninstall entry EstimatedSize in KB" test "$(($(reg_value "$uninstall_key" EstimatedSize)))" -gt 0

# What the shell and the loader read: version, icon, manifest.
while IFS='|' read -r file want; do
  check "resources of $file" same "$(win "$work/resinfo.exe" "$file" | paste -sd ' ')" "$want"
done <<EOF
$instdir\\velmora.exe|FileVersion=$version ProductVersion=$version icons=1 manifest=1
$(winepath -w "$setup")|FileVersion=$version ProductVersion=$version icons=1 manifest=1
$instdir\\uninstall.exe|FileVersion=$version ProductVersion=$version icons=1 manifest=1
EOF

# The installed program starts and shows a window (Wine names its X windows'
# class after the exe, which is how the test finds it), and while it runs
# neither a reinstall nor the uninstaller replaces or removes it.
wine "$instdir\\velmora.exe" >/dev/null 2>&1 &
app=$!
shown=no
for _ in $(seq 100); do
  xwininfo -root -tree | grep -q '("velmora.exe" ' && { shown=yes; break; }
  sleep 0.2
done
check "the installed program shows a window" same "$shown" yes
rc=0
timeout 120 wine "$setup" /S >/dev/null 2>&1 || rc=$?
check "setup /S gives up while the program runs" same "$rc" 2
rc=0
# _?= runs the uninstaller in place, so it returns its own exit code.
timeout 120 wine "$instdir\\uninstall.exe" /S "_?=$instdir" >/dev/null 2>&1 || rc=$?
check "uninstall /S gives up while the program runs" same "$rc" 2
check "the running program is still installed" cmp -s "$exe" "$unix_instdir/velmora.exe"
win taskkill /IM velmora.exe >/dev/null # WM_CLOSE, as a user closing it
for _ in $(seq 150); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
rc=0
if kill -0 "$app" 2>/dev/null; then rc="still running after 30 s" && kill "$app"; else wait "$app" || rc=$?; fi
check "the program closes and exits 0" same "$rc" 0

# The uninstall command as Windows' installed-programs list runs it. The
# uninstaller hands over to a copy of itself in %TEMP% and returns at once;
# wineserver -w waits until every process in the prefix has ended.
quiet=$(reg_value "$uninstall_key" QuietUninstallString)
[[ $quiet =~ ^\"([^\"]+)\"\ (.*)$ ]] || true
timeout 120 wine "${BASH_REMATCH[1]:-}" ${BASH_REMATCH[2]:-} >/dev/null 2>&1 || true
timeout 120 wineserver -w || true
check "uninstall removes the program folder" test ! -e "$unix_instdir"
check "uninstall removes the Start menu shortcut" test ! -e "$start_menu/VELMORA.lnk"
check "uninstall removes the Startup shortcut" test ! -e "$startup_dir/VELMORA.lnk"
check "uninstall removes its entry" same "$(win reg query "$uninstall_key" >/dev/null 2>&1 && echo there)" ""
check "the task list survives install and uninstall" same "$(reg_value "$settings_key" TASK_1_CMD)" "$task"

echo "installer: $passed passed, $failed failed"
((failed == 0))
