"""Will it load after the reinstall, end to end: the demo machine's driver of each signature
class (its catalog, or its .sys, made by the test-catalog generator when the machine was
seeded), as /check on the machine, a backup's report, /check of that backup and the window's
Signature column name its class and its fate on a clean Windows 11."""
import csv
import re
import shutil
import sys

from e2e_steps import compare_tree
from run_e2e import MAIN_TITLE, ROOT

sys.path.insert(0, str(ROOT / "tools" / "demo"))
import population as pop  # noqa: E402

THIS_WINDOWS = re.compile(r" \(this Windows: [^)]*\)$")


def run_signature_steps(s):
    folder = "C:\\e2e-signatures"
    ids = [pop.SYSTEM + "\\" + d[0] for d in pop.SIGNED_DRIVERS]

    def lines_by_label(out):
        """"<class>\\<description>: <class>, <verdict>" lines by their label, without what this
        Windows would do."""
        found = {}
        for line in out.splitlines():
            label, sep, rest = line.partition(": ")
            if sep:
                found[label] = THIS_WINDOWS.sub("", rest)
        return found

    def each_class_as_the_forecast_says():
        rc, out, err = s.cli("/check")
        s.expect(rc == 1 and not err, f"/check gave {rc}: {out} {err}")
        machine = lines_by_label(out)

        shutil.rmtree(s.prefix / "drive_c" / "e2e-signatures", ignore_errors=True)  # a backup of an earlier run
        rc, out, err = s.cli("/backup", folder, "/id", *ids)
        s.expect(rc == 0, f"/backup gave {rc}: {out} {err}")
        compare_tree(s, s.prefix / "drive_c" / "e2e-signatures", ids)  # the files and every report field
        with open(s.prefix / "drive_c" / "e2e-signatures" / "Zorvane" / "backup-report.csv", encoding="utf-8-sig",
                  newline="") as f:
            rows = list(csv.reader(f))
        at = {name: rows[0].index(name) for name in ("Folder", "Signature", "After a clean install")}
        report = {r[at["Folder"]]: f"{r[at['Signature']]}, {r[at['After a clean install']]}"
                  for r in rows[1:] if len(r) == len(rows[0])}

        rc, out, err = s.cli("/check", folder)
        s.expect(rc == 1 and not err, f"/check {folder} gave {rc}: {out} {err}")
        backup = lines_by_label(out)
        s.expect(out.splitlines()[-1] == f"{len(ids)} drivers checked: 3 load, {len(ids) - 3} will not or may not.",
                 f"/check {folder}: {out}")

        s.start_app()
        s.expect(s.find(MAIN_TITLE), f"no main window; windows: {s.windows()}")
        cell = lambda r: r[11] if len(r) > 11 else ""  # noqa: E731
        window = {r[4]: cell(r) for r in s.rows_until(lambda rows: all(cell(r) for r in rows), seconds=30)}
        s.stop_app()

        table, wrong = [], []
        for key, desc, *_files, cls, verdict in pop.SIGNED_DRIVERS:
            label, want = "System\\" + desc, f"{cls}, {verdict}"
            got = [machine.get(label, "(no line)"), report.get(label, "(no row)"), backup.get(label, "(no line)"),
                   window.get(pop.SYSTEM + "\\" + key, "(no row)")]
            table.append(f"{desc:<36} {want:<64} " + " | ".join(got))
            if got[:3] != [want] * 3 or got[3] != cls:
                wrong.append(desc)
        s.expect(not wrong, f"{', '.join(wrong)} differ; driver, expected, then /check, the report, /check of "
                 "the backup, the window:\n" + "\n".join(table))

    s.set_agreed(True)
    s.step("each signature class: /check, the backup's report, /check of the backup and the window's Signature "
           "column name its class and what a clean Windows 11 does with it", each_class_as_the_forecast_says)
