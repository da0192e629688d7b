# Sourced by the scripts that run Windows programs under Wine for the tests:
#   source wine_env.sh DISPLAY_STATE_FILE PREFIX
# A prefix of the build's own, quiet and offline: no Mono or Gecko download.
display=$(sed -n 's/^DISPLAY=//p' "$1" 2>/dev/null || true)
if [[ -z $display ]]; then
  echo "wine: no display recorded in $1 (is the display fixture running?)" >&2
  exit 1
fi
export DISPLAY=$display WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
