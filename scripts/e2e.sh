#!/usr/bin/env bash
# The end-to-end suite: the built Zorvane.exe on a fresh demo machine under Wine,
# driven from outside. Expects the windows preset built (scripts/test.sh does it).
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/e2e
rm -rf "$out"
mkdir -p "$out/bin"
# The browser a web address is handed to: Wine passes it to xdg-open; ours only notes it.
cat > "$out/bin/xdg-open" <<'SH'
#!/bin/sh
echo "$*" >> "$(dirname "$0")/../opened.log"
SH
chmod +x "$out/bin/xdg-open"
export PATH="$PWD/$out/bin:$PATH"
ZV_FORCE_XVFB=1 scripts/wine-session.sh "$out/prefix" bash -c '
    tools/make-demo-prefix.sh "$WINEPREFIX" >/dev/null &&
    python3 tests/e2e/run_e2e.py --build build/windows --prefix "$WINEPREFIX" --out build/e2e'
