#!/usr/bin/env bash
# Runs one command with the test package server alive:
#   with-server.sh [--file PATH] <command...>
# (with --file the server serves that local file, see package_server.py)
# Starts tests/servers/package_server.py on a free port of 127.0.0.1, exports
# its base URL as TARVO_TEST_SERVER (Wine hands environment variables to
# Windows programs), runs the command and stops the server by its pid.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
server_args=()
if [ "${1:-}" = "--file" ]; then server_args=(--file "$2"); shift 2; fi
portfile="$(mktemp)"
/usr/bin/python3 "$HERE/servers/package_server.py" "${server_args[@]}" >"$portfile" &
server_pid=$!
stop() { kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; rm -f "$portfile"; }
trap stop EXIT
for _ in $(seq 1 200); do
  [ -s "$portfile" ] && break
  kill -0 "$server_pid" 2>/dev/null || { echo "[with-server] server did not start" >&2; exit 1; }
  sleep 0.05
done
port="$(head -n1 "$portfile")"
[ -n "$port" ] || { echo "[with-server] no port" >&2; exit 1; }
export TARVO_TEST_SERVER="http://127.0.0.1:$port"
set +e
"$@"
rc=$?
set -e
exit $rc
