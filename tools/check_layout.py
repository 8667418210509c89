#!/usr/bin/env python3
"""Checks the layers of src/: which folder's files may include which folders'
headers, that the table itself has no cycle, and that only the Win32 folders
include the Win32 SDK's headers, and that the folders of code written since the numbered
procedures leave the old run-time's rules alone. Prints every include the table does not allow."""
import re
import sys
from pathlib import Path

# Folder -> the folders its files may include, besides its own. A folder not listed
# here may include nothing: a new folder must take its place in the table.
# app/main.cpp, the composition root, is the one file that sees every layer.
ALLOWED = {
    "platform": set(),                                  # the seam: interfaces and the platform's types
    "support": {"platform"},                            # errors, the line table, shared helpers
    "ui": {"platform"},                                 # the control interfaces the logic writes into
    "net": {"platform", "support"},
    "hive": {"platform"},                               # hive files read as on disk, the seam over them
    "inventory": {"platform", "support", "ui"},
    "format": {"platform", "support"},                  # what backup and restore share: INFs, names, the report
    "backup": {"platform", "support", "ui", "inventory", "format", "signing"},
    "restore": {"platform", "support", "ui", "format", "signing"},
    "signing": {"platform", "support", "format"},        # signature classes, the load forecast, packages read for it
    "about": {"platform", "support"},
    "app": {"platform", "support", "ui", "net", "inventory", "format", "backup", "restore", "about", "signing",
            "hive"},
    "cli": {"platform", "support", "ui", "inventory", "format", "backup", "restore", "app", "hive", "signing"},
    "resources": set(),
    "platform/win32": {"platform", "support"},          # the seam's implementations: nothing above them
    "ui/win32": {"platform", "support", "ui", "platform/win32", "app", "about", "resources"},
    "app/main.cpp": {"platform", "support", "ui", "net", "inventory", "format", "backup", "restore", "about", "app",
                     "cli", "hive", "signing", "platform/win32", "ui/win32", "resources"},
}
# The old run-time's rules (16-bit overflow, Val, its error numbers) are for the modules the
# numbered procedures live in; the folders of code written since do without them.
RUNTIME_RULES = "support/vbrt.h"
WITHOUT_RUNTIME_RULES = {"format", "restore", "cli", "hive", "signing", "ui", "platform", "platform/win32", "ui/win32"}
# Where the SDK's headers may be included: the code that runs only on Windows, and its resources.
SDK_ALLOWED = {"platform/win32", "ui/win32", "app/main.cpp", "resources"}

SDK = re.compile(r'#\s*include\s*[<"](windows|winreg|wininet|shlobj|shellapi|commctrl|winuser|winbase|setupapi|'
                 r'wincrypt|shldisp|objbase|ole2)\.h[>"]', re.I)
INCLUDE = re.compile(r'#\s*include\s*"([^"]+)"')


def node_of(rel):
    """The table entry a source file belongs to."""
    if rel.as_posix() == "app/main.cpp":
        return "app/main.cpp"
    return rel.parent.as_posix()


def cycle_in(graph):
    """A cycle of the graph as a list of nodes, or None."""
    state = {}

    def visit(n, path):
        state[n] = 1
        for m in sorted(graph.get(n, ())):
            if state.get(m) == 1:
                return path[path.index(m):] + [m] if m in path else [n, m]
            if m not in state:
                found = visit(m, path + [m])
                if found:
                    return found
        state[n] = 2
        return None

    for n in sorted(graph):
        if n not in state:
            found = visit(n, [n])
            if found:
                return found
    return None


def check(root):
    src = Path(root) / "src"
    problems = []
    used = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".in", ".rc"):
            continue
        rel = path.relative_to(src)
        node = node_of(rel)
        if node not in ALLOWED:
            problems.append(f"src/{rel}: the folder {node} has no place in the include table")
            continue
        for n, line in enumerate(path.read_text(encoding="latin-1").splitlines(), 1):
            where = f"src/{rel}:{n}"
            if SDK.search(line) and node not in SDK_ALLOWED:
                problems.append(f"{where}: {line.strip()}: only {', '.join(sorted(SDK_ALLOWED))} include SDK headers")
            m = INCLUDE.search(line)
            if not m or "/" not in m.group(1):
                continue
            if m.group(1) == RUNTIME_RULES and node in WITHOUT_RUNTIME_RULES:
                problems.append(f"{where}: {node} may not include the old run-time's rules ({RUNTIME_RULES})")
            target = Path(m.group(1)).parent.as_posix()
            if target == node or (node == "app/main.cpp" and target == "app"):
                continue
            used.setdefault(node, set()).add(target)
            if target not in ALLOWED[node]:
                problems.append(f"{where}: {node} may not include {m.group(1)}")
    loop = cycle_in(ALLOWED)
    if loop:
        problems.append("the include table has a cycle: " + " -> ".join(loop))
    loop = cycle_in(used)
    if loop:
        problems.append("the sources' includes form a cycle: " + " -> ".join(loop))
    return problems, used


def main(root):
    problems, used = check(root)
    for p in problems:
        print(p)
    print(f"{len(problems)} layout problems in {sum(len(v) for v in used.values())} folder dependencies")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
