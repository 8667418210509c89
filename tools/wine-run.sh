#!/bin/bash
# Runs a Windows test executable under Wine in the given prefix (the build's own, never a
# user's): wine-run.sh PREFIX ARCH EXE [ARGS...], ARCH as tools/wine-arch.sh takes it.
# CTest's emulator.
export WINEPREFIX="$1"
. "$(dirname "$0")/wine-arch.sh"
zv_wine_arch "$2" || exit 2
shift 2
export WINEDEBUG="${WINEDEBUG:--all,err+module}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
exec wine "$@"
