"""Restore and the command line, end to end: a backup made by the window is put
back into fresh machines (new Wine prefixes, as after a reinstall) by the window
and by /restore, every staged INF and catalog checked; /list, /backup and bad
arguments are checked for their output, files and exit codes."""
import csv
import io
import os
import re
import shutil
import subprocess
import sys
from contextlib import contextmanager

from pathlib import Path

from e2e_steps import compare_tree, prefix_arch, windows_path
from run_e2e import MAIN_TITLE, ROOT

sys.path.insert(0, str(ROOT / "tools" / "demo"))
import population as pop  # noqa: E402

# A driver for a device every Wine machine has.
MONITOR_INF = (b'[Version]\r\nSignature="$Windows NT$"\r\nClass=Monitor\r\n'
               b'[Manufacturer]\r\n%M%=Models,NTx86,NTamd64\r\n[Models.NTx86]\r\n%D%=Inst, MONITOR\\Default_Monitor\r\n'
               b'[Models.NTamd64]\r\n%D%=Inst, MONITOR\\Default_Monitor\r\n'
               b'[Inst]\r\n[Strings]\r\nM="Zorvane e2e"\r\nD="e2e monitor"\r\n')

IDM_RESTORE = 103
IDM_LIST_THIS_PC = 121
CATROOT = r"C:\windows\system32\catroot\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}"
TICKS = ["Fenlake Gigabit Ethernet 5120", "Orrin LaserWrite 4200 PS", "Kestrel Gaming Keyboard K7",
         "Quillon Graphics QX 900"]
HEADER = ["Description", "Default", "Provider", "ID", "Class", "Inf Path", "Version", "Date", "Device", "Present"]
REPORT_HEADER = ["INF", "Outcome", "Stored as", "Installed for", "Error number", "Error text",
                 "Not installed because"]


