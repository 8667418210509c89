"""The scenario: what a person does with Zorvane, step by step."""
import csv
import subprocess
import sys
import time
from pathlib import Path

from run_e2e import IDM_ABOUT_ZORVANE, IDM_BACKUP, IDM_EXIT, MAIN_TITLE, StepFailed

AGREEMENT = ("Use this application at your own risk. Fenwright Inc is not responsible for any loss of data "
             "or any data corruption. Do you agree to this?")


def name_needs_reset(name):
    return name.startswith(("first start", "Agreement", "version check"))


def run_steps(s, VersionServer, free_port):
    refused = free_port()  # nothing listens there: the update server is unreachable
    server = VersionServer()
    shown_main = {}

    def first_start_declined():
        s.set_proxy(refused)
        s.set_agreed(False)
        s.start_app()
        s.answer("Agreement", "No", AGREEMENT)
        s.expect(s.app_ended(10), "the program kept running after No")
        rc, _ = s.auto_("find", MAIN_TITLE, 200)
        s.expect(rc != 0, "a main window was shown after No")
        rc, out = s.reg("query", SETTINGS, "/v", "ZorvaneFirstTime")
        s.expect(rc != 0 or "No" not in out, f"the agreement was stored after No: {out.strip()}")

    def first_start_accepted():
        s.set_agreed(False)
        s.start_app()
        s.answer("Agreement", "Yes", AGREEMENT)
        s.expect(s.find(MAIN_TITLE), f"no main window after Yes; windows: {s.windows()}")
        rc, out = s.reg("query", SETTINGS, "/v", "ZorvaneFirstTime")
        s.expect(rc == 0 and "No" in out, f"the agreement was not remembered: {out.strip()}")
        s.auto_("command", MAIN_TITLE, IDM_EXIT)
        s.expect(s.app_ended(10), "File, Exit did not end the program")

    def next_start_not_asked():
        s.start_app()
        s.expect(s.find(MAIN_TITLE), f"no main window; windows: {s.windows()}")
        rc, _ = s.auto_("find", "Agreement", 200)
        s.expect(rc != 0, "the agreement was asked again")
        shown_main["ok"] = True

    def dragged_folder_opens_the_window():
        # Explorer starts the program with the dropped folder as its one argument.
        s.start_app("C:\\windows\\inf")
        s.expect(s.find(MAIN_TITLE), f"no main window for a dragged folder; windows: {s.windows()}")
        s.expect(s.app.poll() is None, f"the program ended with {s.app.returncode}")

    def caption_list_and_filters():
        if s.app is None or s.app.poll() is not None:
            s.start_app()
            s.expect(s.find(MAIN_TITLE), "no main window")
        rows = s.rows()
        providers = [r[3].lower() for r in rows]
        s.expect(rows, "the list is empty")
        s.expect("microsoft" not in providers and "" not in providers,
                 f"Microsoft or provider-less drivers listed while unticked: {providers}")
        s.expect(all(r[0] == "0" for r in rows), "rows ticked at start")
        s.screenshot("main-window")
        rc, out = s.auto_("press", MAIN_TITLE, "Include Microsoft drivers")
        s.expect(rc == 0, out)
        wide = s.rows_until(lambda r: len(r) > len(rows))
        wide_providers = [r[3].lower() for r in wide]
        s.expect(len(wide) > len(rows) and "microsoft" in wide_providers,
                 f"ticking the box listed {len(wide)} rows, providers {wide_providers}")
        s.auto_("press", MAIN_TITLE, "Include Microsoft drivers")
        s.expect(len(s.rows_until(lambda r: len(r) == len(rows))) == len(rows), "unticking the box did not hide the Microsoft drivers again")

    def select_and_invert():
        all_ticked = lambda rows: all(r[0] == "1" for r in rows)  # noqa: E731
        none_ticked = lambda rows: all(r[0] == "0" for r in rows)  # noqa: E731
        s.auto_("press", MAIN_TITLE, "Select all")
        s.expect(all_ticked(s.rows_until(all_ticked)), "Select all left rows unticked")
        s.auto_("press", MAIN_TITLE, "Invert selection")
        s.expect(none_ticked(s.rows_until(none_ticked)), "Invert selection after Select all left ticks")

    def about_twice_one_box():
        s.auto_("command", MAIN_TITLE, IDM_ABOUT_ZORVANE)
        s.expect(s.find("About Zorvane"), f"no About box; windows: {s.windows()}")
        s.auto_("command", MAIN_TITLE, IDM_ABOUT_ZORVANE)
        time.sleep(1.0)  # time for a second box to appear, were one made
        count = s.windows().count("About Zorvane")
        s.expect(count == 1, f"{count} About boxes after choosing About twice")
        texts = [t[2] for t in s.texts("About Zorvane") if len(t) > 2]
        for want in ("Zorvane", "1.03", "OK", "System Info..."):
            s.expect(any(want == t.replace("&", "") for t in texts), f"About box lacks {want!r}: {texts}")
        s.screenshot("about-box")

    def close_box_with_about_open():
        s.auto_("close", MAIN_TITLE)
        s.expect(s.app_ended(10), "the close box did not end the program")
        rc, _ = s.auto_("find", "About Zorvane", 200)
        s.expect(rc != 0, "the About box outlived the program")

    def newer_version_offered():
        server.body = b"1.04,http://www.zorvane.example/download.html,optional"
        s.set_proxy(server.port)
        s.start_app()
        s.answer("New Version", "Yes", "New version is available at: http://www.zorvane.example/download.html. "
                                       "Do you wish to go there now?")
        s.expect(s.find(MAIN_TITLE), "no main window after declining the new version")
        s.expect(any("/AppVersions/ZorvaneVersion.txt" in r for r in server.requests),
                 f"the server saw {server.requests}")
        # Wine hands the address to its browser program, a process of its own whose first
        # start in a prefix can take several seconds.
        opened = s.out / "opened.log"
        for _ in range(300):
            if opened.exists() and "http://www.zorvane.example/download.html" in opened.read_text():
                break
            time.sleep(0.1)
        s.expect(opened.exists() and "http://www.zorvane.example/download.html" in opened.read_text(),
                 "Yes did not hand the page's address to the browser")
        s.auto_("command", MAIN_TITLE, IDM_EXIT)
        s.expect(s.app_ended(10), "File, Exit did not end the program")

    def must_download_ends():
        start_with_version_file(b"2.0,http://www.zorvane.example/download.html,must-download")
        s.answer("New Version", "No")
        s.expect(s.app_ended(10), "must-download did not end the program")
        s.set_proxy(refused)

    backup_dir = s.prefix / "drive_c" / "e2e-backup"
    cancel_dir = s.prefix / "drive_c" / "e2e-cancelled"
    ticks = ["Fenlake Gigabit Ethernet 5120", "Orrin LaserWrite 4200 PS", "Kestrel Macro Pad|Pro?",
             "Quillon Graphics QX 900", "USB 3.0 Hub: Root/Port <A>?", "Brisa HD Audio Demo"]

    def ensure_main():
        if s.app is None or s.app.poll() is not None:
            s.start_app()
            s.expect(s.find(MAIN_TITLE), f"no main window; windows: {s.windows()}")

    def backup_without_tick():
        ensure_main()
        s.expect(all(r[0] == "0" for r in s.rows()), "rows are ticked")
        s.auto_("press", MAIN_TITLE, "Backup")
        s.answer("Driver", "OK", "Please select at least one driver to backup.")
        s.auto_("command", MAIN_TITLE, IDM_BACKUP)
        s.answer("Driver", "OK", "Please select at least one driver to backup.")
        rc, _ = s.auto_("find", "Install", 300)
        s.expect(rc != 0, "the Install notice appeared without a tick")

    def tick(names):
        rows = s.rows()
        for i, r in enumerate(rows):
            if r[1] in names:
                s.auto_("check", MAIN_TITLE, i, 1)
        ticked = [r[1] for r in s.rows() if r[0] == "1"]
        s.expect(sorted(set(ticked)) == sorted(set(names)), f"ticked {ticked}, wanted {names}")
        return len(ticked)

    def cancelled_browser():
        ensure_main()
        count = tick(ticks)
        cancel_dir.mkdir(exist_ok=True)
        s.auto_("press", MAIN_TITLE, "Backup")
        s.answer("Install", "OK", "Please be aware that some providers require you to use their own driver "
                                  "install package.")
        s.expect(s.find("Browse for Folder"), f"no folder browser; windows: {s.windows()}")
        s.auto_("browse", "Browse for Folder", "C:\\e2e-cancelled")
        s.answer("Browse for Folder", "Cancel")
        time.sleep(0.5)
        s.expect(not any(cancel_dir.iterdir()), f"cancelling wrote {list(cancel_dir.iterdir())}")
        rc, out = s.auto_("progress", MAIN_TITLE)
        s.expect(out.split() == ["0", str(count)], f"progress after cancel: {out.strip()}, wanted 0 of {count}")

    def backup_into_chosen_folder():
        ensure_main()
        count = len([r for r in s.rows() if r[0] == "1"]) or tick(ticks)
        backup_dir.mkdir(exist_ok=True)
        s.auto_("press", MAIN_TITLE, "Backup")
        s.answer("Install", "OK")
        s.expect(s.find("Browse for Folder"), f"no folder browser; windows: {s.windows()}")
        rc, out = s.auto_("browse", "Browse for Folder", "C:\\e2e-backup")
        s.expect(rc == 0, out)
        time.sleep(0.3)
        s.screenshot("folder-browser")
        s.answer("Browse for Folder", "OK")
        s.answer("Backup", "OK", "Backup successfully created.")
        rc, out = s.auto_("status", MAIN_TITLE)
        s.expect(out.strip() == "Searching and saving driver files...", f"status bar says {out.strip()!r}")
        rc, out = s.auto_("progress", MAIN_TITLE)
        s.expect(out.split() == [str(count), str(count)], f"progress {out.strip()}, wanted {count} of {count}")
        compare_tree(s, backup_dir, ticks)

    def agreement_cancel_asks_again():
        s.set_proxy(refused)
        s.set_agreed(False)
        s.start_app()
        s.answer("Agreement", "Cancel", AGREEMENT)
        s.expect(s.app_ended(10), "the program kept running after Cancel")
        s.start_app()
        s.expect(s.find("Agreement"), "the next start did not ask again")
        s.answer("Agreement", "Yes")
        s.expect(s.find(MAIN_TITLE), "no main window after Yes")
        s.stop_app()

    def start_with_version_file(body):
        server.body = body
        s.set_proxy(server.port)
        s.start_app()

    def version_not_newer():
        for body in (b"1.03,http://www.zorvane.example/download.html,must-download",
                     b"1.030,http://www.zorvane.example/download.html,must-download",
                     b"v1.04,http://www.zorvane.example/download.html,must-download"):
            start_with_version_file(body)
            s.expect(s.find(MAIN_TITLE), f"no main window for the version file {body!r}; windows: {s.windows()}")
            rc, _ = s.auto_("find", "New Version", 200)
            s.expect(rc != 0, f"a new version was offered for {body!r}")
            s.stop_app()

    def must_download_with_line_break_goes_on():
        start_with_version_file(b"1.04,http://www.zorvane.example/download.html,must-download\r\n")
        s.answer("New Version", "No")
        s.expect(s.find(MAIN_TITLE), f"the program did not go on; windows: {s.windows()}")
        s.stop_app()

    def missing_third_field_reported():
        s.set_agreed(False)
        start_with_version_file(b"1.04,http://www.zorvane.example/download.html")
        s.answer("New Version", "No")
        s.answer("Error", "Yes", "Error Line: 579.")
        s.expect(s.find(MAIN_TITLE), f"no main window after the report; windows: {s.windows()}")
        rc, _ = s.auto_("find", "Agreement", 200)
        s.expect(rc != 0, "the agreement was asked after the failure")
        s.stop_app()
        s.set_agreed(True)
        s.set_proxy(refused)

    def system_info_as_the_registry_says():
        ensure_main()
        s.auto_("command", MAIN_TITLE, IDM_ABOUT_ZORVANE)
        s.expect(s.find("About Zorvane"), "no About box")
        s.auto_("press", "About Zorvane", "System Info...")
        s.answer("Zorvane", "OK", "System Information Is Unavailable At This Time")
        s.reg("add", r"HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO", "/v", "PATH", "/t", "REG_SZ", "/d",
              r"C:\windows\system32\notepad.exe", "/f")
        try:
            s.auto_("press", "About Zorvane", "System Info...")
            s.expect(s.find("Untitled - Notepad"), f"the registered program did not start; windows: {s.windows()}")
            s.auto_("close", "Untitled - Notepad")
            s.auto_("gone", "Untitled - Notepad", 5000)
        finally:
            s.reg("delete", r"HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO", "/f")
        s.auto_("press", "About Zorvane", "OK")
        rc, _ = s.auto_("gone", "About Zorvane", 5000)
        s.expect(rc == 0, "OK did not close the About box")

    def untick_all():
        for i, r in enumerate(s.rows()):
            if r[0] == "1":
                s.auto_("check", MAIN_TITLE, i, 0)

    def backup_to_drive_root():
        ensure_main()
        untick_all()
        names = ["Kestrel Gaming Keyboard K7", "Fenlake Wireless AX Demo"]
        tick(names)
        s.auto_("press", MAIN_TITLE, "Backup")
        s.answer("Install", "OK")
        s.expect(s.find("Browse for Folder"), "no folder browser")
        s.auto_("browse", "Browse for Folder", "C:\\")
        s.answer("Browse for Folder", "OK")
        s.answer("Backup", "OK", "Backup successfully created.")
        compare_tree(s, s.prefix / "drive_c", names, only="Zorvane")

    def failing_third_driver():
        ensure_main()
        untick_all()
        names = ["Fenlake Gigabit Ethernet 5120", "Orrin LaserWrite 4200 PS", "Brisa Legacy Wave Device",
                 "Kestrel Gaming Keyboard K7", "Kestrel Macro Pad|Pro?"]
        tick(names)
        target = s.prefix / "drive_c" / "e2e-failing"
        target.mkdir(exist_ok=True)
        s.auto_("press", MAIN_TITLE, "Backup")
        s.answer("Install", "OK")
        s.expect(s.find("Browse for Folder"), "no folder browser")
        s.auto_("browse", "Browse for Folder", "C:\\e2e-failing")
        s.answer("Browse for Folder", "OK")
        s.answer("Error", "Yes", "Error Line: 247.")
        rc, _ = s.auto_("find", "Backup", 1000)
        s.expect(rc != 0, "a success message followed the failure")
        compare_tree(s, target, names, expect_failure=True)
        untick_all()

    def exit_by_alt_f4():
        ensure_main()
        s.auto_("key", MAIN_TITLE, "0x73", "alt")  # VK_F4
        s.expect(s.app_ended(10), "Alt+F4 did not end the program")

    def exit_by_menu():
        ensure_main()
        s.auto_("command", MAIN_TITLE, IDM_EXIT)
        s.expect(s.app_ended(10), "File, Exit did not end the program")

    for name, fn in [
        ("first start offline: Agreement, No ends the program", first_start_declined),
        ("first start: Agreement, Yes opens the window and is remembered", first_start_accepted),
        ("next start: no Agreement", next_start_not_asked),
        ("a folder dragged onto the program opens the window", dragged_folder_opens_the_window),
        ("Agreement answered Cancel ends the program and is asked again", agreement_cancel_asks_again),
        ("list: Microsoft drivers hidden, then shown by the check box", caption_list_and_filters),
        ("Select all and Invert selection", select_and_invert),
        ("About twice gives one box", about_twice_one_box),
        ("close box with the About box open ends the program", close_box_with_about_open),
        ("version check: a newer version is offered", newer_version_offered),
        ("version check: must-download ends the program", must_download_ends),
        ("version check: equal, 1.030 and a letter first offer nothing", version_not_newer),
        ("version check: must-download and a line break goes on", must_download_with_line_break_goes_on),
        ("version check: no third field reports line 579, no agreement", missing_third_field_reported),
        ("Backup and File, Backup with no tick: the Driver message", backup_without_tick),
        ("Backup with a cancelled folder browser writes nothing", cancelled_browser),
        ("Backup into a chosen folder writes the expected tree", backup_into_chosen_folder),
        ("Backup into a drive root: Zorvane without a doubled separator", backup_to_drive_root),
        ("Backup whose third driver has no INF: line 247 reported, the run ends", failing_third_driver),
        ("System Info: unavailable, then started as the registry says", system_info_as_the_registry_says),
        ("Alt+F4 ends the program", exit_by_alt_f4),
        ("File, Exit ends the program", exit_by_menu),
    ]:
        # Every step leaves the machine as the next one expects it: offline, agreement given.
        s.step(name, fn, cleanup=lambda: (s.set_proxy(refused), s.set_agreed(True)) if name_needs_reset(name) else None)
    server.close()


