#!/usr/bin/env bash
# The installer's main job on this machine: set up, build, start the package
# server serving the demo package (behind a redirect whose final URL carries
# its MD5), run the installer headless under Wine against it, and show where
# it installed and what it recorded. The server is stopped by its pid.
# Extra arguments go to the installer first, so they win over the defaults
# below (for example -installdir=C:\Apps\Tarvo, -downloadtype=3, -insnew=true).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/tools/build.sh"
BUILD="$ROOT/build/x86_64"
PREFIX="$ROOT/build/run-prefix"
export WINEPREFIX="$PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64

portfile="$(mktemp)"
/usr/bin/python3 "$ROOT/tests/servers/package_server.py" --file "$BUILD/bin/demo_package.exe" \
  >"$portfile" &
server_pid=$!
stop() { kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; rm -f "$portfile"; }
trap stop EXIT
for _ in $(seq 1 200); do
  [ -s "$portfile" ] && break
  kill -0 "$server_pid" 2>/dev/null || { echo "[run] package server did not start" >&2; exit 1; }
  sleep 0.05
done
url="http://127.0.0.1:$(head -n1 "$portfile")/software/509"

echo "[run] shipped installer: $ROOT/build/i686/bin/TarvoPDFEditorInstaller.exe"
echo "[run] demo package served at $url (pid $server_pid)"
echo "[run] $BUILD/bin/TarvoPDFEditorInstaller.exe -silent=true under Wine (prefix $PREFIX)"
set +e
"$ROOT/tools/wine-run.sh" "$PREFIX" "$BUILD/bin/TarvoPDFEditorInstaller.exe" "$@" \
  -silent=true "-downloadurl=$url"
rc=$?
set -e
echo "[run] installer exit code: $rc"

key='HKCU\Software\OrvanSoft\TarvoPDFEditor'
echo "[run] registry $key:"
"$WINE" reg query "$key" 2>/dev/null | tr -d '\r' | sed -n 's/^ \+/    /p' || true
install_path="$("$WINE" reg query "$key" /v InstallPath 2>/dev/null | tr -d '\r' |
  sed -n 's/^ *InstallPath *REG_SZ *//p')"
if [ -n "$install_path" ]; then
  unix_dir="$("$WINE" winepath -u "$install_path" 2>/dev/null | tr -d '\r')"
  echo "[run] installed files in $install_path ($unix_dir):"
  ls -l "$unix_dir" | sed 's/^/    /'
  if [ -f "$unix_dir/set.ini" ]; then
    echo "[run] $install_path\\set.ini:"
    tr -d '\r' <"$unix_dir/set.ini" | sed 's/^/    /'
  fi
fi
exit $rc
