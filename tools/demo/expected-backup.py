#!/usr/bin/env python3
"""Lists the backup tree that a backup run on the demo machine must write.

    expected-backup.py [--include-microsoft] [--sources] [--arch x86|amd64] [--report]
                       [--machine DRIVE_C] TICK...

Each TICK is a driver description as the list shows it (it ticks every row with
that text) or an ID, class key name + "\\" + instance key name. The output has one
line per folder (ending in "\\") and file below the chosen folder, starting with
"Zorvane\\"; with --sources each file line also names the file that the run copies
last to it. When a ticked row's INF cannot be copied the run ends there: the lines
so far are printed, then "FAILED: <description>" on its own line, and the exit code is 3.
After its own steps for a driver the run copies the driver's store package, if it has
one, saves the catalog under its CatalogFile name, and without a package adds the files
of the SourceDisksFiles section decorated for the Windows architecture (--arch, x86 by
default). The report, Zorvane\backup-report.csv, is listed with the source "(report)";
--report prints instead the rows it must hold, as CSV. The signed drivers' catalogs and
.sys files are made with new keys whenever a machine is seeded: their sizes and hashes are
read from the seeded machine's drive_c (--machine), which a report of them needs.

Only the demo population is known here. Wine's own class keys hold one driver,
"Wine Adapter", with no provider and no INF name: it is listed with Microsoft drivers
included, and backing it up fails like any row without an INF name.
"""
import hashlib
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
REPORT = "Zorvane\\backup-report.csv"
ARCH = {"x86": ("x86", "NTx86"), "amd64": ("amd64", "NTamd64")}
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


def rows_of_list(include_microsoft):
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


MACHINE = []  # the seeded machine's drive_c, when given
SIGNED = {("C:\\" + p).lower(): p for p in pop.SIGNED_FILES}
SIGNED_INFS = {d[3].lower(): d for d in pop.SIGNED_DRIVERS}


def content(path):
    """The bytes of a file of the demo machine by its C:\\ path."""
    low = path.lower()
    if low in SIGNED:
        if not MACHINE:
            sys.exit("expected-backup: %s is made when the machine is seeded: give --machine DRIVE_C" % path)
        here = Path(MACHINE[0])
        for part in SIGNED[low].split("\\"):
            here = next((e for e in here.iterdir() if e.name.lower() == part.lower()), here / part)
        return here.read_bytes()
    if low.startswith(INF_FOLDER.lower()):
        return INFS[low[len(INF_FOLDER):]].read_bytes()
    for p, data in pop.package_files(HERE / "inf"):
        if ("C:\\" + p).lower() == low:
            return data
    return pop.file_content(INSTALLED[low][3:])


def packages():
    """Store folder (as the run names it) -> {relative name: source path}, and its INF's bytes."""
    out = {}
    for p, data in pop.package_files(HERE / "inf"):
        full = "C:\\" + p
        folder, _, rel = full[len("C:\\" + pop.FILE_REPOSITORY) + 1:].partition("\\")
        entry = out.setdefault(SYSTEM + "\\DriverStore\\FileRepository\\" + folder, [{}, None])
        entry[0][rel] = SYSTEM + "\\DriverStore\\FileRepository\\" + folder + "\\" + rel
        if "\\" not in rel and rel.lower().endswith(".inf"):
            entry[1] = data
    return out


def forecast(inf_path):
    """The report's Signature and After a clean install for a demo driver, as the run tells
    them for a clean 64-bit Windows 11: a signed driver's are its class's; the others'
    catalogs and files hold no signed message, so each of those packages is unsigned and its
    decorations and kernel-mode files decide the rest."""
    if inf_path.name.lower() in SIGNED_INFS:
        return list(SIGNED_INFS[inf_path.name.lower()][7:9])
    lines = {}  # sections add up, as the installer reads them
    current = None
    for raw in inf_path.read_text(encoding="cp1252").splitlines():
        line = raw.split(";", 1)[0].strip()
        if line.startswith("[") and "]" in line:
            current = lines.setdefault(line[1:line.index("]")].strip().lower(), [])
        elif current is not None and line:
            current.append(line)
    archs, decorated = set(), False
    for line in lines.get("manufacturer", []):
        for decoration in [f.strip().lower() for f in line.partition("=")[2].split(",")][1:]:
            decorated = True
            archs.update(a for a in ("x86", "amd64", "arm64", "ia64")
                         if decoration == "nt" + a or decoration.startswith("nt" + a + "."))
    if not decorated and "manufacturer" in lines:
        archs.add("x86")
    if archs and "amd64" not in archs:
        return ["unsigned", "wrong architecture"]
    files = lines.get("sourcedisksfiles", []) + lines.get("sourcedisksfiles.amd64", [])
    kernel = any(f.partition("=")[0].strip().lower().endswith(".sys") for f in files)
    return ["unsigned", "will not load: unsigned" if kernel else "loads"]


