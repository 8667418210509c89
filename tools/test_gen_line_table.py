#!/usr/bin/env python3
"""The line-table generator: statement texts, comments left out, wrapped
statements taken whole, and the build-breaking cases (a number used twice, one
out of range, a statement without an end)."""
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

    rc, table, err = run(['    LN(7) result = Combine(first,\n'
                          '                           second);  // both\n'
                          '    LN(8) ui.MessageBox("a; b",\n'
                          "                  ';',\n"
                          '                  kFlag);\n'
                          '    LN(9) for (long x = 1;\n'
                          '         x <= rows; ++x) {\n'
                          '        LN(10) s = Text(x,  // the row\n'
                          '                        y) +\n'
                          '                   "}";\n'
                          '    LN(11) } else if (Long(a,\n'
                          '                       b)) {\n'
                          '    LN(13) }\n'
                          '    LN(14) std::vector<int> v{1,\n'
                          '                          2};\n'
                          '    LN(15) Guard(env, [&](int& erl) {\n'
                          '    LN(16) if (long_condition &&\n'
                          '               other) { LN(17) x(); }\n'
                          '    LN(18)\n'
                          '        y = f(\n'
                          '            z);\n'
                          '    LN(19) s = "a  b";   // two\n'])
    check(rc == 0, "wrapped statements generate: " + err)
    check('/* 7 */ "result = Combine(first, second);  // both",' in table, "two lines joined, the comment kept")
    check('/* 8 */ "ui.MessageBox(\\"a; b\\", \';\', kFlag);",' in table,
          "three lines; a ; in a string or char literal ends nothing")
    check('/* 9 */ "for (long x = 1; x <= rows; ++x) {",' in table, "a ; inside parentheses ends nothing")
    check('/* 10 */ "s = Text(x, y) + \\"}\\";",' in table, "a comment inside a wrapped statement is left out")
    check('/* 11 */ "} else if (Long(a, b)) {",' in table, "a wrapped block opener ends at its {")
    check('/* 13 */ "}",' in table, "a lone } is its own statement")
    check('/* 14 */ "std::vector<int> v{1, 2};",' in table, "a braced initialiser opens no block")
    check('/* 15 */ "Guard(env, [&](int& erl) {",' in table, "a lambda's { ends the statement")
    check('/* 16 */ "if (long_condition && other) {",' in table and '/* 17 */ "x(); }",' in table,
          "a marker on a continuation line starts the next statement")
    check('/* 18 */ "y = f(z);",' in table, "a statement broken after its marker and after a bracket")
    check('/* 19 */ "s = \\"a  b\\";  // two",' in table, "blanks collapse outside literals, two before a comment")

    for what, sources, needle in [
        ("a statement with no end", ["LN(20) a = b\n"] + ["    + c\n"] * 20, "s0.cpp:1: line number 20: the statement has no end"),
        ("the end of the file", ["LN(21) a = f(b,\n"], "s0.cpp:1: line number 21: the statement has no end"),
        ("the next marker", ["LN(22) a = f(b,\nLN(23) c);\n"], "s0.cpp:1: line number 22"),
        ("a preprocessor line", ["LN(24) a = f(b,\n#ifdef X\n c);\n#endif\n"], "s0.cpp:2: line number 24"),
        ("a mismatched bracket", ["LN(25) a = f(b];\n"], "s0.cpp:1: line number 25: an unmatched"),
    ]:
        rc, table, err = run(sources)
        check(rc != 0 and needle in err and table == "", f"{what} is refused, no table written: {err}")

    rc, _, err = run(["LN(12) a();\n", "LN(12) b();\n"])
    check(rc != 0 and "already used" in err, "a duplicate number fails the build")
    rc, _, err = run(["LN(686) a();\n"])
    check(rc != 0 and "outside" in err, "a number past 685 fails the build")

    print(f"line table generator: {checks - failures} checks passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
