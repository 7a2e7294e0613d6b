#!/usr/bin/env bash
# Builds the Windows program (build/win, mingw-w64 i686) and the host build
# (build/host: portable code, host tests, tools, Wine test registration).
# Extra arguments are passed to both CMake configurations.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

# The Windows build is the one the Wine tests drive: short request bounds
# keep its tests of silent servers short (a release sets neither).
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DLI_SHORT_NETWORK_BOUNDS=ON "$@" >/dev/null
cmake --build build/win -j"$jobs"

host_cc=()
if command -v clang++ >/dev/null && [ ! -f build/host/CMakeCache.txt ]; then
  # clang gives the host build libFuzzer besides the sanitizers.
  host_cc=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
fi
cmake -S . -B build/host "${host_cc[@]}" -DCMAKE_BUILD_TYPE=Debug \
  -DLI_WIN_BUILD_DIR="$root/build/win" "$@" >/dev/null
cmake --build build/host -j"$jobs"
