#!/usr/bin/env python3
"""End to end: the shipped Zorvane.exe under Wine, on the demo machine image,
driven from outside by zvauto.exe the way a person drives it.

Runs inside scripts/wine-session.sh (one display, one wineserver for the
prefix). Every step names itself; a failing step says what it saw. The last
line counts the steps: "e2e: N passed, M failed".

    run_e2e.py --build build/windows --prefix PREFIX --out OUTDIR

The build folder holds one program, Zorvane.exe (i686) or Zorvane64.exe (x86_64),
and the automation program built for the same architecture.
"""
import argparse
import http.server
import os
import shutil
import socketserver
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
MAIN_TITLE = "Zorvane 1.03"
IDM_BACKUP, IDM_EXIT, IDM_ABOUT_ZORVANE = 101, 102, 111
SETTINGS_KEY = r"HKCU\SOFTWARE\FI"
INET_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"


class StepFailed(Exception):
    pass


def program_in(build):
    found = [build / n for n in ("Zorvane.exe", "Zorvane64.exe") if (build / n).is_file()]
    if len(found) != 1:
        sys.exit(f"error: {build} must hold exactly one of Zorvane.exe and Zorvane64.exe")
    return found[0]


class Suite:
    def __init__(self, args):
        self.build = Path(args.build).resolve()
        self.prefix = Path(args.prefix).resolve()
        self.out = Path(args.out).resolve()
        self.out.mkdir(parents=True, exist_ok=True)
        self.exe = program_in(self.build)
        self.auto = self.build / "zvauto.exe"
        self.arch = "x86_64" if self.exe.name == "Zorvane64.exe" else "i686"
        self.passed = 0
        self.failed = 0
        self.app = None
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix))

    # ---- plumbing -------------------------------------------------------
    def wine_cmd(self, *args, prefix=None):
        """A command that runs to its end in the machine: tools/wine-run.sh ends what it leaves
        running, which would hold the output pipes open until the step's time is up."""
        return [str(ROOT / "tools/wine-run.sh"), str(prefix or self.prefix), self.arch, *map(str, args)]

    def wine(self, *args, timeout=60, check=False):
        r = subprocess.run(self.wine_cmd(*args), env=self.env, capture_output=True, text=True, timeout=timeout)
        out = r.stdout.replace("\r", "")
        if check and r.returncode != 0:
            raise StepFailed(f"wine {' '.join(map(str, args))} gave {r.returncode}: {out.strip()}")
        return r.returncode, out

    def cli(self, *args, stdout=None, env=None, code_page="cp1252"):
        """The program with arguments, as a script runs it: (exit code, stdout, stderr), read in
        the ANSI code page of the Wine process (its Unix locale's)."""
        env = env or self.env
        r = subprocess.run(self.wine_cmd(self.exe, *args, prefix=env["WINEPREFIX"]), env=env, timeout=120,
                           stdout=stdout or subprocess.PIPE, stderr=subprocess.PIPE)
        out = r.stdout.decode(code_page).replace("\r", "") if r.stdout is not None else ""
        return r.returncode, out, r.stderr.decode(code_page).replace("\r", "")

    def auto_(self, *args, timeout=60):
        return self.wine(self.auto, *args, timeout=timeout)

    def expect(self, cond, what):
        if not cond:
            raise StepFailed(what)

    def step(self, name, fn, cleanup=None):
        t0 = time.time()
        try:
            try:
                fn()
            finally:
                if cleanup:
                    cleanup()
            self.passed += 1
            print(f"ok    {name} ({time.time() - t0:.1f} s)", flush=True)
        except StepFailed as e:
            self.failed += 1
            print(f"FAIL  {name}: {e}", flush=True)
            self.stop_app()
        except Exception as e:  # a broken step is a failed step, never a silent one
            self.failed += 1
            print(f"FAIL  {name}: {type(e).__name__}: {e}", flush=True)
            self.stop_app()

    def start_app(self, *args):
        self.stop_app()
        self.app = subprocess.Popen(["wine", str(self.exe), *args], env=self.env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)

    def app_ended(self, seconds=10):
        try:
            self.app.wait(timeout=seconds)
            return True
        except subprocess.TimeoutExpired:
            return False

    def stop_app(self):
        if self.app and self.app.poll() is None:
            self.auto_("close", MAIN_TITLE, timeout=10)
            if not self.app_ended(5):
                self.app.kill()
                self.app.wait()
        self.app = None

    def find(self, title, ms=15000):
        rc, out = self.auto_("find", title, ms)
        return rc == 0

    def texts(self, title):
        rc, out = self.auto_("texts", title)
        self.expect(rc == 0, f"no window '{title}': {out.strip()}")
        return [line.split("\t") for line in out.splitlines() if line]

    def dialog_text(self, title):
        texts = [t[2] for t in self.texts(title) if len(t) > 2 and t[0] == "Static" and t[2]]
        return "\n".join(texts).replace("\\r\\n", "\n").replace("\\n", "\n")

    def answer(self, title, button, expect_text=None):
        # A box is found as soon as it shows: the long wait only bounds one that never does. A
        # folder browser busy reading its tree has taken over 15 s to answer for its title.
        self.expect(self.find(title, 45000), f"no '{title}' box appeared; windows: {self.windows()}")
        if expect_text is not None:
            text = self.dialog_text(title)
            self.expect(expect_text in text, f"'{title}' box says {text!r}, expected {expect_text!r}")
        rc, out = self.auto_("press", title, button)
        self.expect(rc == 0, f"could not press {button} in '{title}': {out.strip()}")
        rc, out = self.auto_("gone", title, 5000)
        self.expect(rc == 0, f"'{title}' box stayed open after {button}")

    def windows(self):
        return self.auto_("windows")[1].strip().replace("\n", " | ")

    def rows(self):
        rc, out = self.auto_("list", MAIN_TITLE)
        self.expect(rc == 0, f"cannot read the driver list: {out.strip()}")
        return [line.split("\t") for line in out.splitlines() if line]

    def rows_until(self, done, seconds=10):
        """The list once done(rows) holds, or as it is when the time is up: a click is
        posted, so the window handles it after the call returns."""
        deadline = time.time() + seconds
        rows = self.rows()
        while not done(rows) and time.time() < deadline:
            time.sleep(0.1)
            rows = self.rows()
        return rows

    def screenshot(self, name):
        shot = self.out / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(shot)], capture_output=True, timeout=30)
        return shot

    def reg(self, *args):
        return self.wine("reg", *args)

    def set_agreed(self, agreed):
        if agreed:
            self.reg("add", SETTINGS_KEY, "/v", "ZorvaneFirstTime", "/t", "REG_SZ", "/d", "No", "/f")
        else:
            self.reg("delete", SETTINGS_KEY, "/v", "ZorvaneFirstTime", "/f")

    def set_proxy(self, port):
        # WinINet's preconfigured access reads the user's proxy settings, as on a user's machine.
        self.reg("add", INET_KEY, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "1", "/f")
        self.reg("add", INET_KEY, "/v", "ProxyServer", "/t", "REG_SZ", "/d", f"127.0.0.1:{port}", "/f")


