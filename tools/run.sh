#!/usr/bin/env bash
# The installer's main job on this machine: set up, build, and run the
# installer under Wine. Extra arguments are passed to the installer.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/tools/build.sh"
BUILD="$ROOT/build/x86_64"
export WINEPREFIX="$ROOT/build/run-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "[run] shipped installer: $ROOT/build/i686/bin/TarvoPDFEditorInstaller.exe"
echo "[run] starting $BUILD/bin/TarvoPDFEditorInstaller.exe under Wine"
set +e
"$ROOT/tools/wine-run.sh" "$WINEPREFIX" "$BUILD/bin/TarvoPDFEditorInstaller.exe" "$@"
rc=$?
set -e
echo "[run] installer exit code: $rc"
exit $rc
