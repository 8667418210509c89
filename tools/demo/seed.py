#!/usr/bin/env python3
"""Writes the demo population: `seed.py reg OUT.reg [--agreed]` writes the REGEDIT4
file to import, `seed.py files DRIVE_C` writes the INF, catalog and installed files
into a prefix's drive_c. Both give the same result however often they run."""
import os
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, str(Path(__file__).resolve().parent))
import population as pop  # noqa: E402

HERE = Path(__file__).resolve().parent
HKLM = "HKEY_LOCAL_MACHINE"


def reg_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def reg_value(name, value):
    left = "@" if name == "" else reg_string(name)
    if isinstance(value, int):
        return "%s=dword:%08x" % (left, value & 0xFFFFFFFF)
    return "%s=%s" % (left, reg_string(value))


def write_reg(out, agreed):
    lines = ["REGEDIT4", ""]
    base = HKLM + "\\" + pop.CLASS_KEY
    # Our class keys only: dropping them first makes a re-run give the same keys.
    for guid in pop.CLASSES:
        lines += ["[-%s\\%s]" % (base, guid), ""]
    for guid, (default, cls) in pop.CLASSES.items():
        lines.append("[%s\\%s]" % (base, guid))
        if default is not None:
            lines.append(reg_value("", default))
        lines += [reg_value("Class", cls), ""]
    for guid, sub, values in pop.INSTANCES:
        lines.append("[%s\\%s\\%s]" % (base, guid, sub))
        lines += [reg_value(k, v) for k, v in values.items() if v is not None]
        lines.append("")
    enum = HKLM + "\\" + pop.DEVICE_ENUM
    lines += ["[-%s]" % enum, ""]
    for inst, guid, sub, friendly, desc, present, extensions in pop.DEVICES:
        key = "%s\\%s" % (enum, inst)
        lines += ["[%s]" % key, reg_value("Driver", guid + "\\" + sub), reg_value("DeviceDesc", desc),
                  reg_value("ClassGUID", guid)]
        if friendly:
            lines.append(reg_value("FriendlyName", friendly))
        # DEVPROP_TYPE_BOOLEAN (0x11) and DEVPROP_TYPE_STRING_LIST (0x2012), as Wine stores them.
        lines += ["", "[%s\\%s]" % (key, pop.IS_PRESENT_KEY), "@=hex(ffff0011):%s" % ("ff" if present else "00"), ""]
        if extensions:
            data = "".join(e + "\0" for e in extensions).encode("utf-16-le") + b"\0\0"
            lines += ["[%s\\%s]" % (key, pop.EXTENSION_INFS_KEY),
                      "@=hex(ffff2012):" + ",".join("%02x" % b for b in data), ""]
    # The demo machine is offline: its Internet settings name a proxy on loopback where
    # nothing listens, so the version check fails at once and never looks a host up.
    lines += ["[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]",
              '"ProxyEnable"=dword:00000001', reg_value("ProxyServer", "127.0.0.1:9"), ""]
    if agreed:
        # The first-run agreement, already accepted: the demo starts straight into the list.
        lines += ["[HKEY_CURRENT_USER\\SOFTWARE\\FI]", reg_value("ZorvaneFirstTime", "No"), ""]
    Path(out).write_bytes("\r\n".join(lines).encode("cp1252") + b"\r\n")


def resolve(root, windows_path):
    """The prefix path for a Windows path below C:\\, reusing the prefix's existing folders
    whatever their letter case (Wine looks names up without regard to case, and two
    spellings of one folder would confuse it)."""
    here = Path(root)
    parts = windows_path.split("\\")
    for i, part in enumerate(parts):
        match = None
        if here.is_dir():
            for entry in os.listdir(here):
                if entry.lower() == part.lower():
                    match = entry
                    break
        here = here / (match or part)
        if i < len(parts) - 1:
            here.mkdir(exist_ok=True)
    return here


def write_files(drive_c):
    for inf in sorted((HERE / "inf").glob("*.inf")):
        resolve(drive_c, "windows\\inf\\" + inf.name).write_bytes(inf.read_bytes())
    for path in pop.INSTALLED:
        resolve(drive_c, path).write_bytes(pop.file_content(path))
    for path, data in pop.package_files(HERE / "inf"):
        resolve(drive_c, path).write_bytes(data)


def main(argv):
    if len(argv) >= 3 and argv[1] == "reg":
        write_reg(argv[2], "--agreed" in argv[3:])
        return 0
    if len(argv) == 3 and argv[1] == "files":
        write_files(argv[2])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