SETTINGS = r"HKCU\SOFTWARE\FI"
ROOT = Path(__file__).resolve().parents[2]


def windows_path(prefix, path):
    """The prefix's file for a C:\\ path, matching each part without regard to case as Windows does."""
    here = prefix / "drive_c"
    for part in path[3:].split("\\"):
        match = [p for p in here.iterdir() if p.name.lower() == part.lower()] if here.is_dir() else []
        if not match:
            return None
        here = match[0]
    return here


def prefix_arch(prefix):
    """The architecture of the prefix's Windows, as its registry file names it."""
    head = (prefix / "system.reg").read_text(errors="replace")[:400]
    return "amd64" if "#arch=win64" in head else "x86"


def compare_report(s, written, ticks, expect_failure):
    """The report row by row: every field exact, the source path without regard to case
    (Windows names folders as it likes: the prefix spells the catalog store "catroot")."""
    r = subprocess.run([sys.executable, str(ROOT / "tools/demo/expected-backup.py"), "--report",
                        "--arch", prefix_arch(s.prefix), "--machine", str(s.prefix / "drive_c"), *ticks],
                       capture_output=True)
    s.expect(r.returncode == (3 if expect_failure else 0), f"expected-backup --report gave {r.returncode}")
    want = r.stdout.decode("utf-8").split("\r\n")
    got = written.read_bytes().decode("utf-8").split("\r\n")
    s.expect(got[-1] == "" and want[-1] == "", "a report line does not end in CR LF")
    s.expect(len(got) == len(want), f"report has {len(got) - 2} rows, expected {len(want) - 2}: {got}")
    for i, (g, w) in enumerate(zip(got, want)):
        gf, wf = list(csv.reader([g]))[0] if g else [], list(csv.reader([w]))[0] if w else []
        same = len(gf) == len(wf) and all(a.lower() == b.lower() if k == 5 else a == b
                                          for k, (a, b) in enumerate(zip(gf, wf)))
        s.expect(same, f"report row {i}: {g!r}, expected {w!r}")


