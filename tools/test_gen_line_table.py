#!/usr/bin/env python3
"""The line-table generator: statement texts, comments left out, and the
build-breaking cases (a number used twice, one out of range)."""
import subprocess
import sys
import tempfile
from pathlib import Path

GEN = Path(__file__).with_name("gen_line_table.py")


def run(sources):
    with tempfile.TemporaryDirectory() as d:
        paths = []
        for i, text in enumerate(sources):
            p = Path(d) / f"s{i}.cpp"
            p.write_text(text, encoding="latin-1")
            paths.append(str(p))
        out = Path(d) / "table.cpp"
        r = subprocess.run([sys.executable, str(GEN), str(out), *paths], capture_output=True, text=True)
        return r.returncode, (out.read_text(encoding="latin-1") if out.exists() else ""), r.stderr


def main():
    failures = 0
    checks = 0

    def check(cond, what):
        nonlocal failures, checks
        checks += 1
        if not cond:
            failures += 1
            print("FAILED: " + what)

    rc, table, err = run(['    LN(5) x = "a\\\\b"; // trailing note\n'
                          '// LN(6) in a comment is no marker\n'
                          '#define LN(n) erl = (n);\n'
                          '    LN(685) if (a) { LN(684) b(); }\n'])
    check(rc == 0, "valid sources generate: " + err)
    check('/* 5 */ "x = \\"a\\\\\\\\b\\"; // trailing note",' in table, "statement text kept with its comment")
    check('/* 6 */ "",' in table, "markers inside comments are ignored")
    check('/* 685 */ "if (a) {",' in table and '/* 684 */ "b(); }",' in table, "two statements on one line")
    check(table.count("/* ") == 686, "686 entries")

    rc, _, err = run(["LN(12) a();\n", "LN(12) b();\n"])
    check(rc != 0 and "already used" in err, "a duplicate number fails the build")
    rc, _, err = run(["LN(686) a();\n"])
    check(rc != 0 and "outside" in err, "a number past 685 fails the build")

    print(f"line table generator: {checks - failures} checks passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
