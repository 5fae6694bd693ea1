#!/usr/bin/env bash
# Download-engine benchmarks D1..D5. Builds when needed, starts nginx (Debian's
# nginx-light) on a free loopback port, and measures our code under Wine side
# by side with its peers in the same run: the curl tool built from the same
# libcurl (same Wine), Linux's curl and md5sum. Prints one line per figure.
# Everything it starts (nginx, the wineserver it booted) is stopped by pid.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
[ -f "$ROOT/build/x86_64/bin/download_bench.exe" ] || TARVO_SKIP_SETUP="${TARVO_SKIP_SETUP:-0}" "$ROOT/tools/build.sh" >&2
BUILD="$ROOT/build/x86_64"
PREFIX="$BUILD/wineprefix"
BENCH="$BUILD/bin/download_bench.exe"
DEPS="${TARVO_DEPS:-$HOME/.cache/tarvo-installer-deps}"
CURL_EXE="$(ls -d "$DEPS"/curl-*/x86_64-w64-mingw32/bin/curl.exe | head -n1)"
SIZE_MIB="${BENCH_SIZE_MIB:-256}"
THROTTLED_MIB="${BENCH_THROTTLED_MIB:-$SIZE_MIB}"
D3_RUNS="${BENCH_D3_RUNS:-2}"
RUNS="${BENCH_RUNS:-5}"
export WINEPREFIX="$PREFIX" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

WORK="$(mktemp -d /tmp/tarvo-bench.XXXXXX)"
NGINX_PID=""
WINESERVER_PID=""
cleanup() {
  [ -n "$NGINX_PID" ] && { kill "$NGINX_PID" 2>/dev/null || true; wait "$NGINX_PID" 2>/dev/null || true; }
  if [ -n "$WINESERVER_PID" ]; then
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    wait "$WINESERVER_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# One wineserver for all runs, so no run pays for booting it.
"$ROOT/tools/wine-run.sh" "$PREFIX" cmd /c exit 0 >/dev/null 2>&1 || true
if ! /usr/lib/wine/wineserver -k 2>/dev/null; then :; fi
/usr/lib/wine/wineserver -w 2>/dev/null || true
/usr/lib/wine/wineserver -f -p &
WINESERVER_PID=$!
WINE=/usr/lib/wine/wine64

winpath() { echo "Z:${1//\//\\}"; }

# Packages: random bytes under /<md5>/, as the package server publishes them.
mkdir -p "$WORK/www" "$WORK/out"
make_pkg() { # name MiB -> prints the URL path
  local tmp="$WORK/$1.bin"
  head -c "$(( $2 * 1048576 ))" /dev/urandom >"$tmp"
  local md5; md5="$(md5sum "$tmp" | cut -d' ' -f1)"
  mkdir -p "$WORK/www/$md5"
  mv "$tmp" "$WORK/www/$md5/TarvoPDFEditor.exe"
  echo "/$md5/TarvoPDFEditor.exe"
}
BIG="$(make_pkg big "$SIZE_MIB")"
if [ "$THROTTLED_MIB" = "$SIZE_MIB" ]; then THR="$BIG"; else THR="$(make_pkg thr "$THROTTLED_MIB")"; fi
BIG_FILE="$WORK/www$BIG"
chmod -R a+rX "$WORK"  # nginx workers run as another user

PORT="$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
mkdir -p "$WORK/nginx/logs"
cat >"$WORK/nginx/nginx.conf" <<CONF
worker_processes 1;
pid $WORK/nginx/nginx.pid;
error_log $WORK/nginx/logs/error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  server {
    listen 127.0.0.1:$PORT;
    root $WORK/www;
    location /slow/ { alias $WORK/www/; limit_rate 20m; }
  }
}
CONF
/usr/sbin/nginx -p "$WORK/nginx" -c "$WORK/nginx/nginx.conf" -g 'daemon off;' &
NGINX_PID=$!
for _ in $(seq 1 100); do curl -s -o /dev/null "http://127.0.0.1:$PORT$BIG" -r 0-0 && break; sleep 0.05; done
URL="http://127.0.0.1:$PORT$BIG"
SLOW="http://127.0.0.1:$PORT/slow$THR"
OUT="$(winpath "$WORK/out/pkg.exe")"

