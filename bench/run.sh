#!/usr/bin/env bash
# Runs every benchmark of bench/bench.py against the builds of scripts/build.sh
# in a Wine prefix of its own (build/bench/wineprefix) and writes the figures
# to build/bench/RESULTS.md. Never part of the tests: timings are not asserted.
#   bench/run.sh [--quick] [--only download,memory,start,size]
#                [--win-build DIR] [--bare EXE]
# --quick: fewer turns, no 1 GB cases (a few minutes instead of about twenty).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
win_build="$root/build/win"
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  if [ "${args[$i]}" = "--win-build" ]; then win_build=$(cd "${args[$((i + 1))]}" && pwd); fi
done
for tool in wine nginx osslsigncode openssl i686-w64-mingw32-objdump; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/setup.sh)" >&2; exit 1; }
done
[ -f "$win_build/bin/lite_installer.exe" ] || { echo "bench: build first (scripts/build.sh)" >&2; exit 1; }
mkdir -p build/bench
export LI_BENCH_DIR="$root/build/bench"
export LI_WINEPREFIX="$root/build/bench/wineprefix"
export LI_WIN_BUILD_DIR="$win_build"
export LI_HOST_BUILD_DIR="$root/build/bench"
export LI_SOURCE_DIR="$root"
export PYTHONPATH="$root/tests"
export PYTHONDONTWRITEBYTECODE=1
exec python3 "$root/bench/bench.py" "$@"
