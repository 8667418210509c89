#!/usr/bin/env bash
# Seeds a Wine prefix with the demo machine: an invented driver population under
# the device-class key, its INF files, catalogs and installed files, and devices
# (below Enum\ROOT\ZVDEMO) that use some of the drivers.
#   tools/make-demo-prefix.sh [--arch i686|x86_64] [--agreed] PREFIX
# PREFIX is created when missing: 32-bit for i686 (the default, or $ZV_ARCH inside
# scripts/wine-session.sh), 64-bit for x86_64. --agreed also stores the accepted
# first-run agreement, so the program starts straight into its list. Wine's own
# class keys are left as they are; re-running gives the same image. (A fresh Wine 8
# prefix holds seven classes of its own there, and only one instance with a
# description: "Wine Adapter", no provider, no INF name; Wine rewrites its
# DriverDateData at every session start.)
set -euo pipefail

agreed=()
arch=${ZV_ARCH:-i686}
if [ "${1:-}" = "--arch" ]; then
    arch=$2
    shift 2
fi
if [ "${1:-}" = "--agreed" ]; then
    agreed=(--agreed)
    shift
fi
if [ $# -ne 1 ] || [ -z "$1" ]; then
    echo "usage: $0 [--arch i686|x86_64] [--agreed] PREFIX" >&2
    exit 2
fi

here=$(cd "$(dirname "$0")" && pwd)
prefix=$(realpath -m "$1")
. "$here/wine-arch.sh"
zv_wine_arch "$arch"
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"

# Whether a wineserver of this prefix is up: its socket sits in a folder named after
# the prefix's device and inode (Debian's Wine names the parent in $prefix/wineserver).
server_running() {
    [ -d "$prefix" ] || return 1
    local dir="/tmp/.wine-$(id -u)"
    [ -r "$prefix/wineserver" ] && dir="/tmp/$(cat "$prefix/wineserver")"
    local id
    id=$(printf 'server-%x-%x' $(stat -c '%d %i' "$prefix"))
    [ -S "$dir/$id/socket" ]
}
server_was_up=
server_running && server_was_up=1

if [ -f "$prefix/system.reg" ]; then
    if ! grep -q "^#arch=$WINEARCH" "$prefix/system.reg"; then
        echo "error: $prefix is not a $WINEARCH Wine prefix" >&2
        exit 1
    fi
else
    echo "Creating the Wine prefix $prefix"
    mkdir -p "$prefix"
    # Helpers of the new session must not hold our pipes open.
    wineboot -i >/dev/null 2>&1 </dev/null
    zv_no_crash_dialog || echo "warning: Wine's crash dialog could not be turned off in $prefix" >&2
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

# Registry changes reach the prefix's files when its wineserver ends. Wait for that,
# unless a server that was up before us (a test session) keeps them in memory.
if [ -z "$server_was_up" ]; then
    timeout 30 wineserver -w 2>/dev/null || true
fi
echo "Demo machine ready in $prefix"
