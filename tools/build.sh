#!/usr/bin/env bash
# Sets up the machine when needed, then builds the installer for both triples:
# build/i686 (the shipped 32-bit installer) and build/x86_64 (what the tests run
# under Wine). Ninja rebuilds only what changed.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
[ "${TARVO_SKIP_SETUP:-0}" = 1 ] || "$ROOT/tools/setup.sh"
BUILD_TYPE="${TARVO_BUILD_TYPE:-Release}"
for arch in i686 x86_64; do
  dir="$ROOT/build/$arch"
  tests=OFF
  [ "$arch" = x86_64 ] && tests=ON
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DTARVO_RUN_TESTS=$tests >/dev/null
  fi
  echo "[build] $arch"
  if ! cmake --build "$dir" -- -j"$(nproc)" >"$dir/build.log" 2>&1; then
    grep -v '^\[[0-9]*/[0-9]*\]' "$dir/build.log" >&2
    echo "[build] $arch failed" >&2
    exit 1
  fi
done
