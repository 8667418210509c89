#!/usr/bin/env python3
"""Reads the hives the hive writer makes of the unit tests' descriptions back with an
independent reader (hivexml, of Debian's libhivex-bin) and compares every key and value with
the description: the C++ reader's tests stand on files a third party reads the same way."""
import base64
import json
import shutil
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
from pathlib import Path

sys.dont_write_bytecode = True
HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import hive_writer  # noqa: E402

DESCRIPTIONS = HERE.parent / "tests" / "unit" / "hive" / "hives.json"
# Hives written well; the others are damaged on purpose and must be refused by both readers.
WELL_FORMED = ("SYSTEM", "DRIVERS", "UNSYNCED", "NOSET", "OLDFORMAT")
HOSTILE = ("BADSUM", "CYCLE", "RI_IN_RI", "HUGE_VALUE", "TRUNCATED")


def expected_tree(key):
    values = []
    for entry in key.get("values", []):
        name, kind, data = entry[0], entry[1], entry[2]
        if kind in ("sz", "expand_sz"):
            values.append((name, "string" if kind == "sz" else "expand", data))
        elif kind == "multi_sz":
            values.append((name, "string-list", list(data)))
        elif kind == "dword":
            values.append((name, "int32", str(data)))
        else:
            values.append((name, "binary", hive_writer.value_bytes(kind, data)[1]))
    keys = [(n, expected_tree(key["keys"][n])) for n in sorted(key.get("keys", {}), key=lambda n: n.upper())]
    return values, keys


def actual_tree(node):
    values = []
    for v in node.findall("value"):
        name = "" if v.get("default") == "1" else v.get("key")
        kind = v.get("type")
        if kind == "string-list":
            strings = [s.text or "" for s in v.findall("string")]
            while strings and strings[-1] == "":
                strings.pop()
            values.append((name, kind, strings))
        elif kind == "binary":
            values.append((name, kind, base64.b64decode(v.get("value"))))
        else:
            values.append((name, kind, v.get("value")))
    keys = [(n.get("name"), actual_tree(n)) for n in node.findall("node")]
    return values, keys


class HiveWriter(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not shutil.which("hivexml"):
            raise RuntimeError("hivexml is missing: scripts/install-deps.sh installs libhivex-bin")
        cls.descriptions = json.loads(DESCRIPTIONS.read_text(encoding="utf-8"))
        cls.folder = Path(tempfile.mkdtemp(prefix="hives-"))
        hive_writer.main(["hive_writer.py", str(DESCRIPTIONS), str(cls.folder)])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def hivexml(self, name):
        return subprocess.run(["hivexml", str(self.folder / name)], capture_output=True, timeout=60)

    def test_well_formed_hives_read_back_as_described(self):
        for name in WELL_FORMED:
            with self.subTest(hive=name):
                run = self.hivexml(name)
                self.assertEqual(run.returncode, 0, run.stderr.decode(errors="replace"))
                root = ET.fromstring(run.stdout).find("node")
                self.assertEqual(actual_tree(root), expected_tree(self.descriptions[name]))

    def test_damaged_hives_are_refused_by_the_other_reader_too(self):
        for name in HOSTILE:
            with self.subTest(hive=name):
                self.assertNotEqual(self.hivexml(name).returncode, 0)

    def test_big_data_is_split_into_segments_only_from_format_four_on(self):
        new = hive_writer.write_hive({"keys": {"K": {"values": [["V", "binary", "ab*20000"]]}}})
        old = hive_writer.write_hive({"minor": 3, "keys": {"K": {"values": [["V", "binary", "ab*20000"]]}}})
        self.assertIn(b"db\x02\x00", new)
        self.assertNotIn(b"db\x02\x00", old)


if __name__ == "__main__":
    unittest.main()
