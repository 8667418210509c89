"""Another Windows, end to end: the demo machine's population written once more as a Windows
that is not running (its files and its registry hives) behind a drive of the machine. Its
backup must be the live machine's: the same driver tree byte for byte and the same report
rows (the source folders aside), from the control set its Select\\Current names."""
import csv
import io
import os
import subprocess
import sys

from run_e2e import MAIN_TITLE, ROOT, free_port

sys.path.insert(0, str(ROOT / "tools" / "demo"))
import seed  # noqa: E402


PRESENT = "Yes"
IDM_OTHER_WINDOWS, IDM_THIS_PC = 105, 106
# The demo store's package that no driver uses: a byte off its published INF.
STORE_ONLY = [p[0] for p in seed.pop.PACKAGES if p[4]]


def tree(root):
    """Every file below root by its path (lower case), with its bytes; reports left out."""
    out = {}
    for path in root.rglob("*"):
        rel = str(path.relative_to(root)).lower()
        if path.is_file() and not rel.startswith("backup-report"):
            out[rel] = path.read_bytes()
    return out


def report_rows(root):
    """The report's rows, the source's Windows folder named <windows>; and its one-field rows."""
    with open(root / "backup-report.csv", encoding="utf-8-sig", newline="") as f:
        rows = list(csv.reader(f))
    full = []
    for r in rows[1:]:
        if len(r) == len(rows[0]):
            for windows in ("c:\\windows", "d:\\windows"):
                if r[5].lower().startswith(windows):
                    r[5] = "<windows>" + r[5][len(windows):].lower()
            full.append(r)
    return full, [r for r in rows[1:] if len(r) == 1]


