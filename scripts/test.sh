#!/usr/bin/env bash
# The one command that runs every test: installs what is missing, builds the
# host and Windows presets, runs the host tests, then the Windows tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host

cmake --preset windows >/dev/null
cmake --build --preset windows
ZV_FORCE_XVFB=1 scripts/wine-session.sh build/windows/wineprefix ctest --preset windows

# The shipped exe end to end, on a fresh demo machine, driven from outside.
scripts/e2e.sh