def probes_of(name, secs):
    ext = name.split(".")[1].lower() if "." in name else ""
    dest_id = read_key(secs, "DestinationDirs", "DefaultDestDir")
    probes = []
    if dest_id:
        folder = WHERE_IS_DIR.get(dest_id, "")
        if folder:
            probes.append(folder + "\\" + name)
        if folder == PRINTER_FOLDER:
            probes += [folder + "\\%d\\%s" % (k, name) for k in range(1, 20)]
    if ext == "hlp":
        probes.append(WINDOWS + "\\help\\" + name)
    elif ext == "sys":
        probes.append(SYSTEM + "\\drivers\\" + name)
    else:
        probes.append(SYSTEM + "\\" + name)
    return probes


def store_search(name):
    """The catalog store's copies of a name, in listing order; the last one stays."""
    return [CATROOT + s + "\\" + name for s in (pop.CATROOT_MAIN, pop.CATROOT_SECOND) if exists(CATROOT + s + "\\" + name)]


def backup(ticks, include_microsoft, arch="x86"):
    tree = {}  # relative path -> source (None for folders)
    rows = []
    sources_suffix, catalog_suffix = ARCH[arch]
    store = packages()
    for row in rows_of_list(include_microsoft):
        if row["desc"] not in ticks and row["id"] not in ticks:
            continue
        root = "Zorvane"
        class_folder = root + "\\" + row["class"]
        driver = (root + "\\" + row["class"] + "\\" + safe_dir(row["desc"])).strip(" ")
        for folder in (root, class_folder, driver):
            tree.setdefault(folder + "\\", None)
        tree[REPORT] = "(report)"  # written when the run ends, also when it fails
        inf = INFS.get(row["inf"].lower()) if row["inf"] else None
        if inf is None:
            return tree, row["desc"], rows
        mine = {}  # this driver's copies: relative name -> source, in the order made

        def put(rel, source):
            key = next((k for k in mine if k.lower() == rel.lower()), rel)
            mine[key] = source
            tree[driver + "\\" + key] = source

        put(row["inf"], INF_FOLDER + row["inf"])
        secs = sections(inf)
        catalog = read_key(secs, "Version", "CatalogFile")
        if catalog:
            for found in store_search(catalog):
                put(catalog, found)
        plain = [n for n, _ in secs.get("sourcedisksfiles", []) if n]
        decorated = [n for n, _ in secs.get("sourcedisksfiles." + sources_suffix, []) if n]
        for name in plain:
            for probe in probes_of(name, secs):
                if exists(probe):
                    put(name, probe)
        # The steps after the run's own: the package, the catalog under its name, the
        # decorated section.
        published = inf.read_bytes()
        package = next((f for f, (_, data) in store.items() if data == published), None)
        if package:
            for rel, source in store[package][0].items():
                if "\\" in rel:
                    tree.setdefault(driver + "\\" + rel.rsplit("\\", 1)[0] + "\\", None)
                put(rel, source)
        named_catalog = (read_key(secs, "Version", "CatalogFile." + catalog_suffix)
                         or read_key(secs, "Version", "CatalogFile.NT") or catalog)
        if named_catalog and not any(k.lower() == named_catalog.lower() for k in mine):
            if named_catalog.lower() != catalog.lower():
                for found in store_search(named_catalog):
                    put(named_catalog, found)
            own = inf.stem + ".cat"
            if not any(k.lower() == named_catalog.lower() for k in mine) and own.lower() != named_catalog.lower():
                for found in store_search(own):
                    put(named_catalog, found)
        if not package:
            for name in decorated:
                for probe in probes_of(name, secs):
                    if exists(probe):
                        put(name, probe)
        reported = []
        for name in plain + decorated + ([named_catalog] if named_catalog else []):
            if any(k.rsplit("\\", 1)[-1].lower() == name.lower() for k in mine):
                continue
            if name.lower() in [r.lower() for r in reported]:
                continue
            reported.append(name)
        # The device's extension drivers, each in a sub-folder named after its INF: the INF,
        # its package, and its catalog from the store where no package holds it.
        for ext in extensions_of(row["id"]):
            ext_inf = INFS.get(ext.lower())
            if ext_inf is None:
                reported.append(ext + "\\" + ext)
                continue
            tree.setdefault(driver + "\\" + ext + "\\", None)
            put(ext + "\\" + ext, INF_FOLDER + ext)
            data = ext_inf.read_bytes()
            ext_package = next((f for f, (_, d) in store.items() if d == data), None)
            if ext_package:
                for rel, source in store[ext_package][0].items():
                    if "\\" in rel:
                        tree.setdefault(driver + "\\" + ext + "\\" + rel.rsplit("\\", 1)[0] + "\\", None)
                    put(ext + "\\" + rel, source)
            ext_secs = sections(ext_inf)
            ext_cat = (read_key(ext_secs, "Version", "CatalogFile." + catalog_suffix)
                       or read_key(ext_secs, "Version", "CatalogFile.NT") or read_key(ext_secs, "Version", "CatalogFile"))
            if ext_cat and not any(k.lower() == (ext + "\\" + ext_cat).lower() for k in mine):
                for name in (ext_cat, ext_inf.stem + ".cat"):
                    if any(k.lower() == (ext + "\\" + ext_cat).lower() for k in mine):
                        break
                    for found in store_search(name):
                        put(ext + "\\" + ext_cat, found)
                if not any(k.lower() == (ext + "\\" + ext_cat).lower() for k in mine):
                    reported.append(ext + "\\" + ext_cat)
        folder = driver[len(root) + 1:]  # the report's Folder column: below the Zorvane folder
        signature = forecast(inf)
        for rel in sorted(mine, key=str.lower):
            data = content(mine[rel])
            rows.append([row["desc"], row["class"], row["inf"], rel, "copied", mine[rel], str(len(data)),
                         hashlib.sha256(data).hexdigest(), "", "", folder, row["id"]] + signature)
        for name in reported:
            rows.append([row["desc"], row["class"], row["inf"], name, "not found", "", "", "", "", "", folder, row["id"]]
                        + signature)
    return tree, None, rows