def run_offline_steps(s):
    drive_c = s.prefix / "drive_c"
    arch = "AMD64" if s.arch == "x86_64" else "x86"
    root = s.out / "offline-windows"
    dosdevices = s.prefix / "dosdevices"
    letter = next(c for c in "defghijklmnopqrstuvwxy" if not os.path.lexists(dosdevices / f"{c}:"))
    drive = f"{letter.upper()}:\\"

    def setup():
        seed.write_offline(str(root), arch, like=drive_c)  # the live machine's signed files
        os.symlink(root, dosdevices / f"{letter}:")

    def listed(*args):
        rc, out, err = s.cli("/list", "/csv", *args)
        s.expect(rc == 0, f"/list {args} gave {rc}: {err}")
        return list(csv.reader(io.StringIO(out)))

    def list_is_the_live_one():
        live, offline = listed("/microsoft"), listed("/microsoft", "/offline", drive)
        ours = [r[:8] for r in live if r[3].lower().startswith("{5a1f") or r[0] == "Description"]
        hive = [r for r in offline if not r[3] in STORE_ONLY]
        s.expect(ours == [r[:8] for r in hive], f"live {ours}\noffline {offline}")
        # Store first: the package no driver of the hive uses is listed by its INF's name.
        store = [r for r in offline if r[3] in STORE_ONLY]
        s.expect([(r[0], r[3], r[8]) for r in store] == [("qx900.inf", STORE_ONLY[0], "(no device)")],
                 f"the store's own packages: {store}")
        s.expect(all(r[9] != PRESENT for r in offline[1:]), f"a present device offline: {offline}")
        s.expect(not any(seed.DECOY in r[0] for r in offline), "the decoy control set shows")
        net = [r for r in offline if r[0] == "Fenlake Gigabit Ethernet 5120"]
        s.expect(net and net[0][8] == "Ethernet (Fenlake 5120)", f"its device from the hive's Enum: {net}")

    def backup_is_the_live_one():
        ids = [r[3] for r in listed()[1:] if r[5]]  # the INF-less driver stops any run
        a, b = drive_c / "e2e-offline-a", drive_c / "e2e-offline-b"
        before = {p: p.stat().st_mtime_ns for p in root.rglob("*")}
        # Code 1 for both: one of the demo's INFs names a file found nowhere.
        rc, out, err = s.cli("/backup", "C:\\e2e-offline-a", "/id", *ids)
        s.expect(rc == 1 and "The backup is in C:\\e2e-offline-a\\Zorvane" in out, f"live /backup gave {rc}: {err}")
        live_lines = [l for l in out.splitlines() if "/" in l[:6]]
        rc, out, err = s.cli("/backup", "C:\\e2e-offline-b", "/id", *ids, "/offline", drive)
        s.expect(rc == 1 and not err, f"/backup /offline gave {rc}: {out} {err}")
        s.expect([l for l in out.splitlines() if "/" in l[:6]] == live_lines, f"driver lines {out}")
        s.expect(out.splitlines()[-1] == f"Its drivers are those of {drive}Windows, build {seed.OFFLINE_BUILD}, "
                 f"{'amd64' if arch == 'AMD64' else 'x86'}", f"last line {out.splitlines()[-1]!r}")
        live, offline = tree(a / "Zorvane"), tree(b / "Zorvane")
        s.expect(sorted(live) == sorted(offline), f"trees differ: {sorted(set(live) ^ set(offline))}")
        s.expect(any("/oem14.inf/" in p for p in offline), f"no extension driver folder: {sorted(offline)}")
        for name in live:
            s.expect(live[name] == offline[name], f"{name} differs")
        live_rows, live_notes = report_rows(a / "Zorvane")
        rows, notes = report_rows(b / "Zorvane")
        s.expect(live_rows == rows, f"report rows differ: {[r for r in rows if r not in live_rows]}")
        s.expect(all(r[5].startswith("<windows>") for r in rows if r[4] == "copied"), "a source off the drive")
        s.expect(not live_notes and notes == [[f"Backed up from another Windows: {drive}Windows, build "
                                               f"{seed.OFFLINE_BUILD}, {'amd64' if arch == 'AMD64' else 'x86'}"]],
                 f"the report's note: {notes}")
        # The report's last row, of one field, is no driver to /verify.
        checked = [s.cli("/verify", f"C:\\{t.name}")[:2] for t in (a, b)]
        s.expect(checked[0][0] == checked[1][0] == 0 and checked[0][1].splitlines()[1:] == checked[1][1].splitlines()[1:],
                 f"/verify: {checked}")
        # Ticked, the store's own package is copied whole, as the store holds it.
        rc, out, err = s.cli("/backup", "C:\\e2e-offline-c", "/id", ids[0], STORE_ONLY[0], "/offline", drive)
        package = seed.resolve(str(root), seed.pop.FILE_REPOSITORY + "\\" + STORE_ONLY[0])
        copied = drive_c / "e2e-offline-c" / "Zorvane" / "Display" / STORE_ONLY[0]
        s.expect(rc in (0, 1) and tree(copied) == tree(package), f"the package's copy: {rc} {out} {err}")
        after = {p: p.stat().st_mtime_ns for p in root.rglob("*")}
        s.expect(after == before, "the offline Windows' disk changed")

    def window_shows_the_other_windows():
        """File, Back up another Windows...: its list and the caption naming it; Backup refuses a
        folder on its drive and asks again; File, Back up this PC shows this PC's again. The folder
        browser under Wine offers only the drives its mount manager knew at the start, so the
        other Windows is a folder of C: here (the backup itself is the host tests')."""
        other = drive_c / "e2e-other-windows"
        os.symlink(root, other)
        try:
            s.set_proxy(free_port())
            s.start_app()
            s.expect(s.find(MAIN_TITLE), f"no main window; windows: {s.windows()}")
            s.auto_("command", MAIN_TITLE, IDM_OTHER_WINDOWS)
            s.expect(s.find("Browse for Folder"), f"no folder browser; windows: {s.windows()}")
            s.auto_("browse", "Browse for Folder", "C:\\e2e-other-windows")
            s.answer("Browse for Folder", "OK")
            title = (f"{MAIN_TITLE} - drivers of C:\\e2e-other-windows\\Windows, build {seed.OFFLINE_BUILD}, "
                     f"{'amd64' if arch == 'AMD64' else 'x86'}")
            box = s.dialog_text("Back up another Windows") if s.find("Back up another Windows", 0) else ""
            s.expect(s.find(title), f"no caption {title!r}; windows: {s.windows()}; {box}")
            rows = [l.split("\t") for l in s.auto_("list", title)[1].splitlines() if l]
            s.expect([r[1:5] for r in rows] == [r[:4] for r in listed("/offline", drive)[1:]],
                     f"the window's rows {rows}")
            s.expect(all(r[10] != PRESENT for r in rows), f"a present device in the other Windows: {rows}")
            s.auto_("check", title, 0, 1)
            s.auto_("press", title, "Backup")
            s.answer("Install", "OK")
            s.expect(s.find("Browse for Folder"), f"no folder browser; windows: {s.windows()}")
            s.auto_("browse", "Browse for Folder", "C:\\e2e-other-windows")
            s.answer("Browse for Folder", "OK")
            s.answer("Backup", "OK", "The backup cannot go to C:, the drive of C:\\e2e-other-windows\\Windows")
            s.expect(s.find("Browse for Folder"), f"not asked again; windows: {s.windows()}")
            s.answer("Browse for Folder", "Cancel")
            s.expect(not (root / "Zorvane").exists(), "a backup was written to the other Windows' disk")
            s.auto_("command", title, IDM_THIS_PC)
            s.expect(s.find(MAIN_TITLE), f"this PC's caption did not come back; windows: {s.windows()}")
            s.expect([r[1:5] for r in s.rows()] == [r[:4] for r in listed()[1:]], "this PC's list did not come back")
            s.stop_app()
        finally:
            os.unlink(other)

    def a_broken_hive_ends_with_a_message():
        hive = root / "windows" / "system32" / "config" / "SYSTEM"
        whole = hive.read_bytes()
        try:
            hive.write_bytes(whole[: len(whole) // 2])
            rc, out, err = s.cli("/backup", "C:\\e2e-offline-cut", "/all", "/offline", drive)
            s.expect(rc == 3 and "is cut short" in err, f"a cut SYSTEM gave {rc}: {err!r}")
            s.expect(not (drive_c / "e2e-offline-cut").exists(), "a folder was made for a cut hive")
        finally:
            hive.write_bytes(whole)

    s.set_agreed(True)
    try:
        setup()
        for name, fn in [
            ("/list /offline of the demo population on another drive: the live list, devices absent, no decoy",
             list_is_the_live_one),
            ("/backup /offline gives the live backup's tree byte for byte and its report rows, writing nothing "
             "there", backup_is_the_live_one),
            ("the window's File, Back up another Windows...: its list and caption, no backup on its drive, "
             "this PC again", window_shows_the_other_windows),
            ("/backup /offline of a cut SYSTEM hive: code 3, nothing written", a_broken_hive_ends_with_a_message),
        ]:
            s.step(name, fn)
    finally:
        if os.path.islink(dosdevices / f"{letter}:"):
            os.unlink(dosdevices / f"{letter}:")
        subprocess.run(["rm", "-rf", str(root)], check=False)
