#!/usr/bin/env python3
"""Makes a delay-load import library from the toolchain's ordinary one, so that the DLL is
loaded on the first call of one of its functions instead of before the program starts.

  make_delay_lib.py NM DLLTOOL MACHINE IMPORT_LIB DLL_NAME OUT

Every function the import library offers goes into a .def file (decorated stdcall names on
32-bit x86, exported without the decoration) that dlltool turns into the delay library."""
import os
import re
import subprocess
import sys


def main():
    nm, dlltool, machine, import_lib, dll, out = sys.argv[1:]
    x86 = machine == "i386"
    # "__imp_Name" on x86_64, "__imp__Name@N" (stdcall) or "__imp__Name" (cdecl) on x86.
    prefix = "__imp__" if x86 else "__imp_"
    listing = subprocess.run([nm, "-g", import_lib], check=True, capture_output=True, text=True).stdout
    names = sorted({m.group(1) for m in re.finditer(r"^\S* +[A-Z] " + re.escape(prefix) + r"(\S+)$", listing, re.M)})
    if not names:
        sys.exit("%s: no functions found in %s" % (sys.argv[0], import_lib))
    definition = out + ".def"
    with open(definition, "w") as f:
        f.write("LIBRARY %s\nEXPORTS\n" % dll)
        f.writelines("    %s\n" % n for n in names)
    cmd = [dlltool, "-m", machine, "--input-def", definition, "--output-delaylib", out]
    if x86:
        cmd.append("--kill-at")
    os.makedirs(os.path.dirname(out) or ".", exist_ok=True)
    subprocess.run(cmd, check=True)


if __name__ == "__main__":
    main()
