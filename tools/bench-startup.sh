#!/usr/bin/env bash
# Start-up figures under Wine (not a test): milliseconds from starting a program
# to its main window being shown, for
#   - a bare Win32 program that only opens a window (the floor),
#   - Zorvane with the update server refusing connections,
#   - Zorvane with an update server that accepts and never answers,
# the first two taking turns, with the ratio of their medians,
# for each architecture this machine runs and whose preset is built: Zorvane.exe
# (windows, i686) and Zorvane64.exe (windows64, x86_64), with the bench programs
# built for the same architecture.
# The update host is mapped to loopback addresses in a private mount namespace,
# so nothing leaves the machine (needs root):
#   tools/bench-startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/bench-lib.sh

if [ "${ZV_BENCH_INNER:-}" != 1 ]; then
    host=$(sed -n 's/.*kUpdateHost = "\([^"]*\)".*/\1/p' src/app/StartUp.h)
    [ -n "$host" ] || { echo "No update host found in src/app/StartUp.h." >&2; exit 1; }
    zv_bench_prepare() {
        zv_bench_cc bare_window.c -mwindows
        zv_bench_cc window_timer.c
    }
    # The session runs in a mount namespace of its own whose /etc/hosts the inner part writes.
    zv_bench_session() {
        local hosts rc=0
        hosts=$(mktemp)
        cp /etc/hosts "$hosts"
        cp /etc/hosts "$hosts.orig"
        ZV_BENCH_HOSTS="$hosts" ZV_BENCH_HOST="$host" \
            unshare -m bash -c 'mount --bind "$ZV_BENCH_HOSTS" /etc/hosts &&
                scripts/wine-session.sh --arch "$1" "$2" "$0"' "$zv_bench_script" "$arch" "$1" || rc=$?
        rm -f "$hosts" "$hosts.orig"
        return $rc
    }
    zv_bench_arches bench-prefix "${1:-5}"
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
zv_bench_accept

timer=$(zv_win "$out/window_timer.exe")
bare=$(zv_win "$out/bare_window.exe")
zorvane=$(zv_win "$build/$exe")

map_host() {  # writes through the bind mount, so the namespace sees it at once
    { cat "$ZV_BENCH_HOSTS.orig"; echo "$1 $ZV_BENCH_HOST"; } >"$ZV_BENCH_HOSTS"
}

run_once() {  # CLASS PROGRAM: prints the milliseconds, or "fail"
    wine "$timer" "$1" "$2" 2>>"$out/warnings.log" | tr -d '\r' || echo fail
}

summary() {  # reads one figure a line: min, median, max
    python3 -c '
import statistics, sys
v = [x.strip() for x in sys.stdin if x.strip()]
ok = sorted(float(x) for x in v if x != "fail")
fails = len(v) - len(ok)
if ok:
    print("min %6.0f  median %6.0f  max %6.0f ms  (%d runs%s)" % (ok[0], statistics.median(ok), ok[-1], len(v),
          ", %d failed" % fails if fails else ""))
else:
    print("all %d runs failed" % len(v))'
}

wine "$timer" BareWindow "$bare" >/dev/null 2>&1 || true  # warm the session's caches
: >"$out/warnings.log"
trap 'kill $server 2>/dev/null || true; grep -v "^$" "$out/warnings.log" | tr -d "\r" | sed "s/^/note: /" || true' EXIT
echo "Start to main window shown, under Wine (update host $ZV_BENCH_HOST):"
# The bare window and Zorvane with the server refusing take turns, so that a machine busy
# with other work slows both alike; the ratio is of their medians.
map_host 127.0.0.2
bare_times=() refused_times=()
for _ in $(seq "$ZV_BENCH_RUNS"); do
    bare_times+=("$(run_once BareWindow "$bare")")
    refused_times+=("$(run_once ZorvaneMainWindow "$zorvane")")
done
printf '%-44s %s\n' "bare Win32 window" "$(printf '%s\n' "${bare_times[@]}" | summary)"
printf '%-44s %s\n' "Zorvane, update server refuses" "$(printf '%s\n' "${refused_times[@]}" | summary)"
python3 -c '
import statistics, sys
b, z = (sorted(float(x) for x in a.split() if x != "fail") for a in sys.argv[1:3])
print("ratio, refused to bare (medians)               %.2fx" % (statistics.median(z) / statistics.median(b))
      if b and z else "ratio: no figures")' "${bare_times[*]}" "${refused_times[*]}"
map_host 127.0.0.3
never_times=()
for _ in $(seq "$ZV_BENCH_RUNS"); do never_times+=("$(run_once ZorvaneMainWindow "$zorvane")"); done
printf '%-44s %s\n' "Zorvane, update server never answers" "$(printf '%s\n' "${never_times[@]}" | summary)"
