#!/usr/bin/env python3
"""The backup benchmark's synthetic machine: 100 third-party drivers with about 300 MB
of installed files.

  backup_machine.py reg OUT.reg      the class keys and instances, as REGEDIT4
  backup_machine.py files DRIVE_C    the INFs, catalogs and installed files
  backup_machine.py list OUT.txt     the distinct files a backup copies, one
                                     "source|target below the backup root" a line

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
CLASSES = [("{5a1fbe%02d-7c3e-4b1a-9d2f-0e5b8c6a1b%02d}" % (i, i), "BenchClass%d" % i) for i in range(5)]
MB = 1 << 20


def driver(i):
    guid, cls = CLASSES[i % len(CLASSES)]
    return {
        "guid": guid, "class": cls, "sub": "%04d" % (i // len(CLASSES)),
        "desc": "Bench Device %03d" % i, "inf": "oem%d.inf" % (200 + i),
        "sys": "bnch%03d.sys" % i, "dll": "bnch%03d.dll" % i, "cat": "bnch%03d.cat" % i,
        # 300 MB in all, 240 MB of it in the .sys files (0.23 to 4.6 MB each).
        "sys_size": (1 + (i * 37) % 20) * MB * 23 // 100 + i * 517,
        "dll_size": (1 + (i * 11) % 10) * MB * 11 // 100 + i * 131,
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


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("reg", "files", "list"):
        sys.exit(__doc__)
    {"reg": write_reg, "files": write_files, "list": write_list}[sys.argv[1]](sys.argv[2])
