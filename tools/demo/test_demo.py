#!/usr/bin/env python3
"""Checks the demo population for the cases it exists to show, and the expected-backup
lister against hand-worked runs."""
import importlib.util
import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import population as pop  # noqa: E402

definition = importlib.util.spec_from_file_location("expected_backup", HERE / "expected-backup.py")
eb = importlib.util.module_from_spec(definition)
definition.loader.exec_module(eb)


class Population(unittest.TestCase):
    def drivers(self):
        return [i for i in pop.INSTANCES if i[2].get("DriverDesc")]

    def test_size_and_variety(self):
        drivers = self.drivers()
        self.assertGreaterEqual(len(drivers), 12)
        self.assertGreaterEqual(len({d[0] for d in drivers}), 5)
        providers = [d[2].get("ProviderName") for d in drivers]
        for p in ("Microsoft", "MICROSOFT", "Microsoft Corporation", None):
            self.assertIn(p, providers)
        descs = [d[2]["DriverDesc"] for d in drivers]
        self.assertLess(len(set(descs)), len(descs), "a duplicate description")
        self.assertTrue(any(set(d) & set("\\/*:;?><|") for d in descs))
        self.assertTrue(any("InfPath" not in d[2] for d in drivers))
        self.assertTrue(any(default is None for default, _ in pop.CLASSES.values()))
        self.assertTrue(any(not i[2].get("DriverDesc") for i in pop.INSTANCES), "a subkey that is no driver")
        for guid in pop.CLASSES:
            self.assertTrue(guid.startswith("{5a1f"), guid)

    def test_every_inf_named_exists_and_every_installed_file_is_used(self):
        infs = {p.name.lower() for p in (HERE / "inf").glob("*.inf")}
        named = {d[2]["InfPath"].lower() for d in self.drivers() if "InfPath" in d[2]}
        self.assertEqual(named, infs)
        used = set()
        for inf in (HERE / "inf").glob("*.inf"):
            secs = eb.sections(inf)
            for section in ("sourcedisksfiles", "sourcedisksfiles.x86"):
                used |= {k.lower() for k, _ in secs.get(section, [])}
            used.add(eb.read_key(secs, "Version", "CatalogFile").lower())
        for path in pop.INSTALLED:
            self.assertIn(path.rsplit("\\", 1)[1].lower(), used, path)


class ExpectedBackup(unittest.TestCase):
    def files(self, *ticks, include=False):
        tree, failed = eb.backup(set(ticks), include)
        return {p: s for p, s in tree.items() if s}, failed

    def test_printer_folder_numbered_subfolders_and_help_fallback(self):
        files, failed = self.files("Orrin LaserWrite 4200 PS")
        self.assertIsNone(failed)
        d = "Zorvane\\Printer\\Orrin LaserWrite 4200 PS\\"
        self.assertEqual(files[d + "orrin42.ppd"], "C:\\windows\\system32\\spool\\drivers\\w32x86\\3\\orrin42.ppd")
        self.assertEqual(files[d + "orrin42ui.dll"],
                         "C:\\windows\\system32\\spool\\drivers\\w32x86\\3\\orrin42ui.dll")
        self.assertEqual(files[d + "orrin42.hlp"], "C:\\windows\\help\\orrin42.hlp")
        self.assertEqual(len(files), 5)  # + INF and catalog

    def test_unsafe_characters_and_trailing_blank(self):
        files, _ = self.files("Kestrel Macro Pad|Pro?", "USB 3.0 Hub: Root/Port <A>?")
        self.assertIn("Zorvane\\Keyboard\\Kestrel Macro Pad Pro\\oem12.inf", files)
        self.assertNotIn("Zorvane\\Keyboard\\Kestrel Macro Pad Pro\\kestrelmp.cat", files)  # in no store folder
        self.assertIn("Zorvane\\USB\\USB 3.0 Hub  Root Port  A\\tsxhub.sys", files)

    def test_decorated_sections_and_subdirectory_ids(self):
        files, _ = self.files("Fenlake Gigabit Ethernet 5120", "Brisa HD Audio Demo")
        self.assertNotIn("Zorvane\\Net\\Fenlake Gigabit Ethernet 5120\\fnl5120x.sys", files)
        self.assertIn("Zorvane\\Net\\Fenlake Gigabit Ethernet 5120\\fnl5120.cat", files)
        # "12,Brisa" is no id of the table: only the fallbacks find the files.
        self.assertIn("Zorvane\\MEDIA\\Brisa HD Audio Demo\\brisahd.sys", files)
        self.assertIn("Zorvane\\MEDIA\\Brisa HD Audio Demo\\brisahd.dll", files)

    def test_microsoft_rows_need_the_check_box(self):
        self.assertEqual(self.files("Standard PS/2 Demo Keyboard")[0], {})
        self.assertEqual(self.files("USB Demo Composite Device")[0], {})
        self.assertIn("Zorvane\\Keyboard\\Standard PS 2 Demo Keyboard\\kbddemo.sys",
                      self.files("Standard PS/2 Demo Keyboard", include=True)[0])
        self.assertTrue(self.files("Generic USB Demo Hub")[0])

    def test_missing_inf_name_ends_the_run(self):
        files, failed = self.files("Brisa Legacy Wave Device", "Kestrel Gaming Keyboard K7")
        self.assertEqual(failed, "Brisa Legacy Wave Device")
        self.assertEqual(files, {})
        tree, _ = eb.backup({"Brisa Legacy Wave Device"}, False)
        self.assertIn("Zorvane\\MEDIA\\Brisa Legacy Wave Device\\", tree)

    def test_duplicate_descriptions_share_a_folder(self):
        files, _ = self.files("Quillon Graphics QX 900")
        d = "Zorvane\\Display\\Quillon Graphics QX 900\\"
        for name in ("oem5.inf", "oem6.inf", "qx900um.dll", "qx900old.dll", "qx900km.sys", "qx900.cat"):
            self.assertIn(d + name, files)


if __name__ == "__main__":
    unittest.main()
