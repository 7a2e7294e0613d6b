#!/usr/bin/env bash
# The README's test command: installs whatever is missing, builds both builds
# and runs every test (host unit tests, fuzz smoke runs, Wine tests). Ends with
# ctest's own summary line.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
cd build/host
exec ctest --output-on-failure -j"$(nproc)" "$@"
