#!/usr/bin/env bash
# Backup throughput under Wine (not a test). For each synthetic machine (bench/backup_machine.py,
# DRIVERS/MB: by default 100 third-party drivers with 300 MB of installed files, then 1,000
# drivers with 100 MB, many small files), rounds of, in an order that turns from round to round:
#   - the program's `/backup C:\zbk /all` (its report and hashes included),
#   - a plain CopyFileA loop (bench/copy_loop.c) over the same distinct files into the
#     same tree,
#   - the bare hashed loop (hashed_loop, built by the Windows presets): the same files read
#     and written in 512 KB chunks, each chunk hashed with the program's SHA-256, the floor
#     of any copy that hashes what it writes,
# each run into a fresh folder, timed inside Wine (bench/run_timer.c), start included. It
# prints each one's median, /backup's throughput over the loops' (the ratio of the medians,
# and the median of the rounds' own ratios: the machine's load slows one round's runs alike),
# /backup's time a driver on each machine and the second's over the first's, against the
# targets (0.9x the hashed loop on the first machine, at most 1.2x the first's time a
# driver on the second), and the load before and after each machine. Then, for the first
# machine, the hashed copy alone against CopyFileA in one program (hashed_copy_bench). For
# each architecture this machine runs and whose preset is built, in a prefix of its own
# under the build folder:
#   tools/bench-backup.sh [RUNS] [DRIVERS/MB...]      (5 rounds; 100/300 1000/100)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/bench-lib.sh