def extensions_of(driver_id):
    """The extension INFs of the device that uses the driver instance driver_id."""
    for _inst, guid, sub, _friendly, _desc, _present, extensions in pop.DEVICES:
        if (guid + "\\" + sub).lower() == driver_id.lower():
            return extensions
    return []


def csv_field(text):
    """RFC 4180 quoting, and quotes around leading or trailing blanks too, as the run does."""
    if any(c in text for c in ',"\r\n') or text[:1] == " " or text[-1:] == " ":
        return '"' + text.replace('"', '""') + '"'
    return text


def report_text(rows):
    header = ["Driver", "Class", "INF", "File", "Status", "Source", "Size", "SHA-256", "Error", "Error text", "Folder",
              "ID", "Signature", "After a clean install"]
    return "".join(",".join(csv_field(f) for f in r) + "\r\n" for r in [header] + rows)


def main(argv):
    args = argv[1:]
    include = "--include-microsoft" in args
    sources = "--sources" in args
    arch = "x86"
    if "--machine" in args:
        MACHINE.append(args[args.index("--machine") + 1])
        args.remove(MACHINE[0])
    if "--arch" in args:
        arch = args[args.index("--arch") + 1]
        args.remove(arch)
    ticks = {a for a in args if not a.startswith("--")}
    tree, failed, rows = backup(ticks, include, arch)
    if failed is None and REPORT in tree:
        # A backup that ends carries the program that made it and the script that restores it.
        tree["Zorvane\\Zorvane.exe"] = "(program)"
        tree["Zorvane\\Restore drivers.cmd"] = "(script)"
    if "--report" in args:
        if REPORT in tree:  # the run reached a driver
            sys.stdout.buffer.write(report_text(rows).encode("utf-8"))
        return 3 if failed is not None else 0
    for path in sorted(tree, key=str.lower):
        src = tree[path]
        print(path + ("  <- " + src if sources and src else ""))
    if failed is not None:
        print("FAILED: " + failed)
        return 3
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
