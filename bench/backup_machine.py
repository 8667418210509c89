#!/usr/bin/env python3
"""The backup benchmark's synthetic machine: by default 100 third-party drivers with
about 300 MB of installed files.

  backup_machine.py [--drivers N] [--mb MB] reg OUT.reg
                                     the class keys and instances, as REGEDIT4
  backup_machine.py [...] files DRIVE_C
                                     the INFs, catalogs and installed files
  backup_machine.py [...] list OUT.txt
                                     the distinct files a backup copies, one
                                     "source|target below the backup root" a line

The .sys and .dll sizes scale with MB / (3 MB x N): 100 drivers and 300 MB are the
machine of before, byte for byte, and 1,000 drivers with 100 MB are many small files
(about 106 MB in all, catalogs and INFs included).
Machines of other N share names: driver i is the same INF, .sys and .dll on each, and
"files" rewrites a file only when its size is not this machine's.

Each driver has an INF in C:\\windows\\inf naming a catalog (in CatRoot), a .sys in
system32\\drivers and a .dll in system32, with DefaultDestDir=12: the run looks for
the .sys in the id's folder (system32\\drivers) and again in the .sys fallback (the
same folder), so it copies that file twice from one source to one target. Every class
GUID starts with 5a1fbe: ours, so re-seeding replaces exactly these keys."""
import random
import sys
from pathlib import Path

CLASS_KEY = r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Class"
CATROOT = r"windows\system32\CatRoot\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}"
DRIVERS = 100
TOTAL_MB = 300
CLASSES = [("{5a1fbe%02d-7c3e-4b1a-9d2f-0e5b8c6a1b%02d}" % (i, i), "BenchClass%d" % i) for i in range(5)]
MB = 1 << 20


def scaled(size):
    """A size of the 100-driver, 300 MB machine on this one: the same at 100 and 300."""
    return size * TOTAL_MB * 100 // (300 * DRIVERS)


def driver(i):
    guid, cls = CLASSES[i % len(CLASSES)]
    return {
        "guid": guid, "class": cls, "sub": "%04d" % (i // len(CLASSES)),
        "desc": "Bench Device %03d" % i, "inf": "oem%d.inf" % (200 + i),
        "sys": "bnch%03d.sys" % i, "dll": "bnch%03d.dll" % i, "cat": "bnch%03d.cat" % i,
        # At 100 drivers: 300 MB in all, 240 MB of it in the .sys files (0.23 to 4.6 MB each).
        "sys_size": scaled((1 + (i * 37) % 20) * MB * 23 // 100 + i % 100 * 517),
        "dll_size": scaled((1 + (i * 11) % 10) * MB * 11 // 100 + i % 100 * 131),
    }


def inf_text(d):
    return ("[Version]\r\nSignature=\"$WINDOWS NT$\"\r\nClass=%s\r\nProvider=%%Vendor%%\r\n"
            "CatalogFile=%s\r\nDriverVer=03/14/2025,1.0.0.0\r\n\r\n"
            "[DestinationDirs]\r\nDefaultDestDir=12\r\n\r\n"
            "[SourceDisksNames]\r\n1=%%Disk%%\r\n\r\n"
            "[SourceDisksFiles]\r\n%s=1\r\n%s=1\r\n\r\n"
            "[Strings]\r\nVendor=\"Bench Vendor\"\r\nDisk=\"Bench Disk\"\r\n"
            % (d["class"], d["cat"], d["sys"], d["dll"])).encode()


def installed(d):
    """(path below C:\\, size) of every file the driver brings besides its INF."""
    return [(CATROOT + "\\" + d["cat"], 4096 + len(d["cat"])),
            ("windows\\system32\\drivers\\" + d["sys"], d["sys_size"]),
            ("windows\\system32\\" + d["dll"], d["dll_size"])]


def write_reg(out):
    lines = ["REGEDIT4", ""]
    for guid, _ in CLASSES:
        lines += ["[-%s\\%s]" % (CLASS_KEY, guid), ""]
    for guid, cls in CLASSES:
        lines += ["[%s\\%s]" % (CLASS_KEY, guid), '@="Bench %s"' % cls, '"Class"="%s"' % cls, ""]
    for i in range(DRIVERS):
        d = driver(i)
        lines += ["[%s\\%s\\%s]" % (CLASS_KEY, d["guid"], d["sub"]), '"DriverDesc"="%s"' % d["desc"],
                  '"ProviderName"="Bench Vendor %d"' % (i % 7), '"InfPath"="%s"' % d["inf"],
                  '"InfSection"="Bench.Install"', ""]
    Path(out).write_bytes("\r\n".join(lines).encode("ascii") + b"\r\n")


def resolve(root, windows_path):
    """The prefix path for a path below C:\\, reusing existing folders whatever their case."""
    here = Path(root)
    parts = windows_path.split("\\")
    for n, part in enumerate(parts):
        match = None
        if here.is_dir():
            match = next((e.name for e in here.iterdir() if e.name.lower() == part.lower()), None)
        here = here / (match or part)
        if n < len(parts) - 1:
            here.mkdir(exist_ok=True)
    return here


def write_files(drive_c):
    for i in range(DRIVERS):
        d = driver(i)
        resolve(drive_c, "windows\\inf\\" + d["inf"]).write_bytes(inf_text(d))
        for path, size in installed(d):
            target = resolve(drive_c, path)
            if not target.exists() or target.stat().st_size != size:
                target.write_bytes(random.Random(path).randbytes(size))


def write_list(out):
    lines = []
    for i in range(DRIVERS):
        d = driver(i)
        folder = d["class"] + "\\" + d["desc"] + "\\"
        lines.append("C:\\windows\\inf\\%s|%s%s" % (d["inf"], folder, d["inf"]))
        for path, _ in installed(d):
            name = path.rsplit("\\", 1)[1]
            lines.append("C:\\%s|%s%s" % (path, folder, name))
    Path(out).write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))


def main(args):
    global DRIVERS, TOTAL_MB
    while len(args) > 2 and args[0] in ("--drivers", "--mb"):
        try:
            value = int(args[1])
        except ValueError:
            sys.exit("%s takes a whole number, not %r" % (args[0], args[1]))
        if value < 1:
            sys.exit("%s takes a number above 0" % args[0])
        if args[0] == "--drivers":
            DRIVERS = value
        else:
            TOTAL_MB = value
        args = args[2:]
    if len(args) != 2 or args[0] not in ("reg", "files", "list"):
        sys.exit(__doc__)
    {"reg": write_reg, "files": write_files, "list": write_list}[args[0]](args[1])


if __name__ == "__main__":
    main(sys.argv[1:])
