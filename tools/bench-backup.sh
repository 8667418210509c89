#!/usr/bin/env bash
# Backup throughput under Wine (not a test). On a synthetic machine of 100 drivers with
# 300 MB of installed files (bench/backup_machine.py), alternately:
#   - the program's `/backup C:\zbk /all` (its report and hashes included),
#   - a plain CopyFileA loop (bench/copy_loop.c) over the same distinct files into the
#     same tree,
# each run into a fresh folder, timed inside Wine (bench/run_timer.c); it prints both
# medians and the ratio of the program's throughput to the loop's on the same bytes.
# Then the hashed copy alone against CopyFileA in one program (hashed_copy_bench, built
# by the Windows presets). For each architecture this machine runs and whose preset is
# built, in a prefix of its own under the build folder:
#   tools/bench-backup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/bench-lib.sh

if [ "${ZV_BENCH_INNER:-}" != 1 ]; then
    zv_bench_prepare() {
        zv_bench_cc run_timer.c
        zv_bench_cc copy_loop.c
    }
    zv_bench_arches bench-backup-prefix "${1:-5}"
fi

# Inside the Wine session.
drive_c=$WINEPREFIX/drive_c
python3 bench/backup_machine.py reg "$out/backup-machine.reg"
wine reg import "$(winepath -w "$out/backup-machine.reg" 2>/dev/null)" >/dev/null 2>&1
python3 bench/backup_machine.py files "$drive_c"
python3 bench/backup_machine.py list "$out/copy-list.txt"
win() { winepath -w "$1" 2>/dev/null; }
timer=$(win "$out/run_timer.exe")
loop=$(win "$out/copy_loop.exe")
list=$(win "$out/copy-list.txt")
zorvane=$(win "$build/$ZV_BENCH_EXE")
wine "$zorvane" /accept >/dev/null 2>&1

# Milliseconds of one timed run, or a note on stderr when it did not exit with 0.
timed() {
    local t code
    read -r t code < <(wine "$timer" "$@" 2>>"$out/bench-backup.log" | tr -d '\r')
    [ "$code" = 0 ] || echo "  (exit code $code: $*)" >&2
    echo "$t"
}
fresh() {
    rm -rf "$drive_c/zbk" "$drive_c/zcp"
    sync
}
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

program=() loops=()
for _ in $(seq "$ZV_BENCH_RUNS"); do
    fresh
    program+=("$(timed "$zorvane" /backup 'C:\zbk' /all)")
    fresh
    loops+=("$(timed "$loop" "$list" 'C:\zcp')")
done
# The trees of the last runs, by size: the program writes its report besides the same files.
fresh
wine "$zorvane" /backup 'C:\zbk' /all >/dev/null 2>&1 || true
wine "$loop" "$list" 'C:\zcp' >/dev/null 2>&1 || true
mb() { du -sm --apparent-size "$1" | cut -f1; }
p=$(median "${program[@]}")
l=$(median "${loops[@]}")
echo "  /backup C:\\zbk /all     median $p ms  (runs: ${program[*]}), $(mb "$drive_c/zbk") MB written"
echo "  CopyFileA loop           median $l ms  (runs: ${loops[*]}), $(mb "$drive_c/zcp") MB written"
awk -v p="$p" -v l="$l" 'BEGIN { printf "  throughput, /backup over the copy loop: %.2fx\n", l / p }'
fresh
if [ -f "$build/hashed_copy_bench.exe" ]; then
    echo "  hashed copy alone:"
    wine "$(win "$build/hashed_copy_bench.exe")" "$list" 'C:\zhc' "$ZV_BENCH_RUNS" 2>>"$out/bench-backup.log" |
        tr -d '\r' | sed 's/^/  /'
fi
