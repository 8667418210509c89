#!/usr/bin/env python3
"""Writes the demo population: `seed.py reg OUT.reg [--agreed]` writes the REGEDIT4
file to import, `seed.py files DRIVE_C` writes the INF, catalog and installed files
into a prefix's drive_c. Both give the same result however often they run, but for the
signed drivers' catalogs and .sys, which tools/make_test_catalogs.py makes afresh each time.
`seed.py offline ROOT x86|AMD64` writes the same population once more as another
Windows that is not running: the files below ROOT\Windows, the registry as its hives
(System32\config\SYSTEM with the population in ControlSet002, which Select\Current
names, and a decoy driver in ControlSet001; SOFTWARE with a CurrentBuild)."""
import os
import subprocess
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, str(Path(__file__).resolve().parent))
import population as pop  # noqa: E402

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
import hive_writer  # noqa: E402

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


def generated_files():
    """The signed drivers' files as tools/make_test_catalogs.py makes them, with new keys:
    Windows path -> bytes."""
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([sys.executable, str(HERE.parent / "make_test_catalogs.py"), out], check=True)
        return {path: (Path(out) / name).read_bytes() for path, name in pop.SIGNED_FILES.items()}


def files_of(drive_c):
    """The signed drivers' files as a seeded machine holds them: Windows path -> bytes."""
    return {path: resolve(drive_c, path).read_bytes() for path in pop.SIGNED_FILES}


def write_files(drive_c, signed=None):
    """signed: the signed drivers' files (Windows path -> bytes); made afresh when not given."""
    signed = signed or generated_files()
    for inf in sorted((HERE / "inf").glob("*.inf")):
        resolve(drive_c, "windows\\inf\\" + inf.name).write_bytes(inf.read_bytes())
    for path in pop.INSTALLED:
        resolve(drive_c, path).write_bytes(signed.get(path) or pop.file_content(path))
    for path, data in pop.package_files(HERE / "inf"):
        resolve(drive_c, path).write_bytes(data)


OFFLINE_BUILD = "19045"
DECOY = "Decoy driver of ControlSet001"


def hive_key(root, path):
    key = root
    for part in path.split("\\"):
        key = key.setdefault("keys", {}).setdefault(part, {})
    return key


def hive_value(name, value):
    return [name, "dword", value] if isinstance(value, int) else [name, "sz", value]


def in_control_set(path, control_set):
    """A key below SYSTEM\\CurrentControlSet as it lies in the hive: below ControlSet00N."""
    head = "SYSTEM\\CurrentControlSet\\"
    assert path.startswith(head), path
    return control_set + "\\" + path[len(head):]


def offline_hives(arch):
    system = {}
    hive_key(system, "Select")["values"] = [["Current", "dword", 2], ["Default", "dword", 2],
                                            ["LastKnownGood", "dword", 1]]
    # What a listing of the wrong control set would show.
    decoy = hive_key(system, in_control_set(pop.CLASS_KEY, "ControlSet001") + "\\" + pop.NET)
    decoy["values"] = [["Class", "sz", "Net"]]
    hive_key(decoy, "0000")["values"] = [["DriverDesc", "sz", DECOY], ["ProviderName", "sz", "Decoy Networks"],
                                        ["InfPath", "sz", "oem3.inf"]]
    classes = in_control_set(pop.CLASS_KEY, "ControlSet002")
    for guid, (default, cls) in pop.CLASSES.items():
        key = hive_key(system, classes + "\\" + guid)
        key["values"] = ([hive_value("", default)] if default is not None else []) + [hive_value("Class", cls)]
    for guid, sub, values in pop.INSTANCES:
        hive_key(system, classes + "\\" + guid + "\\" + sub)["values"] = [
            hive_value(k, v) for k, v in values.items() if v is not None]
    enum = in_control_set(pop.DEVICE_ENUM, "ControlSet002")
    for inst, guid, sub, friendly, desc, present, extensions in pop.DEVICES:
        key = hive_key(system, enum + "\\" + inst)
        key["values"] = [hive_value("Driver", guid + "\\" + sub), hive_value("DeviceDesc", desc),
                         hive_value("ClassGUID", guid)] + ([hive_value("FriendlyName", friendly)] if friendly else [])
        # As Windows keeps device properties: the type DEVPROP_TYPE_STRING_LIST | 0xFFFF0000.
        if extensions:
            data = "".join(e + "\0" for e in extensions).encode("utf-16-le") + b"\0\0"
            hive_key(key, pop.EXTENSION_INFS_KEY)["values"] = [["", 0xFFFF2012, data.hex()]]
    hive_key(system, "ControlSet002\\Control\\Session Manager\\Environment")["values"] = [
        ["PROCESSOR_ARCHITECTURE", "sz", arch]]
    software = {}
    hive_key(software, "Microsoft\\Windows NT\\CurrentVersion")["values"] = [["CurrentBuild", "sz", OFFLINE_BUILD]]
    return {"SYSTEM": system, "SOFTWARE": software}


def write_offline(root, arch, like=None):
    """like: a seeded machine's drive_c whose signed files the copy gets, byte for byte."""
    Path(root).mkdir(parents=True, exist_ok=True)
    write_files(root, files_of(like) if like else None)
    config = resolve(root, "windows\\system32\\config\\SYSTEM").parent
    for name, hive in offline_hives(arch).items():
        (config / name).write_bytes(hive_writer.write_hive(hive))


def main(argv):
    if len(argv) >= 3 and argv[1] == "reg":
        write_reg(argv[2], "--agreed" in argv[3:])
        return 0
    if len(argv) == 4 and argv[1] == "offline" and argv[3] in ("x86", "AMD64"):
        write_offline(argv[2], argv[3])
        return 0
    if len(argv) == 3 and argv[1] == "files":
        write_files(argv[2])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
