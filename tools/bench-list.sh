#!/usr/bin/env bash
# The driver list's speed under Wine (not a test): milliseconds from starting a
# program to its window shown with the list filled, on a machine whose class key
# holds INSTANCES driver instances (bench/class_image.py), for
#   - a plain program that reads the same registry values as the list through an open
#     class key and fills a report list view with redraw held off (bench/plain_list.c),
#   - the same plain program reading only the five values of the list's first six
#     columns (its version before the list had the version and date columns), and
#   - Zorvane, whose main window appears once its list is filled (offline, the
#     agreement accepted, so nothing else stands before it).
# One round runs each of the three once, back to back, the order turning from round to
# round; RUNS rounds. A machine busy with other work slows the runs of one round alike,
# so the figure to go by is the median over the rounds of each round's ratio, Zorvane's
# time over the plain program's. It prints that, each program's median, and the middle
# half of the rounds' ratios, for each architecture this machine runs and whose preset
# is built:
#   tools/bench-list.sh [RUNS] [INSTANCES]      (15 rounds, 2,000 instances)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/bench-lib.sh

if [ "${ZV_BENCH_INNER:-}" != 1 ]; then
    instances=${2:-2000}
    zv_bench_prepare() {
        zv_bench_cc plain_list.c -mwindows -lcomctl32
        zv_bench_cc window_timer.c
        python3 bench/class_image.py "$out/class-image.reg" "$instances"
    }
    zv_bench_arches bench-list-prefix "${1:-15}" "$instances driver instances"
fi

# Inside the Wine session.
wine reg import "$(zv_win "$out/class-image.reg")" >/dev/null 2>&1 </dev/null
# Offline (a proxy on loopback where nothing listens) and the agreement accepted.
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' /v ProxyEnable /t REG_DWORD \
    /d 1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' /v ProxyServer \
    /d 127.0.0.1:9 /f >/dev/null 2>&1
zv_bench_accept

timer=$(zv_win "$out/window_timer.exe")
plain=$(zv_win "$out/plain_list.exe")
zorvane=$(zv_win "$build/$exe")

once() {  # which: milliseconds, or "fail"
    case "$1" in
        plain) wine "$timer" PlainListWindow "$plain" ;;
        five) wine "$timer" PlainListWindow "$plain" five ;;
        zorvane) wine "$timer" ZorvaneMainWindow "$zorvane" ;;
    esac 2>>"$out/warnings.log" | tr -d '\r' | grep . || echo fail
}
: >"$out/warnings.log"
for which in plain five zorvane; do once "$which" >/dev/null; done  # warm the session's caches
programs=(plain five zorvane)
rounds=()
for round in $(seq "$ZV_BENCH_RUNS"); do
    declare -A took=()
    for k in 0 1 2; do
        which=${programs[$(((round + k) % 3))]}
        sleep 0.5  # the last program's exit, which Wine finishes after it, overlaps no start
        took[$which]=$(once "$which")
    done
    rounds+=("${took[plain]},${took[five]},${took[zorvane]}")
    unset took
done
python3 - "${rounds[@]}" <<'PY'
import statistics, sys

rounds = [r.split(",") for r in sys.argv[1:]]
def num(x):
    return None if x == "fail" else float(x)

def spread(values):
    if len(values) < 4:
        return ""
    q = statistics.quantiles(values, n=4)
    return "  (middle half %.2f-%.2fx)" % (q[0], q[2])

names = ["plain program, the list's registry values", "plain program, the first five values",
         "Zorvane, start to filled list"]
for i, name in enumerate(names):
    ok = [num(r[i]) for r in rounds if num(r[i]) is not None]
    runs = " ".join(r[i] for r in rounds)
    print("  %-44s median %s ms  [%s]" % (name, "%.0f" % statistics.median(ok) if ok else "-", runs))
for i, name in [(0, "the list's values"), (1, "the first five values")]:
    ratios = [num(r[2]) / num(r[i]) for r in rounds if num(r[2]) and num(r[i])]
    if ratios:
        print("  ratio Zorvane / plain program (%s), median of %d rounds: %.2fx%s"
              % (name, len(ratios), statistics.median(ratios), spread(ratios)))
failed = sum(x == "fail" for r in rounds for x in r)
if failed:
    print("  %d runs failed" % failed)
PY
grep -v '^$' "$out/warnings.log" | tr -d '\r' | sed 's/^/note: /' || true
