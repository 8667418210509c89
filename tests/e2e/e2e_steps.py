"""The scenario: what a person does with Zorvane, step by step."""
import subprocess
import time
from pathlib import Path

from run_e2e import IDM_ABOUT_ZORVANE, IDM_BACKUP, IDM_EXIT, MAIN_TITLE, StepFailed

AGREEMENT = ("Use this application at your own risk. Fenwright Inc is not responsible for any loss of data "
             "or any data corruption. Do you agree to this?")


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
        time.sleep(0.5)
        wide = s.rows()
        wide_providers = [r[3].lower() for r in wide]
        s.expect(len(wide) > len(rows) and "microsoft" in wide_providers,
                 f"ticking the box listed {len(wide)} rows, providers {wide_providers}")
        s.auto_("press", MAIN_TITLE, "Include Microsoft drivers")
        time.sleep(0.5)
        s.expect(len(s.rows()) == len(rows), "unticking the box did not hide the Microsoft drivers again")

    def select_and_invert():
        s.auto_("press", MAIN_TITLE, "Select all")
        time.sleep(0.3)
        s.expect(all(r[0] == "1" for r in s.rows()), "Select all left rows unticked")
        s.auto_("press", MAIN_TITLE, "Invert selection")
        time.sleep(0.3)
        s.expect(all(r[0] == "0" for r in s.rows()), "Invert selection after Select all left ticks")

    def about_twice_one_box():
        s.auto_("command", MAIN_TITLE, IDM_ABOUT_ZORVANE)
        s.expect(s.find("About Zorvane"), f"no About box; windows: {s.windows()}")
        s.auto_("command", MAIN_TITLE, IDM_ABOUT_ZORVANE)
        time.sleep(0.5)
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
        server.body = b"1.04,http://www.zorvane.example/download.html"
        s.set_proxy(server.port)
        s.start_app()
        s.answer("New Version", "No", "New version is available at: http://www.zorvane.example/download.html. "
                                      "Do you wish to go there now?")
        s.expect(s.find(MAIN_TITLE), "no main window after declining the new version")
        s.expect(any("/AppVersions/ZorvaneVersion.txt" in r for r in server.requests),
                 f"the server saw {server.requests}")
        s.auto_("command", MAIN_TITLE, IDM_EXIT)
        s.expect(s.app_ended(10), "File, Exit did not end the program")

    def must_download_ends():
        server.body = b"2.0,http://www.zorvane.example/download.html,must-download"
        s.start_app()
        s.answer("New Version", "No")
        s.expect(s.app_ended(10), "must-download did not end the program")
        s.set_proxy(refused)

    for name, fn in [
        ("first start offline: Agreement, No ends the program", first_start_declined),
        ("first start: Agreement, Yes opens the window and is remembered", first_start_accepted),
        ("next start: no Agreement", next_start_not_asked),
        ("list: Microsoft drivers hidden, then shown by the check box", caption_list_and_filters),
        ("Select all and Invert selection", select_and_invert),
        ("About twice gives one box", about_twice_one_box),
        ("close box with the About box open ends the program", close_box_with_about_open),
        ("version check: a newer version is offered", newer_version_offered),
        ("version check: must-download ends the program", must_download_ends),
    ]:
        s.step(name, fn)
    server.close()


SETTINGS = r"HKCU\SOFTWARE\FI"
