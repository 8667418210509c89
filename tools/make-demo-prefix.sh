#!/usr/bin/env bash
# Seeds a Wine prefix with the demo machine: an invented driver population under
# the device-class key, its INF files, catalogs and installed files.
#   tools/make-demo-prefix.sh [--agreed] PREFIX
# PREFIX is created (32-bit) when missing. --agreed also stores the accepted
# first-run agreement, so the program starts straight into its list. Wine's own
# class keys are left as they are; re-running gives the same image.
set -euo pipefail

agreed=()
if [ "${1:-}" = "--agreed" ]; then
    agreed=(--agreed)
    shift
fi
if [ $# -ne 1 ] || [ -z "$1" ]; then
    echo "usage: $0 [--agreed] PREFIX" >&2
    exit 2
fi

here=$(cd "$(dirname "$0")" && pwd)
prefix=$(realpath -m "$1")
export WINEPREFIX="$prefix" WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"

if [ -f "$prefix/system.reg" ]; then
    if ! grep -q '^#arch=win32' "$prefix/system.reg"; then
        echo "error: $prefix is not a 32-bit Wine prefix" >&2
        exit 1
    fi
else
    echo "Creating the Wine prefix $prefix"
    mkdir -p "$prefix"
    # Helpers of the new session must not hold our pipes open.
    wineboot -i >/dev/null 2>&1 </dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/demo/seed.py" reg "$work/demo.reg" "${agreed[@]}"
# reg import, not regedit: it fails on a missing file or a bad header (regedit never does).
if ! wine reg import "$(winepath -w "$work/demo.reg" 2>/dev/null)" >"$work/import.log" 2>&1 </dev/null; then
    cat "$work/import.log" >&2
    echo "error: the demo registry data could not be imported" >&2
    exit 1
fi
python3 "$here/demo/seed.py" files "$prefix/drive_c"

# Registry changes reach the prefix's files when its wineserver ends; wait for that
# unless a persistent server (a test session) keeps running.
timeout 20 wineserver -w 2>/dev/null || true
echo "Demo machine ready in $prefix"
