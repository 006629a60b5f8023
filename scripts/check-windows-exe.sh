#!/usr/bin/env bash
# Checks a Windows program for release: smaller than 1 MB, and importing only DLLs that come
# with Windows itself (winio.dll is loaded at run time, never imported).
#
#   check-windows-exe.sh PROGRAM.exe
set -euo pipefail

exe=$1
limit=$((1024 * 1024))
size=$(stat -c %s "$exe")
if ((size >= limit)); then
  echo "FAIL: $exe is $size bytes, not under 1 MB" >&2
  exit 1
fi
echo "ok: $exe is $size bytes"

windows_dlls='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|msvcrt|ole32|oleaut32'
windows_dlls+='|shlwapi|version|winmm|uxtheme|ntdll)\.dll$'
status=0
imports=$(objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
if [[ -z $imports ]]; then
  echo "FAIL: objdump found no imports in $exe" >&2
  exit 1
fi
while read -r dll; do
  if [[ ${dll,,} =~ $windows_dlls ]]; then
    echo "ok: imports $dll"
  else
    echo "FAIL: $exe imports $dll, which is not a Windows DLL" >&2
    status=1
  fi
done <<<"$imports"
exit $status
