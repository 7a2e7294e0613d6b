#!/usr/bin/env bash
# The README's main job: builds, then performs a real installation under Wine
# from a local download server with a signed sample setup, and prints what
# happened. With --interactive it shows the dialog on a virtual display
# instead, presses Install by itself and saves each screen into build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
PYTHONPATH="$(pwd)/tests" exec python3 scripts/demo_install.py "$@"
