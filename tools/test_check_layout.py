#!/usr/bin/env python3
"""The include-table check: it sees a forbidden include, an SDK header in the
logic, a folder missing from the table, and a cycle among the includes."""
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))
import check_layout  # noqa: E402


def problems_of(files):
    with tempfile.TemporaryDirectory() as d:
        for name, text in files.items():
            p = Path(d) / "src" / name
            p.parent.mkdir(parents=True, exist_ok=True)
            p.write_text(text)
        return check_layout.check(d)[0]


def main():
    failures = 0

    def check(cond, what, got):
        nonlocal failures
        if not cond:
            failures += 1
            print(f"FAILED: {what}: {got}")

    ok = {"backup/a.cpp": '#include "inventory/b.h"\n#include "backup/c.h"\n', "inventory/b.h": "",
          "ui/win32/w.cpp": "#include <windows.h>\n#include \"app/frmMain.h\"\n",
          "app/main.cpp": '#include "ui/win32/w.h"\n#include "platform/win32/f.h"\n'}
    got = problems_of(ok)
    check(got == [], "allowed includes pass", got)
    got = problems_of({"platform/win32/x.cpp": '#include "app/frmMain.h"\n'})
    check(len(got) == 1 and "may not include app/frmMain.h" in got[0], "the seam may not reach up to the app", got)
    got = problems_of({"backup/x.cpp": "#include <windows.h>\n"})
    check(len(got) == 1 and "SDK" in got[0], "the logic may not include SDK headers", got)
    got = problems_of({"restore/x.cpp": '#include "support/vbrt.h"\n', "backup/y.cpp": '#include "support/vbrt.h"\n'})
    check(len(got) == 1 and "restore may not include the old run-time's rules" in got[0],
          "only the numbered modules' folders include the old run-time's rules", got)
    got = problems_of({"gadgets/x.cpp": ""})
    check(len(got) == 1 and "no place in the include table" in got[0], "a new folder must be in the table", got)
    saved = dict(check_layout.ALLOWED)
    try:
        check_layout.ALLOWED["support"] = {"platform", "backup"}
        got = problems_of({"backup/x.cpp": '#include "support/y.h"\n', "support/y.h": '#include "backup/z.h"\n'})
        check(any("cycle" in p for p in got), "a cycle among the folders is found", got)
    finally:
        check_layout.ALLOWED.clear()
        check_layout.ALLOWED.update(saved)

    print(f"layout check: {'all checks passed' if not failures else f'{failures} failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
