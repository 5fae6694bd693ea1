#!/usr/bin/env bash
# One-time machine set-up for building and testing the installer on Debian 12.
# Installs the Debian packages, fetches the Debian sources of curl, jsoncpp and
# 7zip, and cross-builds them (and GoogleTest) for both mingw triples into a
# cache outside the repository. Every step is keyed by package version and
# triple and leaves a stamp, so a second run does no work.
set -euo pipefail

CACHE="${TARVO_DEPS:-$HOME/.cache/tarvo-installer-deps}"
TRIPLES=(i686-w64-mingw32 x86_64-w64-mingw32)
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
JOBS="$(nproc)"

log() { printf '[setup] %s\n' "$*" >&2; }

PACKAGES=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 cmake ninja-build wine64 xvfb
  x11-xserver-utils xdotool imagemagick fonts-wqy-microhei libstb-dev googletest
  7zip dpkg-dev python3 python3-pil binutils-mingw-w64-x86-64
  binutils-mingw-w64-i686 nginx-light
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$p")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    log "Debian packages present"
    return
  fi
  log "installing: ${missing[*]}"
  $SUDO apt-get update -qq
  # nginx must not start a system service on a build machine.
  $SUDO env DEBIAN_FRONTEND=noninteractive RUNLEVEL=1 \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  if command -v systemctl >/dev/null && systemctl is-active -q nginx 2>/dev/null; then
    $SUDO systemctl stop nginx || true
  fi
  pkill -x nginx 2>/dev/null || true
}

enable_sources() {
  local f=/etc/apt/sources.list.d/debian.sources l=/etc/apt/sources.list
  if [ -f "$f" ] && grep -q '^Types: deb$' "$f"; then
    log "enabling deb-src lines"
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    $SUDO apt-get update -qq
  elif [ -f "$l" ] && grep -q '^deb ' "$l" && ! grep -q '^deb-src ' "$l"; then
    log "enabling deb-src lines"
    grep '^deb ' "$l" | sed 's/^deb /deb-src /' | $SUDO tee -a "$l" >/dev/null
    $SUDO apt-get update -qq
  elif ! apt-cache showsrc curl >/dev/null 2>&1 || [ -z "$(apt-cache showsrc curl 2>/dev/null)" ]; then
    $SUDO apt-get update -qq
  fi
}

src_version() {
  apt-cache showsrc "$1" | awk '/^Version:/{print $2}' | sort -V | tail -n1
}