def run_restore_steps(s, free_port):
    refused = free_port()
    src = s.prefix / "drive_c" / "e2e-restore-src"
    fresh = {}

    cli = s.cli

    def quiet(*cmd, env):
        subprocess.run(list(cmd), env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=180)

    def fresh_machine(name):
        """A new prefix with nothing of the demo machine: Windows just reinstalled. Made once,
        copied for each use while no server runs on it."""
        base = s.out / "fresh-base"
        if not base.exists():
            env = dict(os.environ, WINEPREFIX=str(base))
            # Booted through tools/wine-run.sh, which also turns the crash dialog off, so every copy
            # has it off.
            quiet(*s.wine_cmd("wineboot", "-i", prefix=base), env=env)
            quiet("wineserver", "-k", env=env)
            quiet("wineserver", "-w", env=env)
        prefix = s.out / name
        shutil.rmtree(prefix, ignore_errors=True)
        shutil.copytree(base, prefix, symlinks=True)
        env = dict(os.environ, WINEPREFIX=str(prefix))
        quiet("wineserver", "-p", env=env)
        quiet("wineboot", "-i", env=env)
        fresh[name] = env
        shutil.copytree(src, prefix / "drive_c" / "restore-src")
        return prefix

    @contextmanager
    def on_machine(prefix):
        saved = (s.prefix, s.env)
        s.prefix, s.env = prefix, dict(os.environ, WINEPREFIX=str(prefix))
        try:
            yield
        finally:
            s.stop_app()
            s.prefix, s.env = saved

    def ensure_main():
        if s.app is None or s.app.poll() is not None:
            s.start_app()
            s.expect(s.find(MAIN_TITLE), f"no main window; windows: {s.windows()}")

    def catalog_of(inf_bytes):
        m = re.search(rb"^\s*CatalogFile\s*=\s*([^\r\n;]+)", inf_bytes, re.I | re.M)
        return m.group(1).strip().decode() if m else None

    def report(root):
        path = root / "restore-report.csv"
        s.expect(path.exists(), f"no report in {root}")
        rows = list(csv.reader(io.StringIO(path.read_bytes().decode("cp1252"), newline="")))
        s.expect(rows[0] == REPORT_HEADER, f"report header {rows[0]}")
        return rows[1:]

    def restorable_infs(root):
        """The INFs a restore takes from below root: a published copy (oemNN.inf) beside an
        identical INF, as a backup with the driver's package holds, counts once."""
        infs = []
        for p in sorted(root.rglob("*")):
            # An extension driver's folder is named after its INF: only files count.
            if p.suffix.lower() != ".inf" or not p.is_file():
                continue
            twins = [q for q in p.parent.iterdir() if q != p and q.suffix.lower() == ".inf" and q.is_file() and
                     q.read_bytes() == p.read_bytes()]
            if re.fullmatch(r"oem\d+\.inf", p.name.lower()) and twins:
                continue
            infs.append(str(p.relative_to(root)).replace("/", "\\"))
        return sorted(infs)

    def check_staged(prefix, root, outcome):
        """Every INF below root is in the report with the outcome; its store copy and its
        catalog's are the backup's bytes."""
        rows = report(root)
        infs = restorable_infs(root)
        s.expect(sorted(r[0] for r in rows) == infs, f"report rows {[r[0] for r in rows]}, INFs {infs}")
        for inf, got, stored, _, number, text, _why in rows:
            s.expect(got == outcome, f"{inf}: {got} {number} {text}, expected {outcome}")
            copy = windows_path(prefix, "C:\\windows\\inf\\" + stored)
            original = (root / inf.replace("\\", "/")).read_bytes()
            s.expect(copy is not None and copy.read_bytes() == original, f"{inf}: store copy {stored} differs")
            catalog = catalog_of(original)
            if not catalog:
                continue
            # Windows names it after the store's INF (oemNN.cat); Wine keeps its own name.
            names = [catalog, stored.rsplit(".", 1)[0] + ".cat"]
            found = [windows_path(prefix, CATROOT + "\\" + n) for n in names]
            found = [f for f in found if f is not None]
            want = (root / inf.replace("\\", "/")).parent / catalog
            s.expect(found and found[0].read_bytes() == want.read_bytes(), f"{inf}: catalog {catalog} not staged")
        return rows

    def base_before_extensions(rows):
        """A folder's INFs are staged before those of its sub-folders: a base driver before
        its extension drivers, which the backup keeps in sub-folders of the base's folder."""
        order = [r[0] for r in rows]
        folders = [inf.rsplit("\\", 1)[0] for inf in order]
        pairs = [(j, i) for i, f in enumerate(folders) for j, g in enumerate(folders) if f.startswith(g + "\\")]
        s.expect(pairs, f"no extension driver below a base driver among {order}")
        late = [(order[j], order[i]) for j, i in pairs if j > i]
        s.expect(not late, f"staged before the INFs of the folder above it: {late}")

    def window_backup_is_the_source():
        ensure_main()
        for i, r in enumerate(s.rows()):
            if r[0] == "1":
                s.auto_("check", MAIN_TITLE, i, 0)
        for i, r in enumerate(s.rows()):
            if r[1] in TICKS:
                s.auto_("check", MAIN_TITLE, i, 1)
        src.mkdir(exist_ok=True)
        s.auto_("press", MAIN_TITLE, "Backup")
        s.answer("Install", "OK")
        s.expect(s.find("Browse for Folder"), "no folder browser")
        s.auto_("browse", "Browse for Folder", "C:\\e2e-restore-src")
        s.answer("Browse for Folder", "OK")
        s.answer("Backup", "OK", "Backup successfully created.")
        compare_tree(s, src, TICKS)
        s.stop_app()

    def list_as_the_window_shows_it():
        ensure_main()
        window = s.rows()
        s.stop_app()
        listing = s.out / "drivers.txt"
        with open(listing, "wb") as f:  # as cmd's "Zorvane.exe /list > drivers.txt"
            rc, _, err = cli("/list", stdout=f)
        s.expect(rc == 0, f"/list gave {rc}: {err}")
        lines = listing.read_bytes().decode("cp1252").split("\r\n")
        s.expect(lines[0].split() == ["Description", "Default", "Provider", "ID", "Class", "Inf", "Path", "Version",
                                      "Date", "Device", "Present"], f"header {lines[0]!r}")
        s.expect(len([l for l in lines[1:] if l]) == len(window), f"{len(lines) - 2} lines, {len(window)} rows")
        for line, row in zip(lines[1:], window):
            s.expect(line.startswith(row[1]) and row[4] in line, f"line {line!r} for row {row}")
        rc, out, err = cli("/list", "/csv", "/microsoft")
        s.expect(rc == 0, f"/list /csv gave {rc}: {err}")
        rows = list(csv.reader(io.StringIO(out)))
        s.expect(rows[0] == HEADER, f"csv header {rows[0]}")
        providers = [r[2].lower() for r in rows[1:]]
        s.expect("microsoft" in providers and len(rows) - 1 > len(window), f"/microsoft rows {providers}")
        s.expect({r[4] for r in window} <= {r[3] for r in rows[1:]}, "the window's ids are not all listed")

    def this_pcs_drivers():
        """The demo machine's devices: the window's columns, its "Select this PC's drivers",
        and /backup /present writing the tree of the same rows."""
        ensure_main()
        s.auto_("command", MAIN_TITLE, IDM_LIST_THIS_PC)
        want = sorted(pop.THIS_PCS_DRIVERS)
        rows = s.rows_until(lambda rs: sorted(r[4] for r in rs if r[0] == "1") == want)
        s.expect(sorted(r[4] for r in rows if r[0] == "1") == want, f"ticked {[r[4] for r in rows if r[0] == '1']}")
        by_id = {r[4]: r for r in rows}
        nic = by_id.get(pop.NET + "\\0000", [])
        s.expect(nic[7:11] == ["5.120.2.0", "3-14-2025", "Ethernet (Fenlake 5120)", "Yes"], f"the NIC's row {nic}")
        stick = by_id.get(pop.NET + "\\0001", [])
        s.expect(stick[9:11] == ["Fenlake Wireless AX Demo", "No"], f"the removed stick's row {stick}")
        pad = by_id.get(pop.KEYBOARD + "\\0002", [])
        s.expect(pad[9:11] == ["(no device)", ""], f"a driver without a device {pad}")
        s.stop_app()
        target = s.prefix / "drive_c" / "e2e-present"
        rc, out, err = cli("/backup", "C:\\e2e-present", "/present")
        s.expect(rc == 0, f"/backup /present gave {rc}: {out} {err}")
        compare_tree(s, target, pop.THIS_PCS_DRIVERS)

    def usage_and_bad_arguments():
        rc, out, err = cli("/?")
        s.expect(rc == 0 and "Exit codes: 0 all done" in out and "Use this application at your own risk." in out,
                 f"/? gave {rc}: {out!r}")
        bad = s.prefix / "drive_c" / "e2e-bad"
        for args, message in [(["/bogus"], "Unknown switch: /bogus"),
                              (["/backup"], "/backup needs the folder"),
                              (["/restore"], "/restore needs the folder"),
                              (["/backup", "C:\\e2e-bad", "/id"], "/id needs a driver id"),
                              (["/backup", "C:\\e2e-bad", "/id", "no-such-id"], "No listed driver has the id"),
                              (["/restore", "C:\\e2e-bad"], "does not exist"),
                              (["/list", "/backup", "C:\\e2e-bad"], "cannot be used together")]:
            rc, out, err = cli(*args)
            s.expect(rc == 2 and message in err, f"{args} gave {rc}: {err!r}")
            s.expect(not bad.exists(), f"{args} wrote C:\\e2e-bad")
        (s.prefix / "drive_c" / "e2e-a-file").write_bytes(b"x")
        rc, out, err = cli("/backup", "C:\\e2e-a-file\\sub")
        s.expect(rc == 3 and "cannot be created" in err, f"uncreatable folder gave {rc}: {err!r}")

    def cli_backup_writes_the_windows_tree():
        rc, out, err = cli("/list", "/csv")
        ids = [r[3] for r in list(csv.reader(io.StringIO(out)))[1:] if r[0] in TICKS]
        target = s.prefix / "drive_c" / "e2e-cli-backup"
        rc, out, err = cli("/backup", "C:\\e2e-cli-backup", "/id", *ids)
        s.expect(rc == 0, f"/backup gave {rc}: {out} {err}")
        lines = out.splitlines()
        s.expect(len([l for l in lines if re.match(r"\d+/%d .*: \d+ files, 0 missing$" % len(ids), l)]) == len(ids),
                 f"progress lines: {lines}")
        s.expect(lines[-2:] == ["The report is C:\\e2e-cli-backup\\Zorvane\\backup-report.csv",
                                "The backup is in C:\\e2e-cli-backup\\Zorvane"], f"last lines {lines[-2:]!r}")
        ours = {str(p.relative_to(target)): p for p in target.rglob("*")}
        theirs = {str(p.relative_to(src)): p for p in src.rglob("*")}
        s.expect(sorted(ours) == sorted(theirs), f"trees differ: {sorted(set(ours) ^ set(theirs))}")
        for name, p in ours.items():
            s.expect(p.is_dir() == theirs[name].is_dir() and (p.is_dir() or p.read_bytes() == theirs[name].read_bytes()),
                     f"{name} differs")

    def cli_backup_of_all_stops_with_code_one():
        rc, out, err = cli("/backup", "C:\\e2e-cli-all", "/all")
        s.expect(rc == 1 and "Error Line: 247." in err and "The backup stopped after" in out,
                 f"/backup /all gave {rc}: {out} {err}")

    def window_restore_into_a_fresh_machine():
        prefix = fresh_machine("fresh-window")
        root = prefix / "drive_c" / "restore-src"
        count = len(restorable_infs(root))
        with on_machine(prefix):
            s.set_proxy(refused)
            s.set_agreed(True)
            ensure_main()
            before = sorted(p.name for p in windows_path(prefix, "C:\\windows\\inf").iterdir())
            s.auto_("command", MAIN_TITLE, IDM_RESTORE)
            s.expect(s.find("Browse for Folder"), f"no folder browser; windows: {s.windows()}")
            s.auto_("browse", "Browse for Folder", "C:\\restore-src")
            s.answer("Browse for Folder", "OK")
            s.answer("Restore", "No", f"Found {count} drivers in C:\\restore-src.")
            after = sorted(p.name for p in windows_path(prefix, "C:\\windows\\inf").iterdir())
            s.expect(after == before and not (root / "restore-report.csv").exists(), "No changed something")
            s.auto_("command", MAIN_TITLE, IDM_RESTORE)
            s.expect(s.find("Browse for Folder"), "no folder browser")
            s.auto_("browse", "Browse for Folder", "C:\\restore-src")
            s.answer("Browse for Folder", "OK")
            s.answer("Restore", "Yes")
            s.answer("Restore", "OK", f"Restore finished: {count} staged, 0 installed on a device, "
                                      "0 already present, 0 failed.")
            rc, out = s.auto_("progress", MAIN_TITLE)
            s.expect(out.split()[:2] == [str(count), str(count)], f"progress bar {out.strip()}")
            base_before_extensions(check_staged(prefix, root, "staged"))

    def cli_restore_into_a_fresh_machine():
        prefix = fresh_machine("fresh-cli")
        root = prefix / "drive_c" / "restore-src"
        with on_machine(prefix):
            rc, out, err = cli("/restore", "C:\\restore-src")
            s.expect(rc == 3 and "agreement has not been accepted" in err, f"unaccepted /restore gave {rc}: {err}")
            s.expect(not (root / "restore-report.csv").exists(), "a report before the agreement")
            rc, out, err = cli("/accept")
            s.expect(rc == 0, f"/accept gave {rc}: {err}")
            rc, out, err = cli("/restore", "C:\\restore-src")
            s.expect(rc == 0, f"/restore gave {rc}: {out} {err}")
            lines = out.splitlines()
            s.expect(lines[-1] == "The report is written to C:\\restore-src\\restore-report.csv.", f"{lines}")
            check_staged(prefix, root, "staged")
            rc, out, err = cli("/restore", "C:\\restore-src\\")
            s.expect(rc == 0, f"second /restore gave {rc}: {err}")
            check_staged(prefix, root, "already present")

    def restore_reports_broken_and_catalogless_drivers():
        prefix = s.out / "fresh-cli"
        with on_machine(prefix):
            bad = prefix / "drive_c" / "restore-bad"
            shutil.copytree(src / "Zorvane" / "Net", bad / "Net")
            (bad / "Broken").mkdir()
            (bad / "Broken" / "broken.inf").write_bytes(b"this is no INF\x01\r\n")
            gone = bad / "Net" / "Fenlake Gigabit Ethernet 5120"
            (gone / "fnl5120.cat").unlink()
            shutil.rmtree(gone / "oem14.inf")  # its extension driver: restored in the steps before
            # Only the published copy stays, so this folder holds one INF, the changed one.
            for other in gone.glob("*.inf"):
                if other.name.lower() != "oem3.inf":
                    other.unlink()
            # Another INF than the one this machine's store got from restore-src.
            with open(gone / "oem3.inf", "ab") as f:
                f.write(b"; without its catalog\r\n")
            (bad / "NoCatLine").mkdir()
            (bad / "NoCatLine" / "plain.inf").write_bytes(b'[Version]\r\nSignature="$Windows NT$"\r\nClass=Net\r\n')
            # A driver for a device every Wine machine has: installed on it.
            (bad / "Monitor").mkdir()
            (bad / "Monitor" / "monitor.inf").write_bytes(MONITOR_INF)
            rc, out, err = cli("/restore", "C:\\restore-bad")
            s.expect(rc == 1, f"/restore gave {rc}: {out} {err}")
            rows = {r[0]: r for r in report(bad)}
            broken = rows["Broken\\broken.inf"]
            s.expect(broken[1] == "failed" and broken[4].startswith("0xE") and broken[5], f"broken: {broken}")
            nocat = rows["Net\\Fenlake Gigabit Ethernet 5120\\oem3.inf"]
            s.expect(nocat[1] == "failed" and nocat[4] == "2" and "(the catalog fnl5120.cat is not next to the INF)"
                     in nocat[5], f"missing catalog: {nocat}")
            plain = rows["NoCatLine\\plain.inf"]
            s.expect(plain[1] == "staged", f"without a catalog line: {plain}")
            monitor = rows["Monitor\\monitor.inf"]
            s.expect(monitor[1] == "installed" and monitor[3].lower() == "monitor\\default_monitor",
                     f"the monitor's driver: {monitor}")
            s.expect(len(rows) == 4, f"rows {sorted(rows)}")

    def damaged_file_is_caught_and_keeps_only_its_driver_out():
        prefix = fresh_machine("fresh-damaged")
        root = prefix / "drive_c" / "restore-src"
        # The base driver of a device with an extension driver (in a sub-folder of its own).
        victims = sorted(p for p in root.glob("Zorvane/*/*/*.sys") if any(d.is_dir() for d in p.parent.iterdir()))
        s.expect(victims, "no .sys file beside an extension driver's folder in the backup")
        victim = victims[0]
        data = bytearray(victim.read_bytes())
        data[len(data) // 2] ^= 0x01  # one flipped bit, the size unchanged
        victim.write_bytes(bytes(data))
        folder = str(victim.parent.relative_to(root / "Zorvane")).replace("/", "\\")
        with on_machine(prefix):
            rc, out, err = cli("/verify", "C:\\restore-src")
            s.expect(rc == 1 and f"{folder}: damaged, {victim.name} changed" in out, f"/verify gave {rc}: {out} {err}")
            s.expect(out.count(": damaged") == 1 and f"{len(TICKS)} drivers checked: {len(TICKS) - 1} intact, 1 damaged."
                     in out, f"/verify counts: {out}")
            s.expect(not (root / "restore-report.csv").exists(), "/verify wrote a report")
            rc, out, err = cli("/accept", "/restore", "C:\\restore-src")
            s.expect(rc == 1, f"/restore gave {rc}: {out} {err}")
            rows = report(root)
            inside = "Zorvane\\" + folder + "\\"
            damaged = [r for r in rows if r[0].startswith(inside)]
            others = [r for r in rows if not r[0].startswith(inside)]
            s.expect(damaged and all(r[1] == "damaged in the backup" and victim.name in r[5] and not r[2]
                                     for r in damaged), f"the damaged driver's rows: {damaged}")
            extensions = [r for r in damaged if "\\" in r[0][len(inside):]]
            s.expect(extensions and all(f"its base driver {folder} is damaged in the backup" in r[5]
                                        for r in extensions), f"the extension drivers' rows: {damaged}")
            s.expect(others and all(r[1] == "staged" for r in others), f"the other drivers' rows: {others}")

    def restore_script_into_a_fresh_machine():
        prefix = fresh_machine("fresh-script")
        root = prefix / "drive_c" / "restore-src" / "Zorvane"
        with on_machine(prefix):
            # Two keys: the agreement, then the closing pause.
            r = subprocess.run(s.wine_cmd("cmd", "/c", "C:\\restore-src\\Zorvane\\Restore drivers.cmd"), env=s.env,
                               input=b"\r\n\r\n", stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
            out = r.stdout.decode("cp1252", "replace").replace("\r", "")
            s.expect(r.returncode == 0 and "Done: the drivers are back." in out,
                     f"the script gave {r.returncode}: {out} {r.stderr.decode('cp1252', 'replace')}")
            check_staged(prefix, root, "staged")

    def hand_over_to_the_64_bit_program():
        exe32 = ROOT / "build" / "windows" / "Zorvane.exe"
        prefix = fresh_machine("fresh-handover")
        root = prefix / "drive_c" / "restore-src"
        with on_machine(prefix):
            r = subprocess.run(s.wine_cmd(exe32, "/accept", "/restore", "C:\\restore-src"), env=s.env,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
            out = r.stdout.decode("cp1252", "replace")
            s.expect(r.returncode == 0, f"Zorvane.exe /restore gave {r.returncode}: {out}")
            # Staged by a 64-bit process: the catalogs are in system32's store, not syswow64's.
            check_staged(prefix, root, "staged")
            # And installs on a device present: the monitor every Wine machine has.
            monitor = prefix / "drive_c" / "restore-monitor"
            monitor.mkdir()
            (monitor / "monitor.inf").write_bytes(MONITOR_INF)
            r = subprocess.run(s.wine_cmd(exe32, "/restore", "C:\\restore-monitor"), env=s.env,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
            rows = report(monitor)
            s.expect(r.returncode == 0 and rows and rows[0][1] == "installed", f"the monitor's driver: {rows}")
            temp = windows_path(prefix, "C:\\windows\\temp")
            left = [p.name for p in temp.iterdir() if p.name.lower().startswith("zorvane-")] if temp else []
            s.expect(not left, f"the 64-bit program was left behind: {left}")

    # Offline, agreement given, as the window's steps leave the demo machine.
    s.set_proxy(refused)
    s.set_agreed(True)
    try:
        for name, fn in [
            ("restore source: a window backup of four drivers", window_backup_is_the_source),
            ("/list prints the window's list; /csv /microsoft adds Microsoft's", list_as_the_window_shows_it),
            ("this PC's drivers: device columns, the list's menu and /backup /present", this_pcs_drivers),
            ("/? and bad arguments: usage, messages, codes 2 and 3, nothing written", usage_and_bad_arguments),
            ("/backup writes the window's tree for the same ticks", cli_backup_writes_the_windows_tree),
            ("/backup /all stops at the driver without an INF: code 1", cli_backup_of_all_stops_with_code_one),
            ("window restore into a fresh machine: No changes nothing, Yes stages every INF and catalog, a base "
             "driver before its extension",
             window_restore_into_a_fresh_machine),
            ("/restore into a fresh machine: refused before /accept, then every INF and catalog",
             cli_restore_into_a_fresh_machine),
            ("/restore of a broken INF and one without its catalog: reported, the others go on; a present "
             "device's driver installed",
             restore_reports_broken_and_catalogless_drivers),
            ("one flipped bit in a backed-up .sys: /verify says which (code 1); /restore keeps that device, its "
             "extension driver with it, and only that one, out", damaged_file_is_caught_and_keeps_only_its_driver_out),
            ("the backup's Restore drivers.cmd restores it into a fresh machine", restore_script_into_a_fresh_machine),
        ]:
            s.step(name, fn)
        name = "Zorvane.exe in a 64-bit machine hands over to the 64-bit program, which restores"
        if prefix_arch(s.prefix) != "amd64":
            print(f"skip  {name}: this is a 32-bit machine", flush=True)
        elif not (ROOT / "build" / "windows" / "Zorvane.exe").is_file():
            print(f"skip  {name}: the 32-bit Zorvane.exe is not built", flush=True)
        elif os.environ.get("ZV_CAN_RUN_I686") != "1":
            print(f"skip  {name}: this machine cannot run 32-bit programs", flush=True)
        else:
            s.step(name, hand_over_to_the_64_bit_program)
    finally:
        for env in fresh.values():
            quiet("wineserver", "-k", env=env)