class VersionServer:
    """Answers every GET, as the update server (reached through the proxy setting) would."""

    def __init__(self):
        self.body = b""
        self.requests = []
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                outer.requests.append(self.requestline)
                self.send_response(200)
                self.send_header("Content-Type", "text/plain")
                self.send_header("Content-Length", str(len(outer.body)))
                self.end_headers()
                self.wfile.write(outer.body)

            def log_message(self, *a):
                pass

        self.httpd = socketserver.TCPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def free_port():
    import socket
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default=str(ROOT / "build/windows"))
    ap.add_argument("--prefix", required=True)
    ap.add_argument("--out", default=str(ROOT / "build/e2e"))
    ap.add_argument("--only", choices=["offline", "signatures"],
                    help="run only these steps (the demo machine seeded, agreed)")
    args = ap.parse_args()
    s = Suite(args)
    # The first Wine programs of a fresh prefix start its services, which on a loaded machine
    # can take longer than a step allows: pay that before the first step.
    try:
        s.auto_("windows", timeout=240)
    except subprocess.TimeoutExpired:
        pass
    if not args.only:
        from e2e_steps import run_steps  # the scenario itself
        run_steps(s, VersionServer, free_port)
        from e2e_restore_steps import run_restore_steps
        run_restore_steps(s, free_port)
        from e2e_code_page_steps import run_code_page_steps
        run_code_page_steps(s)
    if args.only in (None, "signatures"):
        from e2e_signature_steps import run_signature_steps
        run_signature_steps(s)
    if args.only != "signatures":
        from e2e_offline_steps import run_offline_steps
        run_offline_steps(s)
        s.stop_app()
        from e2e_full_drive_steps import run_full_drive_steps  # last: it ends the machine's server
        run_full_drive_steps(s)
    print(f"e2e: {s.passed} passed, {s.failed} failed")
    return 1 if s.failed else 0


if __name__ == "__main__":
    sys.path.insert(0, str(Path(__file__).parent))
    sys.exit(main())
