#!/usr/bin/env python3
"""Fails, listing them, when C++ files under src/ and tests/ are not as the
checked-in .clang-format lays them out.

usage: check_format.py REPO_ROOT
"""
import shutil
import subprocess
import sys
from pathlib import Path

DIRS = ("src", "tests")
SUFFIXES = (".cpp", ".h")


def tracked_files(root):
    try:
        r = subprocess.run(["git", "-C", str(root), "ls-files", "--", *DIRS],
                           capture_output=True, text=True, check=True)
        files = r.stdout.splitlines()
    except (OSError, subprocess.CalledProcessError):
        # Not a checkout (an unpacked copy of the sources): take what is there.
        files = [str(p.relative_to(root)) for d in DIRS for p in (root / d).rglob("*") if p.is_file()]
    return sorted(f for f in files if f.endswith(SUFFIXES) and (root / f).is_file())


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    root = Path(argv[1]).resolve()
    tool = shutil.which("clang-format")
    if not tool:
        print("error: clang-format is not installed (scripts/install-deps.sh installs it)", file=sys.stderr)
        return 1
    unclean = []
    for f in tracked_files(root):
        r = subprocess.run([tool, "--dry-run", "--Werror", f], cwd=root, capture_output=True, text=True)
        if r.returncode != 0:
            unclean.append(f)
    if unclean:
        print(f"{len(unclean)} file(s) not formatted as .clang-format says:")
        for f in unclean:
            print("  " + f)
        return 1
    print("every C++ file under " + " and ".join(DIRS) + " is formatted")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
