#!/usr/bin/env bash
# Packs a built velmora.exe for Windows users:
#
#   tools/package-windows.sh VELMORA.EXE VERSION OUTDIR
#   e.g. tools/package-windows.sh build-windows/src/velmora.exe 1.1 build-windows/package
#   -> OUTDIR/velmora-VERSION-setup.exe    per-user installer (packaging/windows/velmora.nsi)
#      OUTDIR/velmora-VERSION-windows.zip  velmora.exe alone
set -euo pipefail
if (($# != 3)); then
  echo "usage: $0 VELMORA.EXE VERSION OUTDIR" >&2
  exit 2
fi
exe=$1 version=$2 out=$3
root=$(cd "$(dirname "$0")/.." && pwd)
[[ -f $exe ]] || { echo "$0: no such file: $exe" >&2; exit 1; }
# Windows' version resources take at most four numbers.
[[ $version =~ ^[0-9]+(\.[0-9]+){1,3}$ ]] || { echo "$0: not a version like 1.1: $version" >&2; exit 2; }

source "$root/tools/install-missing.sh"
install_missing package-windows.sh "${windows_packages[@]}"
# What ships is stripped (the build keeps velmora.exe.debug beside it): debug
# sections would make it 18 times as large and cost memory at every start.
if grep -q ' \.debug_' <<<"$(x86_64-w64-mingw32-objdump -h "$exe")"; then
  echo "$0: $exe carries debug sections; pack the stripped one tools/build-windows.sh makes" >&2
  exit 1
fi

mkdir -p "$out"
exe=$(realpath "$exe") out=$(realpath "$out")
IFS=. read -r -a numbers <<<"$version"
while ((${#numbers[@]} < 4)); do numbers+=(0); done
version4=$(IFS=.; echo "${numbers[*]}")

setup=$out/velmora-$version-setup.exe zip=$out/velmora-$version-windows.zip
# -WX: a warning (a missing file, a bad define) stops the build instead of
# shipping an installer that misbehaves.
makensis -V2 -WX -DVERSION="$version" -DVERSION4="$version4" -DEXE="$exe" -DOUTFILE="$setup" \
  "$root/packaging/windows/velmora.nsi"

# The archive holds the program under its own name, whatever the build called it.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/velmora.exe"
rm -f "$zip"
(cd "$stage" && zip -q -X -9 "$zip" velmora.exe)
echo "$setup"
echo "$zip"
