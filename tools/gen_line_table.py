#!/usr/bin/env python3
"""Builds the error reporter's line table from the LN(n) markers in the sources.

Each marker names the statement that follows it. Entry n is that statement's
text as it would read on one line: from after the marker to the end of the
source line on which the statement ends, or to the next marker on that line.
A statement ends at its ';' outside brackets, at the '{' that opens a block,
or at a '}' closing the enclosing block. Lines a wrapped statement continues
on are joined with one space, and runs of blanks collapse to one space (two
before a trailing comment), so re-indenting or re-wrapping the sources leaves
the table as it was.

The build fails on a number used twice, one outside 0..685, or a statement
whose end cannot be found: a partial entry would mislead whoever reads the
error message.
"""
import re
import sys
from pathlib import Path

SIZE = 686
MARK = re.compile(r"\bLN\((\d+)\)[ \t]?")
# A statement wrapped further than this has lost its end (or is no statement).
MAX_LINES = 12

CODE, LITERAL, COMMENT = "c", "s", "/"
RAW_PREFIX = re.compile(r"(?:u8|[uUL])?R$")
# Words after which a '{' opens a block rather than a braced initialiser.
BLOCK_WORDS = {"else", "do", "try", "mutable", "noexcept"}


class Refused(Exception):
    def __init__(self, line, what):
        super().__init__(what)
        self.line = line


