"""The ANSI code page, end to end: an argument the code page cannot hold unchanged is refused by
name and writes nothing (a full-width quote or backslash would otherwise become a real one), and
a folder it can hold is used exactly, also under another code page than Wine's default 1252:
Wine takes the code page from the Unix locale of each Wine process."""
import csv
import io
import subprocess

LOCALE = "pl_PL.UTF-8"  # Windows-1250
POLISH = "e2e-\u0141ukasz \u017ar\u00f3d\u0142o"
REFUSED = ("is not used: this Windows' code page cannot hold the characters shown as <U+...> unchanged, "
           "and Zorvane does not replace them.")


def polish_locale(s):
    """A Polish locale of our own under the output folder (localedef needs no root there, only
    the locale sources of Debian's locales package): LOCPATH, or why there is none."""
    folder = s.out / "locales"
    if not (folder / LOCALE).is_dir():
        folder.mkdir(parents=True, exist_ok=True)
        try:
            r = subprocess.run(["localedef", "-i", "pl_PL", "-f", "UTF-8", str(folder / LOCALE)],
                               capture_output=True, text=True, timeout=120)
        except FileNotFoundError:
            return None, "localedef is not installed"
        if not (folder / LOCALE).is_dir():
            return None, f"localedef could not make {LOCALE}: {r.stderr.strip()}"
    return folder, ""


def run_code_page_steps(s):
    drive_c = s.prefix / "drive_c"

    def look_alikes_are_refused():
        for args, named in [
            (["/verify", "C:\\nothere\uff02 /list \uff02"], "C:\\nothere<U+FF02> /list <U+FF02>"),
            (["/verify", "C:\\a\uff3c..\uff3cwindows"], "C:\\a<U+FF3C>..<U+FF3C>windows"),
            (["/backup", "C:\\e2e-x\uff3c..\uff3c..\\e2e-out"], "C:\\e2e-x<U+FF3C>..<U+FF3C>..\\e2e-out"),
        ]:
            rc, out, err = s.cli(*args)
            s.expect(rc == 2 and err.strip() == f"Error: The argument {named} {REFUSED}", f"{args} gave {rc}: {err!r}")
            s.expect(not (drive_c / "e2e-out").exists(), f"{args} wrote C:\\e2e-out")

    def polish_folder_exactly():
        rc, out, err = s.cli("/list", "/csv")
        ids = [r[3] for r in list(csv.reader(io.StringIO(out)))[1:] if r[0] == "Fenlake Gigabit Ethernet 5120"]
        s.expect(rc == 0 and len(ids) == 1, f"/list gave {rc}: {ids} {err}")
        target = drive_c / POLISH
        # Wine's default code page lacks "\u0141" and "\u017a": refused, not made "Lukasz zrodlo".
        rc, out, err = s.cli("/backup", f"C:\\{POLISH}", "/id", ids[0])
        s.expect(rc == 2 and "C:\\e2e-<U+0141>ukasz <U+017A>r\u00f3d<U+0142>o" in err, f"under 1252: {rc} {err!r}")
        s.expect(not any(p.name.startswith("e2e-") and "ukasz" in p.name for p in drive_c.iterdir()),
                 "under 1252 a folder was written")
        env = dict(s.env, LOCPATH=str(locales), LANG=LOCALE, LC_ALL=LOCALE)
        rc, out, err = s.cli("/backup", f"C:\\{POLISH}", "/id", ids[0], env=env, code_page="cp1250")
        s.expect(rc == 0 and out.splitlines()[-1] == f"The backup is in C:\\{POLISH}\\Zorvane",
                 f"under 1250: {rc}: {out} {err}")
        s.expect((target / "Zorvane" / "backup-report.csv").is_file(), f"no report in {target}")
        made = sorted(p.name for p in drive_c.iterdir() if "ukasz" in p.name)
        s.expect(made == [POLISH], f"folders written: {made}")

    s.step("an argument with a full-width quote or backslash is refused by name, code 2, nothing written",
           look_alikes_are_refused)
    name = f"a Polish folder: refused under Windows-1252, backed up into exactly it under 1250 ({LOCALE})"
    locales, why = polish_locale(s)
    if locales is None:
        print(f"skip  {name}: {why}", flush=True)
    else:
        s.step(name, polish_folder_exactly)
