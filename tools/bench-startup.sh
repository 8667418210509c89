#!/usr/bin/env bash
# Start-up figures under Wine (not a test): milliseconds from starting a program
# to its main window being shown, for
#   - a bare Win32 program that only opens a window (the floor),
#   - Zorvane.exe with the update server refusing connections,
#   - Zorvane.exe with an update server that accepts and never answers.
# The update host is mapped to loopback addresses in a private mount namespace,
# so nothing leaves the machine (needs root):
#   tools/bench-startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows
out=$build/bench

if [ "${ZV_BENCH_INNER:-}" != 1 ]; then
    runs=${1:-5}
    [ -f "$build/Zorvane.exe" ] || { echo "Build the windows preset first (Zorvane.exe is missing)." >&2; exit 1; }
    mkdir -p "$out"
    i686-w64-mingw32-gcc-posix -O2 -static -mwindows bench/bare_window.c -o "$out/bare_window.exe"
    i686-w64-mingw32-gcc-posix -O2 -static bench/window_timer.c -o "$out/window_timer.exe"
    host=$(sed -n 's/.*kUpdateHost = "\([^"]*\)".*/\1/p' src/app/StartUp.h)
    [ -n "$host" ] || { echo "No update host found in src/app/StartUp.h." >&2; exit 1; }
    hosts=$(mktemp)
    cp /etc/hosts "$hosts"
    cp /etc/hosts "$hosts.orig"
    trap 'rm -f "$hosts" "$hosts.orig"' EXIT
    export ZV_BENCH_INNER=1 ZV_BENCH_HOSTS="$hosts" ZV_BENCH_HOST="$host" ZV_BENCH_RUNS="$runs"
    self=$(realpath "$0")
    unshare -m bash -c 'mount --bind "$ZV_BENCH_HOSTS" /etc/hosts && scripts/wine-session.sh build/windows/bench-prefix "$0"' "$self"
    exit $?
fi

# Inside the namespace and the Wine session.
python3 tests/wine/http_server.py &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    python3 -c 'import socket; socket.create_connection(("127.0.0.1", 80), 0.2).close()' 2>/dev/null && break
    sleep 0.05
done
# The agreement was accepted earlier, so no question stands before the window.
wine reg add 'HKCU\SOFTWARE\FI' /v ZorvaneFirstTime /d No /f >/dev/null 2>&1

timer=$(winepath -w "$out/window_timer.exe" 2>/dev/null)
bare=$(winepath -w "$out/bare_window.exe" 2>/dev/null)
zorvane=$(winepath -w "$build/Zorvane.exe" 2>/dev/null)

map_host() {  # writes through the bind mount, so the namespace sees it at once
    { cat "$ZV_BENCH_HOSTS.orig"; echo "$1 $ZV_BENCH_HOST"; } >"$ZV_BENCH_HOSTS"
}

measure() {  # LABEL CLASS PROGRAM
    local label=$1 cls=$2 prog=$3 times=()
    for _ in $(seq "$ZV_BENCH_RUNS"); do
        t=$(wine "$timer" "$cls" "$prog" 2>>"$out/warnings.log" | tr -d '\r') || t=fail
        times+=("$t")
    done
    printf '%-44s %s\n' "$label" "$(printf '%s\n' "${times[@]}" | python3 -c '
import statistics, sys
v = [x.strip() for x in sys.stdin if x.strip()]
ok = sorted(float(x) for x in v if x != "fail")
fails = len(v) - len(ok)
if ok:
    print("min %6.0f  median %6.0f  max %6.0f ms  (%d runs%s)" % (ok[0], statistics.median(ok), ok[-1], len(v),
          ", %d failed" % fails if fails else ""))
else:
    print("all %d runs failed" % len(v))')"
}

wine "$timer" BareWindow "$bare" >/dev/null 2>&1 || true  # warm the session's caches
: >"$out/warnings.log"
trap 'kill $server 2>/dev/null || true; grep -v "^$" "$out/warnings.log" | tr -d "\r" | sed "s/^/note: /" || true' EXIT
echo "Start to main window shown, under Wine (update host $ZV_BENCH_HOST):"
measure "bare Win32 window" BareWindow "$bare"
map_host 127.0.0.2
measure "Zorvane, update server refuses" ZorvaneMainWindow "$zorvane"
map_host 127.0.0.3
measure "Zorvane, update server never answers" ZorvaneMainWindow "$zorvane"
