# Sourced by the benchmarks (tools/bench-*.sh) from the repository's folder: the Wine
# set-up they share. A benchmark script runs twice: outside Wine it calls zv_bench_arches,
# which runs the same script again inside a Wine session of each architecture; there
# ZV_BENCH_INNER is 1.
#
#   zv_bench_arches PREFIX RUNS [WHAT]
#       For each architecture this machine runs and whose preset is built: sets arch, build,
#       exe and out (build/.../bench, made), calls the script's zv_bench_prepare (building
#       its bench programs), prints the heading "<arch> (<exe>)[, WHAT]:" and runs the script
#       in a Wine session of that architecture whose prefix is $build/PREFIX, through
#       zv_bench_session (a script may define its own), with ZV_BENCH_INNER=1 and
#       ZV_BENCH_RUNS, ZV_BENCH_BUILD, ZV_BENCH_EXE. Ends the script, failing when nothing
#       could be measured.
#   zv_bench_cc SOURCE [FLAGS...]    builds bench/SOURCE for $arch into $out
#   Inside the session: build, out and exe are set again; zv_win PATH gives a path's
#   Windows form, zv_bench_accept records the agreement as accepted, zv_median the median
#   of its arguments.
. tools/wine-arch.sh

zv_bench_script=$(realpath "$0")

zv_bench_cc() {
    local source=$1
    shift
    "$arch-w64-mingw32-gcc-posix" -O2 -static "bench/$source" "$@" -o "$out/${source%.c}.exe"
}

zv_bench_prepare() { :; }

zv_bench_session() {  # PREFIX
    scripts/wine-session.sh --arch "$arch" "$1" "$zv_bench_script"
}

zv_bench_arches() {
    local prefix=$1 runs=$2 what=${3:-} measured=0
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
        zv_bench_prepare
        echo
        echo "$arch ($exe)${what:+, $what}:"
        ZV_BENCH_INNER=1 ZV_BENCH_RUNS="$runs" ZV_BENCH_BUILD="$build" ZV_BENCH_EXE="$exe" \
            zv_bench_session "$build/$prefix" || echo "$arch: the benchmark failed"
        measured=$((measured + 1))
    done
    [ $measured -gt 0 ] || { echo "Build a Windows preset first (no Zorvane exe to measure)." >&2; exit 1; }
    exit 0
}

if [ "${ZV_BENCH_INNER:-}" = 1 ]; then
    build=$ZV_BENCH_BUILD
    out=$build/bench
    exe=$ZV_BENCH_EXE
fi

zv_win() { winepath -w "$1" 2>/dev/null; }

zv_bench_accept() {
    wine reg add 'HKCU\SOFTWARE\FI' /v ZorvaneFirstTime /d No /f >/dev/null 2>&1
}

zv_median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