# fetch_source <srcpkg> <version> -> prints the unpacked directory
fetch_source() {
  local pkg="$1" ver="$2" dir="$CACHE/src/$1-$2"
  if [ ! -f "$dir/.unpacked" ]; then
    log "fetching source of $pkg $ver"
    rm -rf "$dir" && mkdir -p "$dir"
    (cd "$dir" && apt-get source -qq --download-only "$pkg=$ver" >/dev/null 2>&1 &&
      dpkg-source -x --no-check ./*.dsc tree >/dev/null)
    touch "$dir/.unpacked"
  fi
  echo "$dir/tree"
}

toolchain() { echo "$(cd "$(dirname "$0")/.." && pwd)/cmake/toolchain-$1.cmake"; }

build_curl() {
  local ver="$1" src="$2" triple="$3"
  local prefix="$CACHE/curl-$ver/$triple"
  [ -f "$prefix/.done" ] && return
  log "building libcurl $ver for $triple"
  local bdir="$CACHE/build/curl-$ver-$triple"
  rm -rf "$bdir" "$prefix"
  local exe=OFF
  [ "$triple" = x86_64-w64-mingw32 ] && exe=ON
  cmake -S "$src" -B "$bdir" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$triple")" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=$exe -DBUILD_TESTING=OFF \
    -DCURL_STATICLIB=ON -DENABLE_MANUAL=OFF \
    -DCURL_USE_OPENSSL=OFF -DCURL_USE_SCHANNEL=OFF -DCURL_USE_MBEDTLS=OFF \
    -DCURL_USE_WOLFSSL=OFF -DCURL_USE_BEARSSL=OFF -DCURL_USE_NSS=OFF \
    -DCURL_ENABLE_SSL=OFF -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
    -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF -DCURL_USE_LIBPSL=OFF \
    -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DUSE_NGHTTP2=OFF \
    -DCURL_USE_GSSAPI=OFF -DENABLE_UNIX_SOCKETS=OFF \
    -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DCURL_DISABLE_FTP=ON \
    -DCURL_DISABLE_TELNET=ON -DCURL_DISABLE_DICT=ON -DCURL_DISABLE_TFTP=ON \
    -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_POP3=ON -DCURL_DISABLE_IMAP=ON \
    -DCURL_DISABLE_SMTP=ON -DCURL_DISABLE_RTSP=ON -DCURL_DISABLE_MQTT=ON \
    -DCURL_DISABLE_SMB=ON -DCURL_DISABLE_NTLM=ON \
    -DCURL_DISABLE_FILE=OFF -DCURL_DISABLE_HTTP=OFF >"$bdir.log" 2>&1 ||
    { tail -n 40 "$bdir.log"; exit 1; }
  cmake --build "$bdir" -j "$JOBS" >>"$bdir.log" 2>&1 || { tail -n 40 "$bdir.log"; exit 1; }
  cmake --install "$bdir" >>"$bdir.log" 2>&1
  rm -rf "$bdir"
  touch "$prefix/.done"
}

build_jsoncpp() {
  local ver="$1" src="$2" triple="$3"
  local prefix="$CACHE/jsoncpp-$ver/$triple"
  [ -f "$prefix/.done" ] && return
  log "building jsoncpp $ver for $triple"
  local bdir="$CACHE/build/jsoncpp-$ver-$triple"
  rm -rf "$bdir" "$prefix"
  cmake -S "$src" -B "$bdir" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$triple")" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
    -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_EXAMPLE=OFF \
    -DJSONCPP_WITH_CMAKE_PACKAGE=ON >"$bdir.log" 2>&1 || { tail -n 40 "$bdir.log"; exit 1; }
  cmake --build "$bdir" -j "$JOBS" >>"$bdir.log" 2>&1 || { tail -n 40 "$bdir.log"; exit 1; }
  cmake --install "$bdir" >>"$bdir.log" 2>&1
  rm -rf "$bdir"
  touch "$prefix/.done"
}

build_gtest() {
  local ver triple="$1"
  ver="$(dpkg-query -W -f='${Version}' googletest)"
  local prefix="$CACHE/googletest-$ver/$triple"
  [ -f "$prefix/.done" ] && return
  log "building googletest $ver for $triple"
  local bdir="$CACHE/build/googletest-$ver-$triple"
  rm -rf "$bdir" "$prefix"
  cmake -S /usr/src/googletest -B "$bdir" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$triple")" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF >"$bdir.log" 2>&1 ||
    { tail -n 40 "$bdir.log"; exit 1; }
  cmake --build "$bdir" -j "$JOBS" >>"$bdir.log" 2>&1 || { tail -n 40 "$bdir.log"; exit 1; }
  cmake --install "$bdir" >>"$bdir.log" 2>&1
  rm -rf "$bdir"
  touch "$prefix/.done"
}

unpack_lzma() {
  local ver="$1" src="$2"
  local dest="$CACHE/lzma-sdk-$ver"
  [ -f "$dest/.done" ] && return
  log "unpacking LZMA SDK C folder from 7zip $ver"
  rm -rf "$dest" && mkdir -p "$dest"
  cp -r "$src/C" "$dest/C"
  touch "$dest/.done"
}

write_env() {
  # The build reads these locations; written every run so a moved cache is found.
  cat >"$CACHE/deps.cmake.tmp" <<EOT
set(TARVO_CURL_ROOT "$CACHE/curl-$CURL_VER")
set(TARVO_JSONCPP_ROOT "$CACHE/jsoncpp-$JSON_VER")
set(TARVO_GTEST_ROOT "$CACHE/googletest-$(dpkg-query -W -f='${Version}' googletest)")
set(TARVO_LZMA_ROOT "$CACHE/lzma-sdk-$SZ_VER/C")
EOT
  if ! cmp -s "$CACHE/deps.cmake.tmp" "$CACHE/deps.cmake" 2>/dev/null; then
    mv "$CACHE/deps.cmake.tmp" "$CACHE/deps.cmake"
  else
    rm -f "$CACHE/deps.cmake.tmp"
  fi
}

main() {
  mkdir -p "$CACHE/src" "$CACHE/build"
  install_packages
  enable_sources
  CURL_VER="$(src_version curl)"
  JSON_VER="$(src_version libjsoncpp)"
  SZ_VER="$(src_version 7zip)"
  local all_done=1
  for t in "${TRIPLES[@]}"; do
    for d in "curl-$CURL_VER/$t" "jsoncpp-$JSON_VER/$t" \
      "googletest-$(dpkg-query -W -f='${Version}' googletest)/$t"; do
      [ -f "$CACHE/$d/.done" ] || all_done=0
    done
  done
  [ -f "$CACHE/lzma-sdk-$SZ_VER/.done" ] || all_done=0
  if [ "$all_done" = 1 ]; then
    write_env
    log "dependencies ready in $CACHE"
    return
  fi
  local curl_src json_src sz_src
  curl_src="$(fetch_source curl "$CURL_VER")"
  json_src="$(fetch_source libjsoncpp "$JSON_VER")"
  sz_src="$(fetch_source 7zip "$SZ_VER")"
  unpack_lzma "$SZ_VER" "$sz_src"
  # The two triples build side by side: configure checks are serial and
  # dominate the time, so two of them keep both cores busy.
  local pids=()
  for t in "${TRIPLES[@]}"; do
    ( build_curl "$CURL_VER" "$curl_src" "$t"
      build_jsoncpp "$JSON_VER" "$json_src" "$t"
      build_gtest "$t" ) &
    pids+=($!)
  done
  local rc=0
  for p in "${pids[@]}"; do wait "$p" || rc=1; done
  [ "$rc" = 0 ] || { log "dependency build failed"; exit 1; }
  write_env
  log "dependencies ready in $CACHE"
}

main "$@"