field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" | head -n1; }
best() { sort -g | head -n1; }  # the fastest of the runs
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mbps() { awk -v s="$1" -v m="$2" 'BEGIN { printf "%.0f", m * 1.048576 / s }'; }

ours_transfer=(); peer_wine=(); peer_linux=(); ours_dl=(); peaks=()
for _ in $(seq 1 "$RUNS"); do
  rm -f "$WORK/out/"*
  line="$("$WINE" "$BENCH" transfer "$URL" "$OUT" || true)"; echo "[transfer] $line" >&2
  ours_transfer+=("$(field seconds <<<"$line")"); peaks+=("$(field peak_ws <<<"$line")")
  rm -f "$WORK/out/"*
  peer_wine+=("$("$WINE" "$CURL_EXE" -sf -o "$OUT" -w '%{time_total}' "$URL")")
  rm -f "$WORK/out/"*
  peer_linux+=("$(curl -sf -o "$WORK/out/linux.bin" -w '%{time_total}' "$URL")")
  rm -f "$WORK/out/"*
  line="$("$WINE" "$BENCH" downloader "$URL" "$OUT" || true)"; echo "[downloader] $line" >&2
  ours_dl+=("$(field seconds <<<"$line")")
done
t_ours="$(printf '%s\n' "${ours_transfer[@]}" | best)"
t_wine="$(printf '%s\n' "${peer_wine[@]}" | best)"
t_linux="$(printf '%s\n' "${peer_linux[@]}" | best)"
t_dl="$(printf '%s\n' "${ours_dl[@]}" | best)"
peak="$(printf '%s\n' "${peaks[@]}" | sort -g | tail -n1)"

echo "D1 transfer ${SIZE_MIB} MiB: CurlClient $(mbps "$t_ours" "$SIZE_MIB") MB/s, curl.exe (Wine) $(mbps "$t_wine" "$SIZE_MIB") MB/s, Linux curl $(mbps "$t_linux" "$SIZE_MIB") MB/s; ratio to curl.exe $(ratio "$t_wine" "$t_ours") (goal >= 0.9), to Linux curl $(ratio "$t_linux" "$t_ours")"
echo "D2 end to end: CCurlDownloader ${t_dl}s vs transfer ${t_ours}s; ratio $(ratio "$t_dl" "$t_ours") (goal <= 1.5)"

single=(); multi=()
for _ in $(seq 1 "$D3_RUNS"); do
  rm -f "$WORK/out/"*
  single+=("$("$WINE" "$BENCH" downloader "$SLOW" "$OUT" | field seconds)")
  rm -f "$WORK/out/"*
  multi+=("$("$WINE" "$BENCH" mt "$SLOW" "$OUT" | field seconds)")
done
t_single="$(printf '%s\n' "${single[@]}" | best)"
t_multi="$(printf '%s\n' "${multi[@]}" | best)"
echo "D3 two parts, 20 MB/s per connection, ${THROTTLED_MIB} MiB: CCurlDownloader $(mbps "$t_single" "$THROTTLED_MIB") MB/s, CMTCurlDownloader $(mbps "$t_multi" "$THROTTLED_MIB") MB/s; ratio $(ratio "$t_single" "$t_multi") (goal >= 1.8)"

cat "$BIG_FILE" >/dev/null  # warm the page cache
ours_md5=(); peer_md5=()
for _ in $(seq 1 "$RUNS"); do
  ours_md5+=("$("$WINE" "$BENCH" md5 "$(winpath "$BIG_FILE")" | field seconds)")
  b="$(date +%s.%N)"; md5sum "$BIG_FILE" >/dev/null; e="$(date +%s.%N)"
  peer_md5+=("$(awk -v b="$b" -v e="$e" 'BEGIN { printf "%.4f", e - b }')")
done
t_md5="$(printf '%s\n' "${ours_md5[@]}" | best)"
t_sum="$(printf '%s\n' "${peer_md5[@]}" | best)"
echo "D4 digest ${SIZE_MIB} MiB: GetFileMd5 $(mbps "$t_md5" "$SIZE_MIB") MB/s, md5sum $(mbps "$t_sum" "$SIZE_MIB") MB/s; ratio $(ratio "$t_sum" "$t_md5") (goal >= 0.8)"
echo "D5 memory: peak working set during D1 $(awk -v p="$peak" 'BEGIN { printf "%.1f", p / 1048576 }') MiB (goal < 32)"