def classify(text):
    """The kind of every character of text: code, literal (quotes included) or
    comment. Newlines inside block comments count as comment."""
    kinds = [CODE] * len(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == "/" and text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            kinds[i:j] = COMMENT * (j - i)
            i = j
        elif c == "/" and text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            kinds[i:j] = COMMENT * (j - i)
            i = j
        elif c == '"' and RAW_PREFIX.search(text[max(0, i - 3):i]) and not _in_word(text, i):
            open_paren = text.find("(", i)
            delim = text[i + 1:open_paren] if open_paren >= 0 else None
            if delim is None or len(delim) > 16 or any(ch in delim for ch in ' ()\\\t\n"'):
                j = n
            else:
                j = text.find(")" + delim + '"', open_paren)
                j = n if j < 0 else j + len(delim) + 2
            kinds[i:j] = LITERAL * (j - i)
            i = j
        elif c in "\"'":
            if c == "'" and _digit_separator(text, i):
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            kinds[i:j] = LITERAL * (j - i)
            i = j
        else:
            i += 1
    return "".join(kinds)


def _in_word(text, i):
    """Whether the raw-string prefix before text[i] is the tail of a longer
    identifier (as in fooR"x"), which makes it no prefix."""
    m = re.search(r"[A-Za-z0-9_]*$", text[max(0, i - 64):i])
    return not RAW_PREFIX.fullmatch(m.group(0))


def _digit_separator(text, i):
    m = re.search(r"[A-Za-z0-9_'.]*$", text[max(0, i - 64):i])
    return bool(m.group(0)) and m.group(0)[0].isdigit()


def normalise(stmt):
    """Collapses each run of blanks outside literals to one space. A comment
    set off by two or more blanks keeps two, as the formatter sets it (and
    aligned comments go back to two); one blank stays one. The comment's own
    text is left alone."""
    kinds = classify(stmt)
    out = []
    i, n = 0, len(stmt)
    while i < n:
        if kinds[i] == COMMENT and stmt.startswith("//", i):
            out.append(stmt[i:])
            break
        if kinds[i] == CODE and stmt[i] in " \t":
            j = i
            while j < n and kinds[j] == CODE and stmt[j] in " \t":
                j += 1
            if j < n and out:
                before_comment = stmt.startswith("//", j) and kinds[j] == COMMENT
                out.append("  " if before_comment and j - i > 1 else " ")
            i = j
            continue
        out.append(stmt[i])
        i += 1
    return "".join(out).rstrip()


class Source:
    def __init__(self, path, text):
        self.path = path
        self.lines = text.split("\n")
        kinds = classify(text)
        self.kinds = []
        at = 0
        for line in self.lines:
            self.kinds.append(kinds[at:at + len(line)])
            at += len(line) + 1

    def marks(self, index):
        """The markers of line index that are code: not in a comment, a literal
        or the macro's own #define."""
        line, kinds = self.lines[index], self.kinds[index]
        if line.lstrip().startswith("#"):
            return []
        return [m for m in MARK.finditer(line) if kinds[m.start()] == CODE]

    def statement(self, index, start, stop):
        """The text of the statement that begins at column start of line index;
        stop is where the line's next marker begins (or the line's length)."""
        last = self.statement_end(index, start, stop)
        if last == index:
            return self.lines[index][start:stop].rstrip()
        pieces = [self.code_of(index, start, len(self.lines[index]))]
        for k in range(index + 1, last):
            pieces.append(self.code_of(k, 0, len(self.lines[k])))
        marks = self.marks(last)
        end = marks[0].start() if marks else len(self.lines[last])
        pieces.append(self.lines[last][:end].strip())
        text = ""
        for piece in filter(None, pieces):
            # A break after an opening bracket (or before a closing one) is
            # where no one writing the statement on one line puts a blank.
            glue = "" if not text or text[-1] in "([" or piece[0] in ")]" else " "
            text += glue + piece
        return text

    def code_of(self, index, start, end):
        """The part of a line a wrapped statement passes through, without its
        // comment, which would swallow the rest once the lines are joined."""
        line, kinds = self.lines[index], self.kinds[index]
        cut = end
        for i in range(start, end):
            if kinds[i] == COMMENT and line.startswith("//", i):
                cut = i
                break
        return line[start:cut].strip()

    def statement_end(self, index, start, stop):
        """The index of the line on which the statement that begins at column
        start of line index ends; stop is where that line's next marker begins."""
        stack = []
        seen_code = False  # anything but a leading '}' so far
        prev = ""  # the last code token
        k, col = index, start
        while True:
            line, kinds = self.lines[k], self.kinds[k]
            end = stop if k == index else len(line)
            if k > index:
                marks = self.marks(k)
                if marks:
                    end = marks[0].start()
            i = col
            while i < end:
                c, kind = line[i], kinds[i]
                if kind != CODE or c in " \t":
                    if kind == LITERAL:
                        prev, seen_code = "literal", True
                    i += 1
                    continue
                if c.isalnum() or c == "_":
                    j = i + 1
                    while j < len(line) and (line[j].isalnum() or line[j] == "_"):
                        j += 1
                    prev, seen_code, i = line[i:j], True, j
                    continue
                if c in "([":
                    stack.append(c)
                elif c in ")]":
                    if not stack or stack.pop() != "(["[")]".index(c)]:
                        raise Refused(k, f"an unmatched '{c}' in a numbered statement")
                elif c == "{":
                    # A block's '{' ends the statement (a lambda's too, inside a
                    # call); a braced initialiser's is part of it.
                    if not seen_code or prev in (")", "]") or prev in BLOCK_WORDS:
                        return k
                    stack.append(c)
                elif c == "}":
                    if stack and stack[-1] == "{":
                        stack.pop()
                    elif stack:
                        raise Refused(k, "an unmatched '}' in a numbered statement")
                    elif seen_code:
                        return k  # the enclosing block closes after the statement
                    else:
                        # A leading '}' ends the block before, as in '} else {'.
                        prev = c
                        i += 1
                        continue
                elif c == ";" and not stack:
                    return k
                prev, seen_code = c, True
                i += 1
            if k == index and end < len(line):
                return k  # as on one line: the next marker starts the next statement
            if prev == "}" and not seen_code:
                return k  # a lone '}' closes its block
            if k > index and end < len(line):
                raise Refused(index, f"the statement has no end before the marker on line {k + 1}")
            if line.endswith("\\"):
                raise Refused(k, "a line continued with a backslash inside a numbered statement")
            if kinds and kinds[-1] != CODE and k + 1 < len(self.lines) and self.kinds[k + 1][:1] == kinds[-1]:
                raise Refused(k, "a literal or comment spanning lines inside a numbered statement")
            k, col = k + 1, 0
            if k - index >= MAX_LINES:
                raise Refused(index, f"the statement has no end within {MAX_LINES} lines")
            if k >= len(self.lines):
                raise Refused(index, "the statement has no end before the end of the file")
            if self.lines[k].lstrip().startswith("#"):
                raise Refused(k, "a preprocessor line inside a numbered statement")


def scan(paths):
    table = {}
    errors = []
    for path in paths:
        source = Source(path, Path(path).read_text(encoding="latin-1"))
        for index in range(len(source.lines)):
            marks = source.marks(index)
            for i, m in enumerate(marks):
                n = int(m.group(1))
                where = f"{path}:{index + 1}"
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
                stop = marks[i + 1].start() if i + 1 < len(marks) else len(source.lines[index])
                try:
                    stmt = source.statement(index, m.end(), stop)
                except Refused as e:
                    errors.append(f"{path}:{e.line + 1}: line number {n}: {e}")
                    continue
                stmt = normalise(stmt)
                if not stmt:
                    errors.append(f"{where}: line number {n} marks no statement")
                    continue
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
