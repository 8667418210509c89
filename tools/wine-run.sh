#!/bin/sh
# Runs a Windows test executable under Wine in the given prefix (the build's
# own, never a user's): wine-run.sh PREFIX EXE [ARGS...]. CTest's emulator.
export WINEPREFIX="$1"
shift
export WINEARCH="${WINEARCH:-win32}"
export WINEDEBUG="${WINEDEBUG:--all,err+module}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
exec wine "$@"
