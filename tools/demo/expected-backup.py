#!/usr/bin/env python3
"""Lists the backup tree that a backup run on the demo machine must write.

    expected-backup.py [--include-microsoft] [--sources] TICK...

Each TICK is a driver description as the list shows it (it ticks every row with
that text) or an ID, class key name + "\\" + instance key name. The output has one
line per folder (ending in "\\") and file below the chosen folder, starting with
"Zorvane\\"; with --sources each file line also names the file that the run copies
last to it. When a ticked row's INF cannot be copied the run ends there: the lines
so far are printed, then "FAILED: <description>" on its own line, and the exit code is 3.

Only the demo population is known here. Wine's own class keys hold one driver,
"Wine Adapter", with no provider and no INF name: it is listed with Microsoft drivers
included, and backing it up fails like any row without an INF name.
"""
import sys
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))
import population as pop  # noqa: E402

HERE = Path(__file__).resolve().parent
WINDOWS = "C:\\windows"
SYSTEM = WINDOWS + "\\system32"
INF_FOLDER = WINDOWS + "\\inf\\"
CATROOT = SYSTEM + "\\CatRoot\\"

WHERE_IS_DIR = {
    "01": WINDOWS[:3], "10": WINDOWS, "11": SYSTEM, "12": SYSTEM + "\\Drivers", "17": INF_FOLDER,
    "18": WINDOWS + "\\Help", "20": WINDOWS + "\\Fonts", "21": "", "23": SYSTEM + "\\spool\\drivers\\color",
    "24": WINDOWS[:3], "25": "", "30": WINDOWS[:3], "50": SYSTEM, "51": SYSTEM + "\\Spool",
    "52": SYSTEM + "\\Spool\\Drivers", "53": "", "54": "", "55": SYSTEM + "\\spool\\prtprocs", "-1": "",
    "66000": SYSTEM + "\\spool\\Drivers\\w32x86", "66001": SYSTEM + "\\spool\\prtprocs\\w32x86", "66002": "",
    "66003": SYSTEM + "\\spool\\drivers\\color", "66004": SYSTEM + "\\spool\\Drivers\\w32x86",
}
PRINTER_FOLDER = SYSTEM + "\\spool\\Drivers\\w32x86"

# Installed files by their lower-cased Windows path.
INSTALLED = {("C:\\" + p).lower(): "C:\\" + p for p in pop.INSTALLED}
INFS = {p.name.lower(): p for p in (HERE / "inf").glob("*.inf")}


def exists(path):
    return path.replace("\\\\", "\\").lower() in INSTALLED


def safe_dir(text):
    for ch in "\\/*:;?><|":
        text = text.replace(ch, " ")
    return text


def sections(inf_path):
    """Sections as profile reads see them: names without regard to case, the first
    section of a name counts, ';' lines left out, keys and values trimmed."""
    out = {}
    current = None
    for raw in inf_path.read_text(encoding="cp1252").splitlines():
        line = raw.strip()
        if line.startswith("[") and "]" in line:
            name = line[1:line.index("]")].strip().lower()
            current = None if name in out else out.setdefault(name, [])
            continue
        if current is None or not line or line.startswith(";"):
            continue
        key, _, value = line.partition("=")
        value = value.strip()
        if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
            value = value[1:-1]
        current.append((key.strip(), value))
    return out


def read_key(secs, section, key):
    for k, v in secs.get(section.lower(), []):
        if k.lower() == key.lower():
            return v
    return ""


def rows(include_microsoft):
    # Class keys and their instances in the registry's order under Wine: sorted by name.
    for guid in sorted(pop.CLASSES, key=str.lower):
        default, cls = pop.CLASSES[guid]
        for g, sub, values in sorted((i for i in pop.INSTANCES if i[0] == guid), key=lambda i: i[1].lower()):
            desc = values.get("DriverDesc") or ""
            provider = values.get("ProviderName") or ""
            if not desc:
                continue
            if provider and provider.lower() != "microsoft" or include_microsoft:
                yield {"id": g + "\\" + sub, "desc": desc, "class": cls, "inf": values.get("InfPath") or ""}


def backup(ticks, include_microsoft):
    tree = {}  # relative path -> source (None for folders)
    for row in rows(include_microsoft):
        if row["desc"] not in ticks and row["id"] not in ticks:
            continue
        root = "Zorvane"
        class_folder = root + "\\" + row["class"]
        driver = (root + "\\" + row["class"] + "\\" + safe_dir(row["desc"])).strip(" ")
        for folder in (root, class_folder, driver):
            tree.setdefault(folder + "\\", None)
        inf = INFS.get(row["inf"].lower()) if row["inf"] else None
        if inf is None:
            return tree, row["desc"]
        tree[driver + "\\" + row["inf"]] = INF_FOLDER + row["inf"]
        secs = sections(inf)
        catalog = read_key(secs, "Version", "CatalogFile")
        if catalog:
            for store in (pop.CATROOT_MAIN, pop.CATROOT_SECOND):  # both hold the same catalog
                if exists(CATROOT + store + "\\" + catalog):
                    tree[driver + "\\" + catalog] = INSTALLED[(CATROOT + store + "\\" + catalog).lower()]
        for name, _ in secs.get("sourcedisksfiles", []):
            if not name:
                continue
            ext = name.split(".")[1].lower() if "." in name else ""
            dest_id = read_key(secs, "DestinationDirs", "DefaultDestDir")
            probes = []
            if dest_id:
                folder = WHERE_IS_DIR.get(dest_id, "")
                probes.append(folder + "\\" + name)
                if folder == PRINTER_FOLDER:
                    probes += [folder + "\\%d\\%s" % (k, name) for k in range(1, 20)]
            if ext == "hlp":
                probes.append(WINDOWS + "\\help\\" + name)
            elif ext == "sys":
                probes.append(SYSTEM + "\\drivers\\" + name)
            else:
                probes.append(SYSTEM + "\\" + name)
            for probe in probes:
                if exists(probe):
                    tree[driver + "\\" + name] = INSTALLED[probe.lower()]
    return tree, None


def main(argv):
    args = argv[1:]
    include = "--include-microsoft" in args
    sources = "--sources" in args
    ticks = {a for a in args if not a.startswith("--")}
    tree, failed = backup(ticks, include)
    for path in sorted(tree, key=str.lower):
        src = tree[path]
        print(path + ("  <- " + src if sources and src else ""))
    if failed is not None:
        print("FAILED: " + failed)
        return 3
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
