#!/usr/bin/env python3
"""Writes a REGEDIT4 image of a device-class key holding many driver instances:
    class_image.py OUT.reg [INSTANCES]   (default 2000)
The instances spread over 40 classes whose GUIDs start with 5a1fbe: a re-import
drops and re-creates exactly those. Every instance has a description and a provider
that is not Microsoft, so each gives a row, and carries the values a real instance
key holds beside the ones the list reads."""
import sys

CLASS_KEY = r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Class"
CLASSES = 40


def guid(i):
    return "{5a1fbe%02x-7c3e-4b1a-9d2f-0e5b8c6a%04x}" % (i, i)


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    count = int(argv[2]) if len(argv) > 2 else 2000
    lines = ["REGEDIT4", ""]
    for c in range(CLASSES):
        lines += ["[-%s\\%s]" % (CLASS_KEY, guid(c)), ""]
    per_class = [count // CLASSES + (1 if c < count % CLASSES else 0) for c in range(CLASSES)]
    for c in range(CLASSES):
        lines += ["[%s\\%s]" % (CLASS_KEY, guid(c)), '@="Bench class %d devices"' % c, '"Class"="Bench%d"' % c, ""]
        for i in range(per_class[c]):
            lines += [
                "[%s\\%s\\%04d]" % (CLASS_KEY, guid(c), i),
                '"DriverDesc"="Bench device %d of class %d"' % (i, c),
                '"ProviderName"="Bench Vendor %d"' % (i % 7),
                '"InfPath"="oem%d.inf"' % (c * 100 + i % 100),
                '"InfSection"="Bench.Install.%d"' % i,
                '"DriverVersion"="%d.%d.%d.0"' % (c, i % 50, i),
                '"DriverDate"="%d-%d-2025"' % (i % 12 + 1, i % 28 + 1),
                '"MatchingDeviceId"="pci\\\\ven_5a1f&dev_%04x"' % i,
                '"Characteristics"=dword:00000084',
                "",
            ]
    with open(argv[1], "wb") as f:
        f.write("\r\n".join(lines).encode("ascii") + b"\r\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
