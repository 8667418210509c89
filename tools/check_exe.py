#!/usr/bin/env python3
"""Checks a built Zorvane exe: the architecture's PE format, the GUI subsystem, a
manifest resource, a version resource, an icon, and imports of DLLs that Windows
ships only (the exe is static: no C++ run-time or thread library beside it), the window's
DLLs and WinINet imported with a delay (a command that opens no window never loads them);
that it stays under 2 MB; and that the 32-bit one carries the 64-bit build (RCDATA 201).

    check_exe.py EXE i686|x86_64
"""
import struct
import sys

FORMATS = {"i686": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}  # machine, optional-header magic
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
               "oleaut32.dll", "shell32.dll", "user32.dll", "wininet.dll", "setupapi.dll", "newdev.dll",
               "crypt32.dll", "bcrypt.dll", "version.dll", "shlwapi.dll", "uxtheme.dll"}
# Loaded on their first call, never at start.
DELAYED_DLLS = {"comctl32.dll", "gdi32.dll", "user32.dll", "wininet.dll"}
RT_ICON, RT_RCDATA, RT_VERSION, RT_MANIFEST = 3, 10, 16, 24
NATIVE_PROGRAM = 201
SIZE_LIMIT = 2 * 1024 * 1024


def parse(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, nsect, _, _, _, optsize, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    subsystem = struct.unpack_from("<H", data, opt + 68)[0]
    dirs = opt + (96 if magic == 0x10B else 112)
    sections = []
    for i in range(nsect):
        s = opt + optsize + 40 * i
        vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, s + 8)
        sections.append((va, max(vsize, rawsize), raw))

    def off(rva):
        for va, size, raw in sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise ValueError(f"address {rva:#x} in no section")

    def cstr(o):
        return data[o:data.index(b"\0", o)].decode("ascii")

    imports = []
    imp_rva = struct.unpack_from("<I", data, dirs + 8)[0]
    o = off(imp_rva) if imp_rva else None
    while o is not None:
        name_rva = struct.unpack_from("<I", data, o + 12)[0]
        if name_rva == 0:
            break
        imports.append(cstr(off(name_rva)).lower())
        o += 20
    res_rva = struct.unpack_from("<I", data, dirs + 16)[0]
    types = set()
    carried = None
    if res_rva:
        r = off(res_rva)

        def entries(d):
            named, ids = struct.unpack_from("<HH", data, d + 12)
            return [struct.unpack_from("<II", data, d + 16 + 8 * i) for i in range(named + ids)]

        for ident, sub in entries(r):
            if ident & 0x80000000:
                continue
            types.add(ident)
            if ident != RT_RCDATA:
                continue
            for name, lang_dir in entries(r + (sub & 0x7FFFFFFF)):
                if name != NATIVE_PROGRAM:
                    continue
                _, leaf = entries(r + (lang_dir & 0x7FFFFFFF))[0]
                rva, size = struct.unpack_from("<II", data, r + leaf)
                carried = data[off(rva):off(rva) + size]
    return machine, magic, subsystem, imports, types, carried


def main():
    exe, arch = sys.argv[1], sys.argv[2]
    data = open(exe, "rb").read()
    machine, magic, subsystem, imports, types, carried = parse(data)
    problems = []
    if len(data) >= SIZE_LIMIT:
        problems.append(f"{len(data)} bytes: not under 2 MB")
    if arch == "i686":
        if carried is None:
            problems.append("carries no 64-bit program: build the windows64 preset first, then configure "
                            "and build this one again")
        elif parse(carried)[:2] != FORMATS["x86_64"]:
            problems.append("the program it carries is not an x86_64 build")
    # The manifest names the architecture, for itself and for common controls 6.
    manifest_arch = b'processorArchitecture="%s"' % (b"x86" if arch == "i686" else b"amd64")
    if data.count(manifest_arch) < 2 or b"Microsoft.Windows.Common-Controls" not in data:
        problems.append("the manifest does not ask for common controls 6 of this architecture")
    if (machine, magic) != FORMATS[arch]:
        problems.append(f"machine {machine:#x}, optional header {magic:#x}: not the {arch} format")
    if subsystem != 2:
        problems.append(f"subsystem {subsystem}, not the Windows GUI")
    foreign = sorted(set(imports) - SYSTEM_DLLS)
    if foreign:
        problems.append("imports DLLs that Windows does not ship: " + ", ".join(foreign))
    at_start = sorted(set(imports) & DELAYED_DLLS)
    if at_start:
        problems.append("loads at every start what only the window needs: " + ", ".join(at_start))
    for t, what in ((RT_MANIFEST, "manifest"), (RT_VERSION, "version"), (RT_ICON, "icon")):
        if t not in types:
            problems.append(f"no {what} resource")
    for p in problems:
        print(f"{exe}: {p}")
    if not problems:
        also = f", carries {len(carried)} bytes of 64-bit program" if carried else ""
        print(f"{exe}: {arch}, {len(data)} bytes, imports {', '.join(imports)}{also}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
