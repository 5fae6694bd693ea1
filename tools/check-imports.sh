#!/usr/bin/env bash
# Fails when a Windows executable imports a DLL that Windows itself does not
# ship: every import must exist in the system folder of the Wine prefix.
set -euo pipefail
prefix="$1"; shift
status=0
for exe in "$@"; do
  # Without 32-bit Wine there is no syswow64; the DLL names are the same.
  sysdir="$prefix/drive_c/windows/system32"
  while read -r dll; do
    if [ ! -e "$sysdir/${dll,,}" ]; then
      echo "[imports] $(basename "$exe") imports $dll, which is not a system DLL" >&2
      status=1
    fi
  done < <(objdump -p "$exe" | awk '/DLL Name:/{print $3}')
  [ $status = 0 ] && echo "[imports] $(basename "$exe"): system DLLs only"
done
exit $status
