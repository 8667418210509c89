#!/usr/bin/env python3
"""Writes the program's lazily bound imports: for every function the list names, the import
slot the compiler calls through (__imp_Name), a thunk for callers that call the name itself,
and a stub that binds the slot on the first call through the one binder of
platform/win32/system_library.cpp. Both architectures get the same table and the same
binder; only the stubs' few instructions differ, as the calling conventions do.

  make_lazy_imports.py NM ARCH LIST OUT COMPILER

ARCH is i686 or x86_64; the decorated names (stdcall "@N" on i686) come from the
toolchain's import library of each DLL, found with COMPILER -print-file-name.

The table, in .rdata, is what the binder reads and what tools/check_exe.py checks in the
built exe: "ZVLAZY01", the entry count, the common binding code's address (RVA), then per
entry the RVAs of its slot, its DLL's name and its function's name. Entry i's slot holds
the address of stub i until it is bound; stub i loads i and jumps to the common code."""
import re
import subprocess
import sys

MAGIC = "ZVLAZY01"


def exports(nm, lib, x86):
    """Undecorated name -> decorated name, for every function of an import library."""
    prefix = "__imp__" if x86 else "__imp_"
    listing = subprocess.run([nm, "-g", lib], check=True, capture_output=True, text=True).stdout
    found = {}
    for m in re.finditer(r"^\S* +[A-Z] " + re.escape(prefix) + r"(\S+)$", listing, re.M):
        decorated = m.group(1)
        found[re.sub(r"@\d+$", "", decorated) if x86 else decorated] = decorated
    return found


def read_list(path, arch):
    entries = []
    for n, line in enumerate(open(path), 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        if len(words) not in (2, 3) or (len(words) == 3 and words[2] not in ("i686", "x86_64")):
            sys.exit(f"{path}:{n}: expected 'DLL NAME [i686|x86_64]'")
        if len(words) == 2 or words[2] == arch:
            entries.append((words[0].lower(), words[1]))
    return entries


def main():
    nm, arch, list_path, out, compiler = sys.argv[1:]
    x86 = arch == "i686"
    under = "_" if x86 else ""  # C names carry a leading underscore on i686
    entries = read_list(list_path, arch)
    libs = {}
    for dll in sorted({d for d, _ in entries}):
        lib = subprocess.run([compiler, "-print-file-name=lib%s.a" % dll[:-4]], check=True,
                             capture_output=True, text=True).stdout.strip()
        libs[dll] = exports(nm, lib, x86)
    word = ".long" if x86 else ".quad"
    asm = [".section .rdata$zvlazy,\"dr\"", ".balign 4", f".globl {under}zv_lazy_table",
           f"{under}zv_lazy_table:", f".ascii \"{MAGIC}\"", f".long {len(entries)}", ".rva zv_lazy_common"]
    data, text, strings = [".data", ".balign 8"], [".text"], [".section .rdata$zvlazy_names,\"dr\""]
    dll_label = {}
    for dll in libs:
        dll_label[dll] = "zv_lazy_dll_" + re.sub(r"\W", "_", dll)
        strings += [f"{dll_label[dll]}:", f".asciz \"{dll}\""]
    for i, (dll, name) in enumerate(entries):
        decorated = libs[dll].get(name)
        if decorated is None:
            sys.exit(f"{list_path}: {dll} has no function {name} on {arch}")
        slot = f"{'__imp__' if x86 else '__imp_'}{decorated}"
        asm.append(f".rva {slot}, {dll_label[dll]}, zv_lazy_name_{i}")
        strings += [f"zv_lazy_name_{i}:", f".asciz \"{name}\""]
        data += [f".globl {slot}", f"{slot}:", f"{word} zv_lazy_stub_{i}"]
        text += [f".globl {under}{decorated}", f"{under}{decorated}:",
                 f"jmp *{slot}" if x86 else f"jmp *{slot}(%rip)"]
        # Spelled out as bytes so that every stub is the same ten bytes, which the exe check
        # reads: push imm32 (i686) or mov eax, imm32 (x86_64), then jmp rel32.
        text += [f"zv_lazy_stub_{i}:", ".byte 0x68" if x86 else ".byte 0xB8", f".long {i}", ".byte 0xE9",
                 ".long zv_lazy_common - . - 4"]
    if x86:
        # The index is the binder's one argument (cdecl); the caller's arguments stay where
        # they are on the stack for the bound function.
        text += ["zv_lazy_common:", "call _zv_lazy_bind", "addl $4, %esp", "jmp *%eax"]
    else:
        # The caller's register arguments (rcx, rdx, r8, r9, xmm0-3) are kept across the
        # binder's call; the stack is 16-byte aligned at that call, with its shadow space.
        text += ["zv_lazy_common:", "pushq %rcx", "pushq %rdx", "pushq %r8", "pushq %r9", "subq $0x68, %rsp",
                 "movups %xmm0, 0x20(%rsp)", "movups %xmm1, 0x30(%rsp)", "movups %xmm2, 0x40(%rsp)",
                 "movups %xmm3, 0x50(%rsp)", "movl %eax, %ecx", "call zv_lazy_bind",
                 "movups 0x20(%rsp), %xmm0", "movups 0x30(%rsp), %xmm1", "movups 0x40(%rsp), %xmm2",
                 "movups 0x50(%rsp), %xmm3", "addq $0x68, %rsp", "popq %r9", "popq %r8", "popq %rdx",
                 "popq %rcx", "jmp *%rax"]
    body = "\n".join("    " + line if not line.endswith(":") else line for line in asm + strings + data + text)
    with open(out, "w") as f:
        f.write(f"// Written by tools/make_lazy_imports.py from {list_path.rsplit('/', 1)[-1]} for {arch}.\n")
        f.write("asm(R\"zvlazy(\n" + body + "\n)zvlazy\");\n")


if __name__ == "__main__":
    main()
