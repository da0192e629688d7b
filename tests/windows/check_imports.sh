#!/usr/bin/env bash
# Fails when a Windows program of the folder needs a DLL that not every
# Windows 10/11 has (a MinGW runtime DLL, for example):
#   check_imports.sh FOLDER
set -euo pipefail
folder=${1:?usage: check_imports.sh FOLDER}
allowed='^(kernel32|user32|gdi32|advapi32|comctl32|shell32|uxtheme|ole32|oleaut32|oleacc|msvcrt|ws2_32|bcrypt|shlwapi|version|api-ms-win-crt-[a-z0-9-]+|ucrtbase)\.dll$'
status=0 checked=0
while IFS= read -r -d '' exe; do
  checked=$((checked + 1))
  while read -r dll; do
    if ! [[ ${dll,,} =~ $allowed ]]; then
      echo "check_imports: $exe needs $dll" >&2
      status=1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
done < <(find "$folder" \( -name CMakeFiles -o -name 'wineprefix*' \) -prune -o -name '*.exe' -print0)
((checked > 0)) || { echo "check_imports: no program in $folder" >&2; exit 1; }
((status == 0)) && echo "check_imports: $checked programs need only system DLLs"
exit "$status"
