#!/usr/bin/env bash
# Runs a command beside a headless sway with Xwayland: on_sway.sh CMD...
# sway refuses to run as root, so as root it runs as `nobody`. swayidle, as a
# client of it, writes "idle" to $VELMORA_IDLE_LOG after one second without
# input and "resumed" when input comes. The command gets DISPLAY (Xwayland)
# and WAYLAND_DISPLAY (sway's socket, as a full path); Xwayland lets the
# caller's user in.
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-sway.XXXXXX")
as=()
if [[ $(id -u) == 0 ]]; then
  chown nobody:nogroup "$work"
  as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
sway=
cleanup() {
  [[ -n $sway ]] && kill "$sway" 2>/dev/null && wait "$sway" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cat >"$work/config" <<END
xwayland enable
exec sh -c 'xhost +si:localuser:$(id -un) >/dev/null && echo "\$DISPLAY" > $work/display.new && mv $work/display.new $work/display'
exec swayidle -w timeout 1 'echo idle >> $work/idle.log' resume 'echo resumed >> $work/idle.log'
END
"${as[@]}" env -i PATH="$PATH" HOME="$work" XDG_RUNTIME_DIR="$work" WLR_BACKENDS=headless \
  WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/config" >"$work/sway.log" 2>&1 &
sway=$!
for _ in $(seq 200); do
  [[ -s $work/display ]] && compgen -G "$work/wayland-*[0-9]" >/dev/null && break
  kill -0 "$sway" 2>/dev/null || break
  sleep 0.1
done
socket=$(compgen -G "$work/wayland-*[0-9]" | head -1 || true)
if [[ ! -s $work/display || -z $socket ]]; then
  echo "on_sway: sway did not come up:" >&2
  cat "$work/sway.log" >&2
  exit 1
fi
status=0
DISPLAY=$(cat "$work/display") WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=xcb VELMORA_IDLE_LOG=$work/idle.log \
  "$@" || status=$?
exit $status
