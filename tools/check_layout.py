#!/usr/bin/env python3
"""Fails when a source file outside src/platform/win32 includes <windows.h>
or another Win32 SDK header: the logic must build on the host."""
import re
import sys
from pathlib import Path

SDK = re.compile(r'#\s*include\s*[<"](windows|winreg|wininet|shlobj|shellapi|commctrl|winuser|winbase)\.h[>"]', re.I)


def main(root):
    bad = []
    for path in sorted((Path(root) / "src").rglob("*")):
        if path.suffix not in (".h", ".cpp") or "win32" in path.relative_to(root).parts[:3]:
            continue
        for n, line in enumerate(path.read_text(encoding="latin-1").splitlines(), 1):
            if SDK.search(line):
                bad.append(f"{path.relative_to(root)}:{n}: {line.strip()}")
    for b in bad:
        print(b)
    print(f"{len(bad)} SDK includes outside src/platform/win32")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
