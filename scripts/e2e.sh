#!/usr/bin/env bash
# The end-to-end suite: the built exe on a fresh demo machine under Wine, driven from
# outside: scripts/e2e.sh [i686|x86_64] runs Zorvane.exe (the windows preset, the
# default) or Zorvane64.exe (windows64) in a prefix of that architecture. Expects the
# preset built (scripts/test.sh does it).
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:-i686}
case "$arch" in
    i686) build=build/windows ;;
    x86_64) build=build/windows64 ;;
    *) echo "usage: $0 [i686|x86_64]" >&2; exit 2 ;;
esac
out=build/e2e/$arch
rm -rf "$out"
mkdir -p "$out/bin"
# The browser a web address is handed to: Wine passes it to xdg-open; ours only notes it.
cat > "$out/bin/xdg-open" <<'SH'
#!/bin/sh
echo "$*" >> "$(dirname "$0")/../opened.log"
SH
chmod +x "$out/bin/xdg-open"
export PATH="$PWD/$out/bin:$PATH"
# The hand-over step runs the 32-bit Zorvane.exe in the 64-bit machine, where it can.
. tools/wine-arch.sh
if zv_can_run_i686; then export ZV_CAN_RUN_I686=1; else export ZV_CAN_RUN_I686=0; fi
ZV_FORCE_XVFB=1 scripts/wine-session.sh --arch "$arch" "$out/prefix" bash -c '
    tools/make-demo-prefix.sh "$WINEPREFIX" >/dev/null &&
    python3 tests/e2e/run_e2e.py --build "$1" --prefix "$WINEPREFIX" --out "$2"' e2e "$build" "$out"
