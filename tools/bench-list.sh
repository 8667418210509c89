#!/usr/bin/env bash
# The driver list's speed under Wine (not a test): milliseconds from starting a
# program to its window shown with the list filled, on a machine whose class key
# holds INSTANCES driver instances (bench/class_image.py), for
#   - a plain program that reads the same values through an open class key and fills
#     a report list view with redraw held off (bench/plain_list.c), and
#   - Zorvane, whose main window appears once its list is filled (offline, the
#     agreement accepted, so nothing else stands before it),
# run alternately, RUNS times each; prints both medians and their ratio, for each
# architecture this machine runs and whose preset is built:
#   tools/bench-list.sh [RUNS] [INSTANCES]
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/wine-arch.sh

if [ "${ZV_BENCH_INNER:-}" != 1 ]; then
    runs=${1:-5}
    instances=${2:-2000}
    measured=0
    for arch in i686 x86_64; do
        case "$arch" in
            i686) build=build/windows exe=Zorvane.exe ;;
            x86_64) build=build/windows64 exe=Zorvane64.exe ;;
        esac
        if [ "$arch" = i686 ] && ! zv_can_run_i686; then
            echo "i686: skipped, this machine cannot run 32-bit programs"
            continue
        fi
        if [ ! -f "$build/$exe" ]; then
            echo "$arch: skipped, $build/$exe is not built"
            continue
        fi
        out=$build/bench
        mkdir -p "$out"
        "$arch-w64-mingw32-gcc-posix" -O2 -static -mwindows bench/plain_list.c -lcomctl32 -o "$out/plain_list.exe"
        "$arch-w64-mingw32-gcc-posix" -O2 -static bench/window_timer.c -o "$out/window_timer.exe"
        python3 bench/class_image.py "$out/class-image.reg" "$instances"
        echo
        echo "$arch ($exe), $instances driver instances:"
        ZV_BENCH_INNER=1 ZV_BENCH_RUNS="$runs" ZV_BENCH_BUILD="$build" ZV_BENCH_EXE="$exe" \
            scripts/wine-session.sh --arch "$arch" "$build/bench-list-prefix" "$(realpath "$0")" ||
            echo "$arch: the benchmark failed"
        measured=$((measured + 1))
    done
    [ $measured -gt 0 ] || { echo "Build a Windows preset first (no Zorvane exe to measure)." >&2; exit 1; }
    exit 0
fi

# Inside the Wine session.
build=$ZV_BENCH_BUILD
out=$build/bench
wine reg import "$(winepath -w "$out/class-image.reg" 2>/dev/null)" >/dev/null 2>&1 </dev/null
# Offline (a proxy on loopback where nothing listens) and the agreement accepted.
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' /v ProxyEnable /t REG_DWORD \
    /d 1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' /v ProxyServer \
    /d 127.0.0.1:9 /f >/dev/null 2>&1
wine reg add 'HKCU\SOFTWARE\FI' /v ZorvaneFirstTime /d No /f >/dev/null 2>&1

timer=$(winepath -w "$out/window_timer.exe" 2>/dev/null)
plain=$(winepath -w "$out/plain_list.exe" 2>/dev/null)
zorvane=$(winepath -w "$build/$ZV_BENCH_EXE" 2>/dev/null)

once() {  # CLASS PROGRAM: milliseconds, or "fail"
    wine "$timer" "$1" "$2" 2>>"$out/warnings.log" | tr -d '\r' || echo fail
}
: >"$out/warnings.log"
once PlainListWindow "$plain" >/dev/null  # warm the session's caches
once ZorvaneMainWindow "$zorvane" >/dev/null
plain_times=()
zorvane_times=()
for _ in $(seq "$ZV_BENCH_RUNS"); do
    plain_times+=("$(once PlainListWindow "$plain")")
    zorvane_times+=("$(once ZorvaneMainWindow "$zorvane")")
done
python3 - "${plain_times[*]}" "${zorvane_times[*]}" <<'PY'
import statistics, sys
def med(text):
    ok = [float(x) for x in text.split() if x != "fail"]
    return (statistics.median(ok) if ok else None), len(text.split()) - len(ok)
p, pf = med(sys.argv[1])
z, zf = med(sys.argv[2])
print("  plain program (open key, redraw held off)  median %s ms  [%s]" % ("%.0f" % p if p else "-", sys.argv[1]))
print("  Zorvane, start to filled list              median %s ms  [%s]" % ("%.0f" % z if z else "-", sys.argv[2]))
if p and z:
    print("  ratio Zorvane / plain: %.2fx%s" % (z / p, "" if not (pf or zf) else "  (%d runs failed)" % (pf + zf)))
PY
grep -v '^$' "$out/warnings.log" | tr -d '\r' | sed 's/^/note: /' || true
