#!/usr/bin/env bash
# Sets up, builds both triples and runs the whole test suite under Wine and Xvfb.
# Everything it starts (Xvfb, the prefix's wineserver) it stops by pid on exit.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/tools/build.sh"
BUILD="$ROOT/build/x86_64"
PREFIX="$BUILD/wineprefix"
export WINEPREFIX="$PREFIX" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

XVFB_PID=""
WINESERVER_PID=""
cleanup() {
  if [ -n "$WINESERVER_PID" ]; then
    WINEPREFIX="$PREFIX" /usr/lib/wine/wineserver -k 2>/dev/null || true
    wait "$WINESERVER_PID" 2>/dev/null || true
  fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT

# A private X display for the window tests.
fdfile="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
XVFB_PID=$!
for _ in $(seq 1 100); do [ -s "$fdfile" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$fdfile")"
rm -f "$fdfile"
xsetroot -solid '#dfe4ec' 2>/dev/null || true

# One wineserver for the whole run (a Wine start then costs ~0.1 s), started
# before anything else uses the prefix so it is the one every test talks to.
mkdir -p "$PREFIX"
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w 2>/dev/null || true
/usr/lib/wine/wineserver -f -p &
WINESERVER_PID=$!
"$ROOT/tools/wine-run.sh" "$PREFIX" cmd /c exit 0 >/dev/null 2>&1 || true

"$ROOT/tools/check-imports.sh" "$PREFIX" \
  "$ROOT/build/i686/bin/TarvoPDFEditorInstaller.exe" "$BUILD/bin/TarvoPDFEditorInstaller.exe"

cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
