#!/bin/bash
# Runs a Windows test executable under Wine in the given prefix (the build's own, never a
# user's): wine-run.sh PREFIX ARCH EXE [ARGS...], ARCH as tools/wine-arch.sh takes it.
# CTest's emulator; exits with the program's code.
#
# What the program leaves running (a crashed test's child, a server it started, an
# explorer.exe) keeps CTest's output pipe open, and CTest waits for the pipe, not for the
# test. So every process of this run, Windows or Unix, inherits ZV_WINE_RUN=<this script's
# PID>, and those still running once the program has ended are ended. The session's own
# processes, and those of a test running beside this one in the same prefix, are kept.
export WINEPREFIX="$1"
. "$(dirname "$0")/wine-arch.sh"
zv_wine_arch "$2" || exit 2
shift 2
export WINEDEBUG="${WINEDEBUG:--all,err+module}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
export ZV_WINE_RUN=$$

# Sets left to the PIDs this run left, and those an earlier run of this prefix left when
# CTest killed it at its timeout (it could not end them itself). Never a wineserver: one
# this run started, for a prefix outside a session, saves the registry as it ends.
leftovers() {
    local procs=(/proc/[0-9]*/environ) entry pid mark comm stat owner
    left=()
    while IFS= read -r -d '' entry; do
        pid=${entry#/proc/}
        pid=${pid%%/*}
        mark=${entry##*=}
        if [ "$mark" != $$ ]; then
            mapfile -d '' -t owner 2>/dev/null <"/proc/$mark/cmdline" || owner=()
            [[ /${owner[1]:-} != */wine-run.sh ]] || continue  # a run still going
            grep -qxFzs "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" || continue
        fi
        read -r comm 2>/dev/null <"/proc/$pid/comm" || continue
        [[ $comm != wineserver* ]] || continue
        read -r stat 2>/dev/null <"/proc/$pid/stat" || continue
        stat=${stat##*) }
        [ "${stat%% *}" != Z ] || continue
        left+=("$pid")
    done < <(grep -Hazos '^ZV_WINE_RUN=[0-9][0-9]*$' "${procs[@]}")
}

# TERM, which Wine's processes take a moment to act on, then KILL.
end_leftovers() {
    local signal
    for signal in TERM TERM KILL; do
        leftovers
        [ ${#left[@]} -gt 0 ] || return 0
        kill -"$signal" "${left[@]}" 2>/dev/null
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            sleep 0.1
            leftovers
            [ ${#left[@]} -gt 0 ] || return 0
        done
    done
    echo "wine-run.sh: still running after KILL: ${left[*]}" >&2
}

end_leftovers
# A prefix no session has made (the WOW64 case's) gets the crash dialog off on its first
# run; the file holds it once the prefix's wineserver has ended.
if [ "${ZV_WINE_SESSION:-}" != "$WINEPREFIX" ] &&
    ! grep -qsxF '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
    zv_no_crash_dialog
fi
rc=0
wine "$@" || rc=$?
end_leftovers
exit $rc
