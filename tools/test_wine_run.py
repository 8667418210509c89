#!/usr/bin/env python3
"""The Wine test runner (tools/wine-run.sh), with a stand-in for wine: it keeps the
program's exit code, ends what the program left running before it returns (so the
output pipe closes), and what a run killed at its timeout left at the next run of the
prefix; it keeps the session's processes, a wineserver, the processes of a run still
going beside it and those of other prefixes; it turns the crash dialog off in a prefix
outside a session, once."""
import os
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

RUN = Path(__file__).with_name("wine-run.sh")

# Each verb leaves a child running (its PID in the file named), as a crashed program does:
# "leave" one that only KILL ends, "server" one that holds none of the program's output,
# as a wineserver does; "hold" runs until the second file exists.
FAKE_WINE = r"""#!/bin/bash
# The child's PID, once it runs what it was started for (a new session for setsid).
started() {
    until [ "$(cat /proc/$1/comm 2>/dev/null)" = "$2" ]; do sleep 0.01; done
    echo "$1" > "$3"
}
echo "$*" >> "$ZV_FAKE_LOG"
case $1 in
    leave) (trap '' TERM; exec sleep 600) & started $! sleep "$2"; exit 3 ;;
    hold) sleep 600 & started $! sleep "$2"; until [ -e "$3" ]; do sleep 0.05; done; exit 0 ;;
    hang) setsid sleep 600 & started $! sleep "$2"; exec sleep 600 ;;
    server) "$(dirname "$0")/wineserver64" 600 </dev/null >/dev/null 2>&1 & started $! wineserver64 "$2"; exit 0 ;;
    probe) if [ -e /proc/$2 ] && [ "$(cut -d' ' -f3 /proc/$2/stat)" != Z ]; then echo alive; else echo gone; fi > "$3" ;;
esac
exit 0
"""


def alive(pid):
    try:
        state = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0]
    except (OSError, IndexError):
        return False
    return state != "Z"


def wait_for(path, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if path.exists() and path.read_text().strip():
            return int(path.read_text())
        time.sleep(0.05)
    raise RuntimeError(f"{path} was never written")


def main():
    failures = 0

    def check(cond, what, got=""):
        nonlocal failures
        if not cond:
            failures += 1
            print(f"FAILED: {what} {got}")

    with tempfile.TemporaryDirectory() as d:
        d = Path(d)
        (d / "bin").mkdir()
        (d / "bin/wine").write_text(FAKE_WINE)
        (d / "bin/wine").chmod(0o755)
        (d / "bin/wineserver64").symlink_to("/bin/sleep")
        prefix, other = d / "prefix", d / "other"
        prefix.mkdir()
        other.mkdir()
        log = d / "wine.log"
        env = dict(os.environ, PATH=f"{d / 'bin'}:{os.environ['PATH']}", ZV_FAKE_LOG=str(log),
                   ZV_WINE_SESSION=str(prefix))
        env.pop("ZV_WINE_RUN", None)

        def run(*args, where=prefix, **kw):
            return subprocess.run([str(RUN), str(where), "i686", *map(str, args)], env=env,
                                  capture_output=True, text=True, timeout=30, **kw)

        try:
            # One of the session's processes: the prefix's, without a run's mark.
            session = subprocess.Popen(["sleep", "600"], env=dict(env, WINEPREFIX=str(prefix)))

            t0 = time.time()
            try:
                r = run("leave", d / "left")
                check(r.returncode == 3, "the program's exit code is kept:", r.returncode)
                check(time.time() - t0 < 10, "the run ends within seconds:", f"{time.time() - t0:.1f} s")
            except subprocess.TimeoutExpired:
                check(False, "the output pipe closes once the program has ended")
            left = int((d / "left").read_text())
            check(not alive(left), "the child the program left is ended")
            check(alive(session.pid), "a process of the session is kept")

            server = run("server", d / "server")
            pid = int((d / "server").read_text())
            check(server.returncode == 0 and alive(pid), "a wineserver the run started is kept")

            # A test beside this one in the same prefix, still going.
            # It goes on until told to end, however long the run beside it takes on a busy machine.
            beside = subprocess.Popen([str(RUN), str(prefix), "i686", "hold", d / "held", d / "release"], env=env)
            held = wait_for(d / "held")
            run("leave", d / "left2")
            check(alive(held), "the processes of a run still going are kept")
            (d / "release").write_text("")
            beside.wait(timeout=30)
            check(not alive(held), "and ended when that run ends")

            # Runs killed at their timeout, as CTest kills them: the script and its child.
            hung = {}
            for where in (prefix, other):
                p = subprocess.Popen([str(RUN), str(where), "i686", "hang", d / f"hung-{where.name}"],
                                     env=env, start_new_session=True)
                hung[where] = wait_for(d / f"hung-{where.name}")
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()
            check(alive(hung[prefix]), "a killed run leaves its child behind (the case itself)")
            run("probe", hung[prefix], d / "probe")
            check((d / "probe").read_text().strip() == "gone",
                  "the next run of the prefix ends what a killed run left before its program starts")
            check(alive(hung[other]), "but not what it left in another prefix")

            # The crash dialog: turned off outside a session, and only while the prefix lacks it.
            del env["ZV_WINE_SESSION"]
            log.write_text("")
            run("ok", where=other)
            calls = log.read_text().splitlines()
            check(len(calls) == 2 and "ShowCrashDialog /t REG_DWORD /d 0" in calls[0] and calls[1] == "ok",
                  "outside a session the crash dialog is turned off before the program runs:", calls)
            (other / "user.reg").write_text('[Software\\\\Wine\\\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n')
            log.write_text("")
            run("ok", where=other)
            check(log.read_text().splitlines() == ["ok"], "and not again once the prefix has it:",
                  log.read_text().splitlines())
            env["ZV_WINE_SESSION"] = str(prefix)
            log.write_text("")
            run("ok")
            check(log.read_text().splitlines() == ["ok"], "a session's prefix is left as the session made it:",
                  log.read_text().splitlines())
        finally:
            # Everything this test started carries its log's name.
            mine = f"ZV_FAKE_LOG={log}".encode()
            for p in Path("/proc").glob("[0-9]*"):
                try:
                    if mine in p.joinpath("environ").read_bytes().split(b"\0"):
                        os.kill(int(p.name), signal.SIGKILL)
                except OSError:
                    pass

    print(f"wine-run.sh: {'all checks passed' if not failures else f'{failures} failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
