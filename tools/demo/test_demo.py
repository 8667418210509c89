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
        named |= {e.lower() for d in pop.DEVICES for e in d[6]}  # extension drivers
        self.assertEqual(named, infs)
        used = set()
        for inf in (HERE / "inf").glob("*.inf"):
            secs = eb.sections(inf)
            for section in ("sourcedisksfiles", "sourcedisksfiles.x86", "sourcedisksfiles.amd64"):
                used |= {k.lower() for k, _ in secs.get(section, [])}
            for key in ("CatalogFile", "CatalogFile.NTx86", "CatalogFile.NTamd64"):
                used.add(eb.read_key(secs, "Version", key).lower())
            used.add(inf.stem.lower() + ".cat")  # a published INF's catalog in the store
        for path in pop.INSTALLED:
            self.assertIn(path.rsplit("\\", 1)[1].lower(), used, path)


class ExpectedBackup(unittest.TestCase):
    def files(self, *ticks, include=False, arch="x86"):
        tree, failed, _ = eb.backup(set(ticks), include, arch)
        return {p: s for p, s in tree.items() if s and p != eb.REPORT}, failed

    def report(self, *ticks, arch="x86"):
        return eb.backup(set(ticks), False, arch)[2]

    def test_printer_folder_numbered_subfolders_and_help_fallback(self):
        files, failed = self.files("Orrin LaserWrite 4200 PS")
        self.assertIsNone(failed)
        d = "Zorvane\\Printer\\Orrin LaserWrite 4200 PS\\"
        # Sources are spelt as the run probes them.
        self.assertEqual(files[d + "orrin42.ppd"], "C:\\windows\\system32\\spool\\Drivers\\w32x86\\3\\orrin42.ppd")
        self.assertEqual(files[d + "orrin42ui.dll"],
                         "C:\\windows\\system32\\spool\\Drivers\\w32x86\\3\\orrin42ui.dll")
        self.assertEqual(files[d + "orrin42.hlp"], "C:\\windows\\help\\orrin42.hlp")
        self.assertEqual(len(files), 5)  # + INF and catalog; no package, no decorated section

    def test_unsafe_characters_and_trailing_blank(self):
        files, _ = self.files("Kestrel Macro Pad|Pro?", "USB 3.0 Hub: Root/Port <A>?")
        self.assertIn("Zorvane\\Keyboard\\Kestrel Macro Pad Pro\\oem12.inf", files)
        self.assertNotIn("Zorvane\\Keyboard\\Kestrel Macro Pad Pro\\kestrelmp.cat", files)  # in no store folder
        self.assertIn("Zorvane\\USB\\USB 3.0 Hub  Root Port  A\\tsxhub.sys", files)

    def test_decorated_sections_and_subdirectory_ids(self):
        files, _ = self.files("Fenlake Gigabit Ethernet 5120", "Brisa HD Audio Demo")
        self.assertIn("Zorvane\\Net\\Fenlake Gigabit Ethernet 5120\\fnl5120.cat", files)
        # Without a package the section of the running Windows adds its files and catalog.
        b = "Zorvane\\MEDIA\\Brisa HD Audio Demo\\"
        self.assertEqual(files[b + "brisahdx.dll"], "C:\\windows\\system32\\brisahdx.dll")
        self.assertIn(b + "brisax86.cat", files)
        self.assertNotIn(b + "brisahd64.sys", files)
        files64, _ = self.files("Brisa HD Audio Demo", arch="amd64")
        self.assertIn(b + "brisahd64.sys", files64)
        self.assertIn(b + "brisax64.cat", files64)
        self.assertNotIn(b + "brisahdx.dll", files64)
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
        tree, _, rows = eb.backup({"Brisa Legacy Wave Device"}, False)
        self.assertIn(eb.REPORT, tree)  # written with what was done: nothing
        self.assertEqual(rows, [])
        self.assertIn("Zorvane\\MEDIA\\Brisa Legacy Wave Device\\", tree)

    def test_duplicate_descriptions_share_a_folder(self):
        files, _ = self.files("Quillon Graphics QX 900")
        d = "Zorvane\\Display\\Quillon Graphics QX 900\\"
        for name in ("oem5.inf", "oem6.inf", "qx900um.dll", "qx900old.dll", "qx900km.sys", "qx900.cat"):
            self.assertIn(d + name, files)


    def test_package_copied_whole_and_replacing_the_installed_copies(self):
        files, _ = self.files("Fenlake Gigabit Ethernet 5120")
        d = "Zorvane\\Net\\Fenlake Gigabit Ethernet 5120\\"
        repo = "C:\\windows\\system32\\DriverStore\\FileRepository\\fnl5120.inf_x86_5a1f3c0e9b7d2a41\\"
        self.assertEqual(files[d + "x86\\fnlsvc.dll"], repo + "x86\\fnlsvc.dll")  # only the package has it
        self.assertEqual(files[d + "fnl5120.sys"], repo + "fnl5120.sys")
        self.assertEqual(files[d + "fnl5120.inf"], repo + "fnl5120.inf")
        self.assertEqual(eb.content(files[d + "fnl5120.inf"]), eb.content(files[d + "oem3.inf"]))
        self.assertNotEqual(eb.content(repo + "fnl5120.sys"), eb.content("C:\\windows\\system32\\drivers\\fnl5120.sys"))

    def test_one_byte_off_is_no_package(self):
        files, _ = self.files("Quillon Graphics QX 900")
        d = "Zorvane\\Display\\Quillon Graphics QX 900\\"
        self.assertIn("5a1f77aa01c2d3e4", files[d + "qx900um.dll"])  # oem5.inf's package
        self.assertNotIn("5a1f77aa01c2d3e3", "".join(files.values()))
        decoy = [data for p, data in pop.package_files(HERE / "inf") if "5a1f77aa01c2d3e3\\qx900.inf" in p][0]
        real = (HERE / "inf" / "oem6.inf").read_bytes()
        self.assertEqual(len(decoy), len(real))
        self.assertEqual(sum(a != b for a, b in zip(decoy, real)), 1)

    def test_catalog_under_its_name_from_the_published_infs_catalog(self):
        files, _ = self.files("Fenlake Wireless AX Demo")
        self.assertTrue(files["Zorvane\\Net\\Fenlake Wireless AX Demo\\fnlwifi.cat"].endswith("\\oem4.cat"))

    def test_report_rows_and_files_not_found(self):
        rows = self.report("Kestrel Macro Pad|Pro?")
        self.assertEqual([r[3:5] for r in rows], [["kestrelmp.sys", "copied"], ["oem12.inf", "copied"],
                                                  ["kestrelmp.cat", "not found"]])
        self.assertEqual(rows[0][6], str(len(pop.file_content("windows\\system32\\drivers\\kestrelmp.sys"))))
        self.assertEqual(eb.csv_field('a,"b"'), '"a,""b"""')
        self.assertEqual(eb.csv_field("Kestrel Macro Pad|Pro?"), "Kestrel Macro Pad|Pro?")


if __name__ == "__main__":
    unittest.main()