def compare_tree(s, written_root, ticks, only=None, expect_failure=False):
    r = subprocess.run([sys.executable, str(ROOT / "tools/demo/expected-backup.py"), "--sources",
                        "--arch", prefix_arch(s.prefix), "--machine", str(s.prefix / "drive_c"), *ticks],
                       capture_output=True, text=True)
    s.expect(r.returncode == (3 if expect_failure else 0), f"expected-backup gave {r.returncode}: {r.stdout}{r.stderr}")
    expected = {}
    for line in r.stdout.splitlines():
        if line.startswith("FAILED: "):
            continue
        name, _, source = line.partition("  <- ")
        expected[name.rstrip("\\")] = source or None
    written = {}
    if only and (written_root / only).exists():
        written[only] = written_root / only
    for p in (written_root / only if only else written_root).rglob("*"):
        written[str(p.relative_to(written_root)).replace("/", "\\")] = p
    missing = sorted(set(expected) - set(written))
    extra = sorted(set(written) - set(expected))
    s.expect(not missing and not extra, f"tree differs: missing {missing}, unexpected {extra}")
    for name, source in expected.items():
        if source is None:
            s.expect(written[name].is_dir(), f"{name} should be a folder")
            continue
        if source == "(report)":
            compare_report(s, written[name], ticks, expect_failure)
            continue
        if source == "(program)":
            s.expect(written[name].read_bytes() == s.exe.read_bytes(), f"{name} differs from {s.exe.name}")
            continue
        if source == "(script)":
            s.expect(written[name].read_bytes().startswith(b"@echo off\r\n"), f"{name} is not the restore script")
            continue
        src = windows_path(s.prefix, source)
        s.expect(src is not None, f"source {source} is not in the prefix")
        s.expect(written[name].read_bytes() == src.read_bytes(), f"{name} differs from {source}")
