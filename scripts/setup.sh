#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine,
# and fetches jansson's Debian source package into build/deps (never committed).
# Safe to run again: it skips what is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

need_pkgs=(cmake make g++ clang libclang-rt-14-dev pkg-config
           g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386
           xvfb x11-apps imagemagick xdotool
           osslsigncode gcab openssl nginx-light python3
           libjansson-dev googletest libgtest-dev libgmock-dev dpkg-dev)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

have_src=1
grep -rqs '^Types: deb deb-src\|^Types: deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/ || have_src=0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  missing+=(wine32:i386)
fi
if [ "$have_src" -eq 0 ]; then
  # Source entries are derived from the machine's own binary entries, so the
  # mirror stays whatever the machine is configured with.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $SUDO tee /etc/apt/sources.list.d/lite-installer-src.list >/dev/null
  fi
fi
# A mirror caught in the middle of a sync fails one index now and then: try a
# few times, then go on with what the lists hold (the install says if that
# is not enough).
apt_update() {
  for attempt in 1 2 3; do
    $SUDO apt-get update -qq && return 0
    sleep $((attempt * 10))
  done
  echo "setup: apt-get update kept failing; going on with the current lists" >&2
}
if [ ${#missing[@]} -gt 0 ] || [ "$have_src" -eq 0 ]; then
  apt_update
fi
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# jansson's Debian source, cross-compiled later by the CMake superbuild step.
deps="$root/build/deps"
mkdir -p "$deps"
if ! ls -d "$deps"/jansson-*/CMakeLists.txt >/dev/null 2>&1; then
  (cd "$deps" && apt-get source -qq jansson >/dev/null 2>&1 || apt-get source jansson)
fi


# jansson for Windows, cross-compiled with mingw-w64 into build/deps/jansson-win.
if [ ! -f "$deps/jansson-win/lib/libjansson.a" ]; then
  src=$(ls -d "$deps"/jansson-*/ | grep -v jansson-win | head -1)
  cmake -S "$src" -B "$deps/jansson-win-build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections" \
    -DJANSSON_BUILD_DOCS=OFF -DJANSSON_WITHOUT_TESTS=ON \
    -DJANSSON_EXAMPLES=OFF -DJANSSON_BUILD_SHARED_LIBS=OFF \
    -DCMAKE_INSTALL_PREFIX="$deps/jansson-win" >/dev/null
  cmake --build "$deps/jansson-win-build" -j"$(nproc)" >/dev/null
  cmake --install "$deps/jansson-win-build" >/dev/null
fi
echo "setup: done"
