#!/usr/bin/env python3
"""Builds the error reporter's line table from the LN(n) markers in the sources.

Each marker names the statement that follows it on the same source line; that
statement's text, exactly as written, becomes entry n. The build fails on a
number used twice or one outside 0..685.
"""
import re
import sys
from pathlib import Path

SIZE = 686
MARK = re.compile(r"\bLN\((\d+)\)[ \t]?")


def scan(paths):
    table = {}
    errors = []
    for path in paths:
        text = Path(path).read_text(encoding="latin-1")
        for lineno, line in enumerate(text.splitlines(), 1):
            marks = list(MARK.finditer(line))
            for i, m in enumerate(marks):
                before = line[: m.start()]
                if "//" in before or before.lstrip().startswith("*") or "#define" in before:
                    continue
                n = int(m.group(1))
                where = f"{path}:{lineno}"
                if n >= SIZE or n < 0:
                    errors.append(f"{where}: line number {n} is outside 0 to {SIZE - 1}")
                    continue
                if n == 0:
                    errors.append(f"{where}: line number 0 is reserved for 'no line'")
                    continue
                if n in table:
                    errors.append(f"{where}: line number {n} is already used at {table[n][0]}")
                    continue
                # A later marker on the same line starts the next statement.
                end = marks[i + 1].start() if i + 1 < len(marks) else len(line)
                stmt = line[m.end():end].rstrip()
                table[n] = (where, stmt)
    return table, errors


def c_string(s):
    out = []
    for ch in s:
        o = ord(ch)
        if ch == "\\":
            out.append("\\\\")
        elif ch == '"':
            out.append('\\"')
        elif ch == "?":
            out.append("\\?")  # no trigraphs
        elif 32 <= o < 127:
            out.append(ch)
        else:
            out.append("\\%03o" % o)
    return '"' + "".join(out) + '"'


def main(argv):
    if len(argv) < 3:
        print("usage: gen_line_table.py OUTPUT.cpp SOURCE...", file=sys.stderr)
        return 2
    out, sources = argv[1], sorted(argv[2:])
    table, errors = scan(sources)
    if errors:
        for e in errors:
            print("error: " + e, file=sys.stderr)
        return 1
    lines = ["// Generated from the LN(n) markers of the sources; do not edit.",
             '#include "support/line_table.h"', "", "namespace zv {", "",
             "const char* const kLineTable[kLineTableSize] = {"]
    for n in range(SIZE):
        stmt = table.get(n, (None, ""))[1]
        lines.append(f"    /* {n} */ {c_string(stmt)},")
    lines += ["};", "", "}  // namespace zv", ""]
    content = "\n".join(lines)
    p = Path(out)
    if not p.exists() or p.read_text(encoding="latin-1") != content:
        p.write_text(content, encoding="latin-1")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
