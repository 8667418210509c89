#!/usr/bin/env python3
"""Checks built Windows exes from their files alone, with no Wine and no 32-bit execution, so
that every machine checks both builds, also one that cannot run the 32-bit program.

For every exe: each import slot its code calls, jumps or loads through is in the address
table of an import descriptor, or is one of the program's lazily bound slots (the table
tools/make_lazy_imports.py writes), whose initial value is its own stub, which hands its
index to the common binding code. A slot that neither fills is a call to address 0.

For Zorvane.exe and Zorvane64.exe (the product) also: the architecture's PE format, the GUI
subsystem, manifest, version and icon resources; that it imports only the DLLs it is meant
to at start (the exe is static: no C++ run-time or thread library beside it) and binds only
the window's DLLs and WinINet lazily; that it stays under 2 MB; and that the 32-bit one
carries the 64-bit build (RCDATA 201).

    check_exe.py [--slots-only] EXE i686|x86_64 [EXE i686|x86_64 ...]
"""
import re
import struct
import sys

FORMATS = {"i686": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}  # machine, optional-header magic
# What the product imports at start, and what it binds on first use.
AT_START = {"advapi32.dll", "kernel32.dll", "msvcrt.dll"}
LAZY = {"comctl32.dll", "gdi32.dll", "user32.dll", "wininet.dll"}
LAZY_MAGIC = b"ZVLAZY01"
RT_ICON, RT_RCDATA, RT_VERSION, RT_MANIFEST = 3, 10, 16, 24
NATIVE_PROGRAM = 201
SIZE_LIMIT = 2 * 1024 * 1024
SCN_CODE, SCN_EXECUTE = 0x20, 0x20000000


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, nsect, _, _, _, optsize, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.wide = self.magic == 0x20B
        self.ptr = 8 if self.wide else 4
        self.image_base = struct.unpack_from("<Q", data, opt + 24)[0] if self.wide else \
            struct.unpack_from("<I", data, opt + 28)[0]
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        self.dirs = opt + (112 if self.wide else 96)
        self.sections = []
        for i in range(nsect):
            s = opt + optsize + 40 * i
            vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, s + 8)
            flags = struct.unpack_from("<I", data, s + 36)[0]
            self.sections.append((va, max(vsize, rawsize), raw, rawsize, flags))

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self.dirs + 8 * index)

    def section_of(self, rva):
        for sec in self.sections:
            if sec[0] <= rva < sec[0] + sec[1]:
                return sec
        return None

    def off(self, rva):
        sec = self.section_of(rva)
        if sec is None or rva - sec[0] >= sec[3]:
            raise ValueError(f"address {rva:#x} has no bytes in the file")
        return rva - sec[0] + sec[2]

    def is_code(self, rva):
        sec = self.section_of(rva)
        return sec is not None and bool(sec[4] & (SCN_CODE | SCN_EXECUTE))

    def cstr(self, rva):
        o = self.off(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("ascii")

    def pointer(self, rva):
        return struct.unpack_from("<Q" if self.wide else "<I", self.data, self.off(rva))[0]

    def imports(self):
        """(DLL name, set of its address-table slots) for every import descriptor."""
        found = []
        rva = self.directory(1)[0]
        while rva:
            name_rva, first_thunk = struct.unpack_from("<II", self.data, self.off(rva) + 12)
            if name_rva == 0:
                break
            slots = set()
            slot = first_thunk
            while self.pointer(slot) != 0:
                slots.add(slot)
                slot += self.ptr
            found.append((self.cstr(name_rva).lower(), slots))
            rva += 20
        return found

    def lazy_table(self):
        """The lazily bound slots: (common code RVA, [(slot, DLL, function)]), or None."""
        at = self.data.find(LAZY_MAGIC)
        if at < 0:
            return None
        count, common = struct.unpack_from("<II", self.data, at + 8)
        entries = []
        for i in range(count):
            slot, dll, name = struct.unpack_from("<III", self.data, at + 16 + 12 * i)
            entries.append((slot, self.cstr(dll).lower(), self.cstr(name)))
        return common, entries

    def code_references(self):
        """Every memory operand of a call, jump or load with an absolute (i686) or RIP-relative
        (x86_64) address in the code, as (instruction RVA, target RVA). The code is scanned
        for the instructions' bytes, not decoded: a stray match names an arbitrary address,
        which the caller only judges where it falls among the import data."""
        refs = []
        if self.wide:
            # call/jmp [rip+d32]; mov r64, [rip+d32] (REX.W 8B, ModRM mod 00 rm 101).
            pattern = re.compile(rb"\xFF[\x15\x25]|[\x48\x4C]\x8B[\x05\x0D\x15\x1D\x25\x2D\x35\x3D]", re.S)
        else:
            # call/jmp [d32]; mov r32, [d32]; mov eax, [d32].
            pattern = re.compile(rb"\xFF[\x15\x25]|\x8B[\x05\x0D\x15\x1D\x25\x2D\x35\x3D]|\xA1", re.S)
        for va, size, raw, rawsize, flags in self.sections:
            if not flags & (SCN_CODE | SCN_EXECUTE):
                continue
            code = self.data[raw:raw + min(size, rawsize)]
            for m in pattern.finditer(code):
                at = m.end()
                if at + 4 > len(code):
                    continue
                rva = va + m.start()
                if self.wide:
                    target = va + at + 4 + struct.unpack_from("<i", code, at)[0]
                else:
                    target = struct.unpack_from("<I", code, at)[0] - self.image_base
                refs.append((rva, target))
        return refs


def stub_problem(pe, index, slot, common):
    """Why slot `index` of the lazy table does not lead to its binding code, or None."""
    initial = pe.pointer(slot) - pe.image_base
    if not pe.is_code(initial):
        return f"holds {pe.pointer(slot):#x}, which is not code"
    o = pe.off(initial)
    opcode = 0xB8 if pe.wide else 0x68  # mov eax, imm32 / push imm32
    op, imm, jmp, rel = struct.unpack_from("<BIBi", pe.data, o)
    if op != opcode or imm != index or jmp != 0xE9:
        return f"holds {pe.pointer(slot):#x}, which is not the stub that binds entry {index}"
    if initial + 10 + rel != common:
        return f"its stub jumps to {initial + 10 + rel:#x}, not to the binding code at {common:#x}"
    return None


def check_slots(pe):
    problems = []
    imports = pe.imports()
    iat = set().union(*(slots for _, slots in imports)) if imports else set()
    lazy = pe.lazy_table()
    lazy_slots = {}
    if lazy:
        common, entries = lazy
        if not pe.is_code(common):
            problems.append(f"the lazy binding code at {common:#x} is not code")
        for i, (slot, dll, name) in enumerate(entries):
            lazy_slots[slot] = (dll, name)
            why = stub_problem(pe, i, slot, common)
            if why:
                problems.append(f"lazy slot of {dll} {name} at {slot:#x}: {why}")
    # The import data lives in the section of the import directory; an address there that
    # the code reads a pointer from must be a filled slot.
    imp_rva = pe.directory(1)[0]
    import_section = pe.section_of(imp_rva) if imp_rva else None
    bad = {}
    for at, target in pe.code_references():
        if target in iat or target in lazy_slots:
            continue
        if import_section and import_section[0] <= target < import_section[0] + import_section[1] \
                and target % pe.ptr == 0:
            # Another linker's lazy binding keeps its slots here: each holds the address of
            # its binding code until it is bound.
            if pe.is_code(pe.pointer(target) - pe.image_base):
                continue
            bad.setdefault(target, at)
    for target, at in sorted(bad.items()):
        problems.append(f"code at {at + pe.image_base:#x} goes through {target + pe.image_base:#x}, "
                        "a slot no import descriptor fills and no lazy binding covers: a call to address 0")
    return problems, imports, lazy


def resources(pe):
    types, carried = set(), None
    res_rva = pe.directory(2)[0]
    if not res_rva:
        return types, carried
    data = pe.data
    r = pe.off(res_rva)

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
            carried = data[pe.off(rva):pe.off(rva) + size]
    return types, carried


def check_product(pe, arch, imports, lazy):
    problems = []
    data = pe.data
    types, carried = resources(pe)
    if len(data) >= SIZE_LIMIT:
        problems.append(f"{len(data)} bytes: not under 2 MB")
    if arch == "i686":
        if carried is None:
            problems.append("carries no 64-bit program: build the windows64 preset first, then configure "
                            "and build this one again")
        else:
            inner = Pe(carried)
            if (inner.machine, inner.magic) != FORMATS["x86_64"]:
                problems.append("the program it carries is not an x86_64 build")
            else:
                problems += ["the program it carries: " + p for p in check_slots(inner)[0]]
    # The manifest names the architecture, for itself and for common controls 6.
    manifest_arch = b'processorArchitecture="%s"' % (b"x86" if arch == "i686" else b"amd64")
    if data.count(manifest_arch) < 2 or b"Microsoft.Windows.Common-Controls" not in data:
        problems.append("the manifest does not ask for common controls 6 of this architecture")
    if pe.subsystem != 2:
        problems.append(f"subsystem {pe.subsystem}, not the Windows GUI")
    names = {dll for dll, _ in imports}
    if names - AT_START:
        problems.append("imports at start what it should not: " + ", ".join(sorted(names - AT_START)))
    bound = {dll for _, dll, _ in lazy[1]} if lazy else set()
    if bound - LAZY:
        problems.append("binds lazily DLLs it should not: " + ", ".join(sorted(bound - LAZY)))
    if not bound:
        problems.append("has no lazily bound imports: the window's DLLs would be missing")
    for t, what in ((RT_MANIFEST, "manifest"), (RT_VERSION, "version"), (RT_ICON, "icon")):
        if t not in types:
            problems.append(f"no {what} resource")
    return problems, carried


def check(exe, arch, product):
    data = open(exe, "rb").read()
    pe = Pe(data)
    if (pe.machine, pe.magic) != FORMATS[arch]:
        return [f"machine {pe.machine:#x}, optional header {pe.magic:#x}: not the {arch} format"], ""
    problems, imports, lazy = check_slots(pe)
    summary = f"{arch}, {len(data)} bytes, imports {', '.join(dll for dll, _ in imports)}"
    if lazy:
        summary += f", binds {len(lazy[1])} functions of {', '.join(sorted({d for _, d, _ in lazy[1]}))} lazily"
    if product:
        more, carried = check_product(pe, arch, imports, lazy)
        problems += more
        if carried:
            summary += f", carries {len(carried)} bytes of 64-bit program"
    return problems, summary


def main():
    args = sys.argv[1:]
    product = True
    if args and args[0] == "--slots-only":
        product = False
        args = args[1:]
    if not args or len(args) % 2:
        sys.exit(__doc__)
    failed = False
    for exe, arch in zip(args[0::2], args[1::2]):
        problems, summary = check(exe, arch, product)
        for p in problems:
            print(f"{exe}: {p}")
        if not problems:
            print(f"{exe}: {summary}")
        failed |= bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
