#!/usr/bin/env bash
# The Windows installer and zip under Wine, in a fresh prefix.
#   tests/windows/installer/installer_test.sh [VELMORA.EXE]     (or VELMORA_EXE=...)
# Without an exe it builds a stand-in that carries the real resources. Uses
# $DISPLAY, or its own Xvfb when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
source "$root/tools/install-missing.sh"
install_missing installer_test.sh "${windows_packages[@]}" xvfb x11-utils

version=$(sed -n 's/^project(velmora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-installer.XXXXXX")
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko download; no menu entries for the shortcuts on the host
# desktop (Wine's winemenubuilder would copy them there).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
xvfb='' passed=0 failed=0
cleanup() {
  wineserver -k 2>/dev/null || true
  [[ -z $xvfb ]] || kill "$xvfb" 2>/dev/null || true
  if ((failed)); then echo "kept for a look: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
check() { # check DESCRIPTION COMMAND...
  if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "FAIL: $1"; fi
}
same() { [[ $1 == "$2" ]] || { echo "  got '$1', want '$2'"; return 1; }; }
win() { timeout 120 wine "$@" 2>/dev/null | tr -d '\r'; }
reg_value() { win reg query "$1" /v "$2" | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p" || true; }

if [[ -z ${DISPLAY:-} ]]; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
  DISPLAY=:$(<"$work/display") && export DISPLAY
fi

exe=${1:-${VELMORA_EXE:-}}
if [[ -z $exe ]]; then
  IFS=. read -r major minor _ <<<"$version"
  x86_64-w64-mingw32-windres -DVELMORA_VERSION_MAJOR="$major" -DVELMORA_VERSION_MINOR="$minor" \
    -O coff "$root/packaging/windows/velmora.rc" -o "$work/res.o"
  exe=$work/velmora.exe
  x86_64-w64-mingw32-gcc -Wall -Wextra -Werror -municode -mwindows -static -o "$exe" \
    "$root/tests/windows/installer/stand_in.c" "$work/res.o"
fi
"$root/tools/package-windows.sh" "$exe" "$version" "$work/package" >/dev/null
setup=$work/package/velmora-$version-setup.exe zip=$work/package/velmora-$version-windows.zip
check "the zip holds velmora.exe alone" same "$(unzip -Z1 "$zip")" velmora.exe
check "the zip's velmora.exe is the program" cmp -s "$exe" <(unzip -p "$zip" velmora.exe)
# What ships carries no debug sections (13 of its 14 MB, and read into private
# memory at every start); the build keeps them beside it, named in its debug link.
sections() { x86_64-w64-mingw32-objdump -h "$1" | awk '$1 ~ /^[0-9]+$/ { print $2 }'; }
no_debug_sections() { ! grep -q '^\.debug_' <<<"$(sections "$1")"; }
unzip -p "$zip" velmora.exe >"$work/zipped.exe"
check "the zip's velmora.exe has no debug sections" no_debug_sections "$work/zipped.exe"
# The built program's debug link: velmora.exe.debug and the CRC of that file,
# which a debugger checks before it trusts it.
debug_link_holds() {
  x86_64-w64-mingw32-objcopy --dump-section .gnu_debuglink="$work/link" "$exe" "$work/linked.exe" &&
    python3 -c 'import sys, zlib
link = open(sys.argv[1], "rb").read()
name, crc = link.split(b"\0")[0], int.from_bytes(link[-4:], "little")
sys.exit(not (name == b"velmora.exe.debug" and crc == zlib.crc32(open(sys.argv[2], "rb").read())))' \
      "$work/link" "$exe.debug"
}
if [[ -n ${1:-${VELMORA_EXE:-}} ]]; then
  check "the built velmora.exe links velmora.exe.debug beside it" debug_link_holds
  check "velmora.exe.debug holds the debug information" \
    grep -qx '\.debug_info' <<<"$(sections "$exe.debug")"
fi
check "the manifest is well-formed" python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' \
  "$root/packaging/windows/velmora.manifest"
# What Explorer and the loader read: icon, manifest, version.
for file in "$exe" "$setup"; do
  resources=$(x86_64-w64-mingw32-windres -i "$file" -J coff -O rc) || true
  for want in RT_GROUP_ICON RT_MANIFEST "\"FileVersion\", \"$version\"" "\"ProductVersion\", \"$version\""; do
    check "${file##*/} has $want" grep -qF "$want" <<<"$resources"
  done
done

wineboot -i >/dev/null 2>&1
instdir="$(win cmd /c echo %LOCALAPPDATA%)\\Programs\\VELMORA"
unix_instdir=$(winepath -u "$instdir")
start_menu=$(winepath -u "$(win cmd /c echo %APPDATA%)\\Microsoft\\Windows\\Start Menu\\Programs")
# Windows' names are case-blind; Wine spells this folder "StartUp".
startup=$(find "$start_menu" -maxdepth 1 -type d -iname startup)
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VELMORA'
settings_key='HKCU\Software\VB and VBA Program Settings\VELMORA\velmora'
task='"C:\Program Files\Tool\tool.exe" /quiet'
win reg add "$settings_key" /v TASK_1_CMD /d "$task" /f >/dev/null

# switches | Startup shortcut afterwards (none: keep what the last install chose)
while IFS='|' read -r switches want; do
  rc=0
  timeout 120 wine "$setup" /S $switches >/dev/null 2>&1 || rc=$?
  check "setup /S $switches succeeds" same "$rc" 0
  check "Startup shortcut after setup /S $switches" same "$([[ -f $startup/VELMORA.lnk ]] && echo yes)" "$want"
done <<'EOF'
|
/STARTATSIGNIN|yes
|yes
/STARTATSIGNIN=0|
/STARTATSIGNIN|yes
EOF
check "the program is installed" cmp -s "$exe" "$unix_instdir/velmora.exe"
check "the installed velmora.exe has no debug sections" no_debug_sections "$unix_instdir/velmora.exe"
check "the Start menu shortcut starts it" grep -qai 'velmora\.exe' "$start_menu/VELMORA.lnk"
check "the Startup shortcut starts it" grep -qai 'velmora\.exe' "$startup/VELMORA.lnk"
while IFS='|' read -r name want; do
  check "uninstall entry $name" same "$(reg_value "$uninstall_key" "$name")" "$want"
done <<EOF
DisplayName|VELMORA
DisplayVersion|$version
InstallLocation|$instdir
UninstallString|"$instdir\\uninstall.exe" _?=$instdir
QuietUninstallString|"$instdir\\uninstall.exe" /S _?=$instdir
EOF

# The uninstall command as Windows' installed-programs list runs it, in place,
# so that its exit code is the outcome.
[[ $(reg_value "$uninstall_key" QuietUninstallString) =~ ^\"([^\"]+)\"\ (.*)$ ]] || true
uninstaller=${BASH_REMATCH[1]:-} uninstall_args=${BASH_REMATCH[2]:-}
uninstall() { timeout 120 wine "$uninstaller" $uninstall_args >/dev/null 2>&1; }

# The installed program starts and shows a window (found by the class Wine
# gives its X windows: the exe's name); while it runs, setup leaves it alone.
wine "$instdir\\velmora.exe" >/dev/null 2>&1 &
app=$!
for _ in $(seq 100); do xwininfo -root -tree | grep -q '("velmora.exe" ' && break; sleep 0.2; done
check "the installed program shows a window" bash -c "xwininfo -root -tree | grep -q '(\"velmora.exe\" '"
rc=0
timeout 120 wine "$setup" /S >/dev/null 2>&1 || rc=$?
check "setup /S gives up while the program runs" same "$rc" 2
rc=0
uninstall || rc=$?
check "uninstall /S gives up while the program runs" same "$rc" 2
for kept in "$unix_instdir/velmora.exe" "$unix_instdir/uninstall.exe" "$start_menu/VELMORA.lnk" \
  "$startup/VELMORA.lnk"; do
  check "a refused uninstall keeps $kept" test -e "$kept"
done
check "a refused uninstall keeps its entry" same "$(reg_value "$uninstall_key" DisplayName)" VELMORA
win taskkill /IM velmora.exe >/dev/null || true # WM_CLOSE, as when a user closes it
for _ in $(seq 150); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
rc=0
if kill -0 "$app" 2>/dev/null; then rc="still running" && kill "$app"; else wait "$app" || rc=$?; fi
check "the program closes and exits 0" same "$rc" 0

rc=0
uninstall || rc=$?
check "uninstall /S succeeds" same "$rc" 0
# Done when it returns, but for its own file and the folder, which a copy in
# %TEMP% removes once it has ended; wineserver -w waits for that copy.
for gone in "$unix_instdir/velmora.exe" "$start_menu/VELMORA.lnk" "$startup/VELMORA.lnk"; do
  check "uninstall has removed $gone when it returns" test ! -e "$gone"
done
check "uninstall removes its entry" same "$(win reg query "$uninstall_key" >/dev/null 2>&1 && echo there)" ""
timeout 120 wineserver -w || true
check "uninstall removes the folder" test ! -e "$unix_instdir"
check "the task list survives install and uninstall" same "$(reg_value "$settings_key" TASK_1_CMD)" "$task"

echo "installer: $passed passed, $failed failed"
((failed == 0))
