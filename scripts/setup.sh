#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine,
# and fetches jansson's Debian source package into build/deps (never committed).
# Safe to run again: it skips what is already there. It has to survive a
# package mirror caught in the middle of a sync (an index of one suite and
# architecture out of step with the others), which a fresh machine meets now
# and then: each install is retried, then tried with the security suite
# pinned below the main suite, and a final failure names the mismatch.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

# What each package is for:
#   cmake make g++ clang libclang-rt-14-dev  host build, sanitizers, libFuzzer
#   pkg-config libjansson-dev                host build's jansson
#   googletest libgtest-dev libgmock-dev     unit tests (host and Windows)
#   g++-mingw-w64-i686                       the Windows build
#   dpkg-dev                                 apt-get source (jansson for Windows)
#   wine wine32:i386 (their own step)        running the Windows build
#   osslsigncode gcab openssl                signing test setups, brand cabinets, test PKI
#   nginx-light                              download and status servers of the tests
#   squid                                    the authenticating proxy (Basic, its
#                                            basic_ncsa_auth helper) of the proxy tests
#   python3 python3-pil                      test drivers; the artwork script
#   xvfb picom xdotool                       the dialog tests: display, compositor, input
#   x11-apps imagemagick                     screenshots (xwd, convert)
#   fonts-liberation fonts-wqy-microhei      Arial-metric and CJK fonts for the prefix
need_pkgs=(cmake make g++ clang libclang-rt-14-dev pkg-config libjansson-dev
           googletest libgtest-dev libgmock-dev g++-mingw-w64-i686 dpkg-dev
           osslsigncode gcab openssl nginx-light squid python3 python3-pil
           xvfb picom xdotool x11-apps imagemagick fonts-liberation fonts-wqy-microhei)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

have_src=1
grep -rqs '^Types: deb deb-src\|^Types: deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/ || have_src=0
need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
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
  need_update=1
fi

# A mirror caught mid-sync fails one index now and then: try a few times,
# then go on with what the lists hold (the install says if that is not enough).
apt_update() {
  for attempt in 1 2 3; do
    $SUDO apt-get update -qq && return 0
    sleep $((attempt * 10))
  done
  echo "setup: apt-get update kept failing; going on with the current lists" >&2
}

# An apt preferences folder, used for one install only, that ranks the
# security suite below the main suite: when the security index of one
# architecture is missing, both halves of a multiarch library then come from
# the main suite at the same version.
pin_dir=$(mktemp -d)
trap 'rm -rf "$pin_dir"' EXIT
cat >"$pin_dir/security-below-main.pref" <<'EOF'
Package: *
Pin: release n=bookworm-security
Pin-Priority: 100
EOF

apt_install() {
  $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

# install_step <name> <package...>: installs what is missing of the packages.
install_step() {
  local name=$1; shift
  local missing=()
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "setup: installing $name: ${missing[*]}"
  if [ "$need_update" -eq 1 ]; then apt_update; need_update=0; fi
  apt_install "${missing[@]}" && return 0
  echo "setup: $name did not install; waiting for the mirror and trying again" >&2
  sleep 30
  apt_update
  apt_install "${missing[@]}" && return 0
  echo "setup: $name: trying once with the security suite pinned below the main suite" >&2
  $SUDO apt-get install -y -qq --no-install-recommends \
    -o Dir::Etc::PreferencesParts="$pin_dir" "${missing[@]}" >/dev/null && return 0
  echo "setup: $name could not be installed. Versions the lists offer:" >&2
  for p in "${missing[@]}"; do
    # A multiarch pair (foo and foo:i386) must match; show both halves.
    local base=${p%%:*}
    apt-cache policy "$base" "$base:i386" 2>/dev/null | grep -E '^[^ ]|Installed|Candidate' >&2 || true
    if [ "$name" = "wine32" ]; then
      # wine32's i386 libraries must equal their installed amd64 halves.
      apt-get install -s --no-install-recommends "$p" 2>&1 | grep -E 'Depends|but' | head -20 >&2 || true
    fi
  done
  exit 1
}

[ "$have_src" -eq 1 ] || need_update=1
# Wine first and in one transaction with its i386 half: wine32's i386
# libraries must equal their amd64 halves exactly, which a mirror mid-sync
# breaks, and an amd64 library that an earlier install took from the newer
# suite could not be matched any more.
install_step "wine32" wine wine32:i386
install_step "build and test tools" "${need_pkgs[@]}"

# jansson's Debian source, cross-compiled below for Windows.
deps="$root/build/deps"
mkdir -p "$deps"
if ! ls -d "$deps"/jansson-*/CMakeLists.txt >/dev/null 2>&1; then
  if [ "$have_src" -eq 0 ] && [ "$need_update" -eq 1 ]; then apt_update; need_update=0; fi
  (cd "$deps" && { apt-get source -qq jansson >/dev/null 2>&1 || apt-get source jansson; })
fi

# jansson for Windows, cross-compiled with mingw-w64 into build/deps/jansson-win,
# built like the program (README "Size"): sections the linker can drop, no
# unwind tables, the C runtime's own printf family. Its one strtod call is
# sent to the C runtime's strtod as well: the mingw headers rename strtod to
# the mingw runtime's own (about 20 KB of gdtoa) whatever the settings. A
# build with other settings is made again.
jansson_flags="-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables -D__USE_MINGW_ANSI_STDIO=0"
jansson_stamp="$deps/jansson-win/build-settings"
if [ ! -f "$deps/jansson-win/lib/libjansson.a" ] ||
   [ "$(cat "$jansson_stamp" 2>/dev/null)" != "$jansson_flags strtod" ]; then
  src=$(ls -d "$deps"/jansson-*/ | grep -v jansson-win | head -1)
  rm -rf "$deps/jansson-win-build" "$deps/jansson-win"
  cmake -S "$src" -B "$deps/jansson-win-build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_C_FLAGS="$jansson_flags" \
    -DJANSSON_BUILD_DOCS=OFF -DJANSSON_WITHOUT_TESTS=ON \
    -DJANSSON_EXAMPLES=OFF -DJANSSON_BUILD_SHARED_LIBS=OFF \
    -DCMAKE_INSTALL_PREFIX="$deps/jansson-win" >/dev/null
  cmake --build "$deps/jansson-win-build" -j"$(nproc)" >/dev/null
  cmake --install "$deps/jansson-win-build" >/dev/null
  i686-w64-mingw32-objcopy --redefine-sym ___strtod=_strtod "$deps/jansson-win/lib/libjansson.a"
  echo "$jansson_flags strtod" > "$jansson_stamp"
fi
echo "setup: done"