if [ "${ZV_BENCH_INNER:-}" != 1 ]; then
    runs=${1:-5}
    [ $# -gt 0 ] && shift
    export ZV_BENCH_MACHINES="${*:-100/300 1000/100}"
    for m in $ZV_BENCH_MACHINES; do
        [[ "$m" =~ ^[1-9][0-9]*/[1-9][0-9]*$ ]] || { echo "A machine is DRIVERS/MB, not $m." >&2; exit 2; }
    done
    zv_bench_prepare() {
        zv_bench_cc run_timer.c
        zv_bench_cc copy_loop.c
    }
    zv_bench_arches bench-backup-prefix "$runs"
fi

# Inside the Wine session.
drive_c=$WINEPREFIX/drive_c
timer=$(zv_win "$out/run_timer.exe")
loop=$(zv_win "$out/copy_loop.exe")
zorvane=$(zv_win "$build/$exe")
hashed=""
if [ -f "$build/hashed_loop.exe" ]; then
    hashed=$(zv_win "$build/hashed_loop.exe")
else
    echo "  (no $build/hashed_loop.exe: build the preset again for the hashed loop)"
fi
wine "$zorvane" /accept >/dev/null 2>&1
: >"$out/bench-backup.log"

# Milliseconds of one timed run, or a note on stderr when it did not exit with 0.
timed() {
    local t code
    read -r t code < <(wine "$timer" "$@" 2>>"$out/bench-backup.log" | tr -d '\r')
    [ "$code" = 0 ] || echo "  (exit code $code: $*)" >&2
    echo "$t"
}
fresh() {
    rm -rf "$drive_c/zbk" "$drive_c/zcp" "$drive_c/zhl"
    sync
}
load() { cut -d' ' -f1 /proc/loadavg; }
mb() { du -sm --apparent-size "$1" | cut -f1; }

summary=()  # per machine: drivers, /backup's median ms
first_list=""
for machine in $ZV_BENCH_MACHINES; do
    drivers=${machine%/*} size=${machine#*/}
    opts=(--drivers "$drivers" --mb "$size")
    list="$out/copy-list-$drivers-$size.txt"
    python3 bench/backup_machine.py "${opts[@]}" reg "$out/backup-machine.reg"
    wine reg import "$(zv_win "$out/backup-machine.reg")" >/dev/null 2>&1
    python3 bench/backup_machine.py "${opts[@]}" files "$drive_c"
    python3 bench/backup_machine.py "${opts[@]}" list "$list"
    [ -n "$first_list" ] || first_list=$list
    winlist=$(zv_win "$list")
    sides=(backup copy)
    [ -z "$hashed" ] || sides+=(hashed)
    before=$(load)
    rounds=()
    for round in $(seq "$ZV_BENCH_RUNS"); do
        declare -A took=([hashed]=0)
        for k in $(seq 0 $((${#sides[@]} - 1))); do
            side=${sides[$(((round + k) % ${#sides[@]}))]}
            fresh
            case "$side" in
                backup) took[$side]=$(timed "$zorvane" /backup 'C:\zbk' /all) ;;
                copy) took[$side]=$(timed "$loop" "$winlist" 'C:\zcp') ;;
                hashed) took[$side]=$(timed "$hashed" "$winlist" 'C:\zhl') ;;
            esac
        done
        rounds+=("${took[backup]},${took[copy]},${took[hashed]}")
        unset took
    done
    after=$(load)
    # The trees of one more run each, by size: the program writes its report, its own copy
    # and a script besides the same files. Its console names each driver it backed up.
    fresh
    backed=$(wine "$zorvane" /backup 'C:\zbk' /all 2>/dev/null | tr -d '\r' | grep -c '^[0-9]*/[0-9]* ' || true)
    wine "$loop" "$winlist" 'C:\zcp' >/dev/null 2>&1 || true
    [ -z "$hashed" ] || wine "$hashed" "$winlist" 'C:\zhl' >/dev/null 2>&1 || true
    echo "  $drivers drivers, $(wc -l <"$list") files of $size MB ($backed drivers backed up), load $before before, $after after:"
    written="$(mb "$drive_c/zbk"),$(mb "$drive_c/zcp"),$([ -z "$hashed" ] || mb "$drive_c/zhl")"
    fresh
    summary+=("$(python3 - "$backed" "$written" "${rounds[@]}" <<'PY'
import statistics, sys

drivers = int(sys.argv[1])
written = sys.argv[2].split(",")
rounds = [[float(x) for x in r.split(",")] for r in sys.argv[3:]]
names = ["/backup C:\\zbk /all", "CopyFileA loop", "bare hashed loop"]
med = [statistics.median(r[k] for r in rounds) for k in range(3)]
for k in range(3):
    if k == 2 and not med[2]:
        continue
    runs = " ".join("%.0f" % r[k] for r in rounds)
    print("    %-22s median %6.0f ms  (runs: %s), %s MB written" % (names[k], med[k], runs, written[k]),
          file=sys.stderr)

def ratio(k):
    # /backup's throughput over side k's on the same files: k's time over /backup's.
    each = sorted(r[k] / r[0] for r in rounds)
    text = "%.2fx (rounds' median %.2fx" % (med[k] / med[0], statistics.median(each))
    if len(each) >= 4:
        q = statistics.quantiles(each, n=4)
        text += ", middle half %.2f-%.2fx" % (q[0], q[2])
    return text + ")"

print("    throughput, /backup over the CopyFileA loop: %s" % ratio(1), file=sys.stderr)
if med[2]:
    print("    throughput, /backup over the hashed loop:    %s" % ratio(2), file=sys.stderr)
per = med[0] / drivers if drivers else 0
print("    /backup's time a driver: %.1f ms" % per, file=sys.stderr)
print("%d %.3f %.4f" % (drivers, per, med[2] / med[0] if med[2] else 0))
PY
)")
    if [ -f "$build/hashed_copy_bench.exe" ] && [ "$list" = "$first_list" ]; then
        echo "    the copies alone, in one program:"
        wine "$(zv_win "$build/hashed_copy_bench.exe")" "$winlist" 'C:\zhc' "$ZV_BENCH_RUNS" \
            2>>"$out/bench-backup.log" | tr -d '\r' | sed 's/^/    /'
        rm -rf "$drive_c/zhc"
    fi
done

if [ ${#summary[@]} -ge 2 ]; then
    python3 - "${summary[@]}" <<'PY'
import sys

(d1, per1, r1), (d2, per2, _) = [(int(a), float(b), float(c)) for a, b, c in (s.split() for s in sys.argv[1:3])]
met = lambda ok: "met" if ok else "NOT met"
if r1:
    print("  target: /backup at least 0.9x the hashed loop's throughput, %d drivers: %.2fx, %s"
          % (d1, r1, met(r1 >= 0.9)))
print("  target: time a driver at %d drivers at most 1.2x that at %d: %.1f ms over %.1f ms = %.2fx, %s"
      % (d2, d1, per2, per1, per2 / per1 if per1 else 0, met(per1 and per2 <= 1.2 * per1)))
PY
fi
