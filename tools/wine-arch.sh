# Sourced (. tools/wine-arch.sh): Wine for each architecture of the Windows build.
#   zv_wine_arch ARCH    sets up Wine for ARCH: i686 (32-bit prefix), x86_64 (64-bit
#                        prefix), wow64 (the 32-bit exe in a 64-bit prefix)
#   zv_can_run_i686      true when this machine can execute 32-bit x86 programs
#   zv_no_crash_dialog   turns Wine's crash dialog off in $WINEPREFIX
zv_tools=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")" && pwd)

zv_wine_arch() {
    case "$1" in
        i686) export WINEARCH=win32 ;;
        wow64) export WINEARCH=win64 ;;
        x86_64)
            export WINEARCH=win64
            case ":$PATH:" in *":$zv_tools/wine64:"*) ;; *) export PATH="$zv_tools/wine64:$PATH" ;; esac
            ;;
        *) echo "unknown Windows architecture: $1" >&2; return 2 ;;
    esac
}

# Some kernels have no 32-bit x86 support at all: the 32-bit loader then fails with
# "Exec format error". ZV_NO_I386=1 takes that path on any machine.
zv_can_run_i686() {
    [ -z "${ZV_NO_I386:-}" ] || return 1
    [ -x /usr/lib/wine/wine ] || return 1
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Turns Wine's crash dialog off in $WINEPREFIX: it would keep a crashed test waiting for a
# click. (winedbg is kept off too, by WINEDLLOVERRIDES; this holds where that is replaced.)
zv_no_crash_dialog() {
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 </dev/null
}
