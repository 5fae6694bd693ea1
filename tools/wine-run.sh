#!/usr/bin/env bash
# Runs a Windows test program under 64-bit Wine in the build tree's private
# prefix (first argument). The prefix is booted once, with the Mono/Gecko
# installers disabled and the "微软雅黑" font replaced by WenQuanYi Micro Hei so
# Chinese skin texts draw as glyphs.
set -euo pipefail
prefix="$1"
shift
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64
if [ ! -f "$prefix/.tarvo-ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/.tarvo-ready" ]; then
      "$WINE" wineboot -i >/dev/null 2>&1 || true
      reg="$(mktemp --suffix=.reg)"
      printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"微软雅黑"="WenQuanYi Micro Hei"\r\n' |
        iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
      "$WINE" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
      rm -f "$reg"
      touch "$prefix/.tarvo-ready"
    fi
  ) 9>"$prefix.lock"
fi
exec "$WINE" "$@"
