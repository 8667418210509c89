#!/usr/bin/env bash
# Runs a command inside one virtual display with one persistent wineserver for
# the given prefix, so every Wine start inside it is fast and can open windows:
#   scripts/wine-session.sh [--arch i686|x86_64] PREFIX COMMAND [ARGS...]
# The architecture (default i686) picks the prefix's kind and the Wine loader.
set -euo pipefail

if [ "${1:-}" = "--inner" ]; then
    shift
    . "$(dirname "$0")/../tools/wine-arch.sh"
    wineserver -p
    wineboot -i >/dev/null 2>&1 </dev/null
    zv_no_crash_dialog || echo "warning: Wine's crash dialog could not be turned off in $WINEPREFIX" >&2
    rc=0
    "$@" || rc=$?
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    exit $rc
fi

arch=i686
if [ "${1:-}" = "--arch" ]; then
    arch=$2
    shift 2
fi
prefix=$(realpath -m "$1")
shift
mkdir -p "$prefix"
. "$(dirname "$0")/../tools/wine-arch.sh"
zv_wine_arch "$arch"
export ZV_ARCH="$arch" WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all,err+module}"
# Tells tools/wine-run.sh that the crash dialog of this prefix is off already.
export ZV_WINE_SESSION="$prefix"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"

# A server of this prefix left from a session without a display could not make windows.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

self=$(realpath "$0")
if [ -n "${DISPLAY:-}" ] && [ -z "${ZV_FORCE_XVFB:-}" ]; then
    exec "$self" --inner "$@"
else
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$self" --inner "$@"
fi
