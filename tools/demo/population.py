"""The demo machine's invented driver population, shared by the prefix maker and
the expected-backup lister.

Every class GUID below starts with 5a1f: they are ours, so re-seeding can delete
and re-create exactly these keys and leave Wine's own classes alone. Names of
vendors, products and files are invented.
"""

CLASS_KEY = r"SYSTEM\CurrentControlSet\Control\Class"

# The catalog store's sub-folders (below C:\windows\system32\CatRoot).
CATROOT_MAIN = "{F750E6C3-38EE-11D1-85E5-00C04FC295EE}"
CATROOT_SECOND = "{127D0A1D-4EF2-11D1-8608-00C04FC295EE}"

NET = "{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}"
DISPLAY = "{5a1f0002-7c3e-4b1a-9d2f-0e5b8c6a1002}"
USB = "{5a1f0003-7c3e-4b1a-9d2f-0e5b8c6a1003}"
PRINTER = "{5a1f0004-7c3e-4b1a-9d2f-0e5b8c6a1004}"
MEDIA = "{5a1f0005-7c3e-4b1a-9d2f-0e5b8c6a1005}"
KEYBOARD = "{5a1f0006-7c3e-4b1a-9d2f-0e5b8c6a1006}"
EMPTY = "{5a1f0007-7c3e-4b1a-9d2f-0e5b8c6a1007}"
SYSTEM = "{5a1f0008-7c3e-4b1a-9d2f-0e5b8c6a1008}"

# class GUID -> (default value or None, "Class" value)
CLASSES = {
    NET: ("Zorvane Demo Network adapters", "Net"),
    DISPLAY: ("Zorvane Demo Display adapters", "Display"),
    USB: ("Zorvane Demo USB controllers", "USB"),
    PRINTER: ("Zorvane Demo Printers", "Printer"),
    MEDIA: (None, "MEDIA"),  # a class key without a default value
    KEYBOARD: ("Zorvane Demo Keyboards", "Keyboard"),
    EMPTY: ("Zorvane Demo Class without devices", "DemoEmpty"),
    SYSTEM: ("Zorvane Demo System devices", "System"),
}

# Instance keys: (class GUID, subkey, values). A value of None is left out of the key.
# "Properties" carries no DriverDesc: it is no driver and never gives a row.
INSTANCES = [
    (NET, "0000", {"DriverDesc": "Fenlake Gigabit Ethernet 5120", "ProviderName": "Fenlake Networks",
                   "InfPath": "oem3.inf", "InfSection": "FNL5120.ndi", "DriverVersion": "5.120.2.0",
                   "DriverDate": "3-14-2025", "MatchingDeviceId": "pci\\ven_1f9a&dev_5120",
                   "Characteristics": 0x84}),
    (NET, "0001", {"DriverDesc": "Fenlake Wireless AX Demo", "ProviderName": "Fenlake Networks",
                   "InfPath": "oem4.inf", "InfSection": "FNLWIFI.ndi", "DriverVersion": "22.40.0.7",
                   "DriverDate": "1-9-2026", "Characteristics": 0x84}),
    (NET, "0002", {"DriverDesc": "Microsoft Kernel Debug Network Demo Adapter", "ProviderName": "Microsoft",
                   "InfPath": "kdnetdemo.inf", "InfSection": "KdNic", "DriverVersion": "10.0.1.0"}),
    (NET, "Properties", {"Security": "demo, not a driver"}),
    (DISPLAY, "0000", {"DriverDesc": "Quillon Graphics QX 900", "ProviderName": "Quillon Graphics Inc.",
                       "InfPath": "oem5.inf", "InfSection": "QX900_Install", "DriverVersion": "31.0.15.1",
                       "DriverDate": "3-14-2025"}),
    # The same description again, from another INF: two rows, two IDs, one backup folder.
    (DISPLAY, "0001", {"DriverDesc": "Quillon Graphics QX 900", "ProviderName": "Quillon Graphics Inc.",
                       "InfPath": "oem6.inf", "InfSection": "QX900_Install", "DriverVersion": "30.0.9.4",
                       "DriverDate": "3-15-2025"}),
    (DISPLAY, "0002", {"DriverDesc": "Basic Display Demo Adapter", "ProviderName": "MICROSOFT",
                       "InfPath": "dispdemo.inf", "InfSection": "BasicDisplay"}),
    # A virtual display adapter: present, but never one of "this PC's drivers".
    (DISPLAY, "0003", {"DriverDesc": "Quillon Virtual Display Demo", "ProviderName": "Quillon Graphics Inc.",
                       "InfPath": "oem13.inf", "InfSection": "QXVD_Install", "DriverVersion": "2.1.0.0",
                       "DriverDate": "6-2-2025"}),
    (USB, "0000", {"DriverDesc": "USB 3.0 Hub: Root/Port <A>?", "ProviderName": "Tessar Silicon",
                   "InfPath": "oem7.inf", "InfSection": "TSXHUB.Dev", "DriverVersion": "1.2.0.40"}),
    # Only starts with the word Microsoft: listed whether or not Microsoft drivers are shown.
    (USB, "0001", {"DriverDesc": "Generic USB Demo Hub", "ProviderName": "Microsoft Corporation",
                   "InfPath": "usbdemo.inf", "InfSection": "UsbDemoHub.Dev"}),
    # No provider at all: counts as Microsoft's.
    (USB, "0002", {"DriverDesc": "USB Demo Composite Device", "InfPath": "usbcdemo.inf",
                   "InfSection": "Composite.Dev"}),
    (PRINTER, "0000", {"DriverDesc": "Orrin LaserWrite 4200 PS", "ProviderName": "Orrin Imaging",
                       "InfPath": "oem8.inf", "InfSection": "ORRIN4200"}),
    (PRINTER, "0001", {"DriverDesc": "Orrin Colour Profile Pack", "ProviderName": "Orrin Imaging",
                       "InfPath": "oem9.inf", "InfSection": "ORRINICM"}),
    (MEDIA, "0000", {"DriverDesc": "Brisa HD Audio Demo", "ProviderName": "Brisa Audio",
                     "InfPath": "oem10.inf", "InfSection": "BrisaHD"}),
    # No InfPath: listed with an empty "Inf Path" cell; backing it up fails on the INF copy.
    (MEDIA, "0001", {"DriverDesc": "Brisa Legacy Wave Device", "ProviderName": "Brisa Audio",
                     "InfSection": "BrisaWave"}),
    (KEYBOARD, "0000", {"DriverDesc": "Standard PS/2 Demo Keyboard", "ProviderName": "Microsoft",
                        "InfPath": "kbddemo.inf", "InfSection": "PS2Demo"}),
    (KEYBOARD, "0001", {"DriverDesc": "Kestrel Gaming Keyboard K7", "ProviderName": "Kestrel Peripherals",
                        "InfPath": "oem11.inf", "InfSection": "K7"}),
    # Ends in a character folder names cannot hold: the folder loses the trailing blank.
    (KEYBOARD, "0002", {"DriverDesc": "Kestrel Macro Pad|Pro?", "ProviderName": "Kestrel Peripherals",
                        "InfPath": "oem12.inf", "InfSection": "MacroPad"}),
]

# Devices that use some of the drivers, below Enum\ROOT\ZVDEMO of the device tree:
# (instance, class GUID, instance key of its driver, friendly name or None, description,
# present, extension INFs). Wine knows no presence of its own, so each carries the
# IsPresent device property; Wine keeps device properties as keys below the device.
DEVICE_ENUM = r"SYSTEM\CurrentControlSet\Enum\ROOT\ZVDEMO"
DEVICES = [
    # With an extension driver (published as oem14.inf, its package in the store).
    ("0000", NET, "0000", "Ethernet (Fenlake 5120)", "Fenlake Gigabit Ethernet 5120", True, ["oem14.inf"]),
    ("0001", NET, "0001", None, "Fenlake Wireless AX Demo", False, []),  # a removed USB stick
    # Two versions of one driver, each on a present card: only the newer one is "this PC's".
    ("0002", DISPLAY, "0000", None, "Quillon Graphics QX 900", True, []),
    ("0003", DISPLAY, "0001", "Quillon Graphics QX 900 (second card)", "Quillon Graphics QX 900", True, []),
    ("0004", DISPLAY, "0003", None, "Quillon Virtual Display Demo", True, []),
    ("0005", USB, "0000", "Tessar USB 3.0 Hub", "USB 3.0 Hub", True, []),
    ("0006", PRINTER, "0000", "Orrin LaserWrite 4200 PS (office)", "Orrin LaserWrite 4200 PS", True, []),
    ("0007", MEDIA, "0000", None, "Brisa HD Audio Demo", True, []),
    ("0008", KEYBOARD, "0001", None, "Kestrel Gaming Keyboard K7", False, []),
    ("0009", KEYBOARD, "0000", None, "Standard PS/2 Demo Keyboard", True, []),
]

# One kernel-mode driver per signature class, each on a present device of its own: its
# catalog in the catalog store (or, for the last, its .sys) is the file of that class that
# tools/make_test_catalogs.py makes, with keys of its own at every seeding. Every INF is made
# for x86 and amd64, so the forecast for a clean 64-bit Windows 11 is the class's:
# (instance key, description, provider, INF, .sys, catalog in the store or None, the
# generator's file, the signature class, after a clean install), the class and verdict as
# /check and the backup's report name them.
SIGNED_DRIVERS = [
    ("0000", "Tessar Thunderbolt Demo Controller", "Tessar Silicon", "oem15.inf", "tsxtbt.sys", "tsxtbt.cat",
     "whql.cat", "WHQL", "loads"),
    ("0001", "Brisa Sensor Hub Demo", "Brisa Audio", "oem16.inf", "brisahub.sys", "brisahub.cat",
     "attestation.cat", "attestation", "loads"),
    ("0002", "Quillon Storage Demo Controller", "Quillon Graphics Inc.", "qxstor.inf", "qxstor.sys", "qxstor.cat",
     "inbox.cat", "Windows in-box", "not needed: part of Windows"),
    ("0003", "Kestrel Legacy Joystick Demo", "Kestrel Peripherals", "oem17.inf", "kestreljs.sys", "kestreljs.cat",
     "cross-2015-07-28.cat", "cross-signed", "at risk: cross-signed, needs Microsoft's allow list"),
    ("0004", "Orrin Scanner Demo", "Orrin Imaging", "oem18.inf", "orrinscan.sys", "orrinscan.cat",
     "cross-2015-07-29.cat", "cross-signed", "will not load: cross-signed after 2015"),
    ("0005", "Tarnwick Serial Demo Port", "Tarnwick Devices", "oem19.inf", "tserial.sys", "tserial.cat",
     "authenticode.cat", "Authenticode", "will not load: no Microsoft signature or cross-certificate"),
    ("0006", "Tarnwick Test Filter Demo", "Tarnwick Devices", "oem20.inf", "tfilter.sys", "tfilter.cat",
     "testsigned.cat", "self-/test-signed", "will not load: test-signed"),
    ("0007", "Brisa Unsigned Demo Mixer", "Brisa Audio", "oem21.inf", "brisamix.sys", "brisamix.cat",
     "unsigned.cat", "unsigned", "will not load: unsigned"),
    # No catalog: the vendor signed the .sys alone, before the cut-off.
    ("0008", "Fenlake Legacy Modem Demo", "Fenlake Networks", "oem22.inf", "fnlmodem.sys", None,
     "cross-embedded.sys", "cross-signed", "at risk: cross-signed, needs Microsoft's allow list"),
]
INSTANCES += [(SYSTEM, key, {"DriverDesc": desc, "ProviderName": provider, "InfPath": inf, "InfSection": "Install",
                             "DriverVersion": "1.0.0.0", "DriverDate": "3-14-2025"})
              for key, desc, provider, inf, *_ in SIGNED_DRIVERS]
DEVICES += [("%04d" % (10 + i), SYSTEM, d[0], None, d[1], True, []) for i, d in enumerate(SIGNED_DRIVERS)]

# What "Select this PC's drivers" ticks in the list without Microsoft's drivers, by ID.
THIS_PCS_DRIVERS = [NET + "\\0000", DISPLAY + "\\0000", USB + "\\0000", PRINTER + "\\0000", MEDIA + "\\0000"]
THIS_PCS_DRIVERS += [SYSTEM + "\\" + d[0] for d in SIGNED_DRIVERS]

# The device properties' keys, as Wine keeps them below a device's key.
IS_PRESENT_KEY = r"Properties\{540b947e-8b40-45bc-a8a2-6a0b894cbda2}\0005"
EXTENSION_INFS_KEY = r"Properties\{a8b865dd-2e3d-4094-ad97-e593a70c75d6}\0014"

# Installed files, by their path below C:\ (Windows' own spelling; the maker finds the
# prefix's folders whatever their letter case). The INF files themselves come from
# tools/demo/inf. Catalogs are listed here too.
INSTALLED = [
    r"windows\system32\drivers\fnl5120.sys",
    r"windows\system32\fnl5120.dll",
    r"windows\system32\drivers\fnl5120x.sys",  # named only in a decorated section
    r"windows\system32\drivers\fnlwifi.sys",
    r"windows\help\fnlwifi.hlp",
    r"windows\system32\fnlwifi.dll",
    r"windows\system32\drivers\kdnetdemo.sys",
    r"windows\system32\qx900um.dll",
    r"windows\system32\drivers\qx900km.sys",
    r"windows\system32\qx900old.dll",
    r"windows\system32\dispdemo.dll",
    r"windows\system32\qxvdisp.dll",
    r"windows\system32\drivers\tsxhub.sys",
    r"windows\system32\drivers\usbdemohub.sys",
    r"windows\system32\drivers\usbcdemo.sys",
    r"windows\system32\spool\drivers\w32x86\orrin42.ppd",
    r"windows\system32\spool\drivers\w32x86\2\orrin42ui.dll",
    r"windows\system32\spool\drivers\w32x86\3\orrin42ui.dll",
    r"windows\system32\spool\drivers\w32x86\3\orrin42.ppd",
    r"windows\help\orrin42.hlp",
    r"windows\system32\spool\drivers\color\orrin-cmyk.icm",
    r"windows\system32\drivers\brisahd.sys",
    r"windows\system32\brisahd.dll",
    r"windows\system32\brisahdx.dll",  # [SourceDisksFiles.x86] only
    r"windows\system32\drivers\brisahd64.sys",  # [SourceDisksFiles.amd64] only
    r"windows\system32\drivers\kbddemo.sys",
    r"windows\system32\drivers\kestrelk7.sys",
    r"windows\system32\kestrelk7.dat",
    r"windows\system32\drivers\kestrelmp.sys",
    # Catalogs; fnl5120.cat sits in both store folders.
    "windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\fnl5120.cat",
    "windows\\system32\\CatRoot\\" + CATROOT_SECOND + "\\fnl5120.cat",
    # fnlwifi.cat as the store keeps a published driver's catalog: under the published INF's name.
    "windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\oem4.cat",
    "windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\kdnetdemo.cat",
    "windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\qx900.cat",
    "windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\tsxhub.cat",
    "windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\orrin.cat",
    "windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\brisahd.cat",
    "windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\brisax86.cat",  # CatalogFile.NTx86
    "windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\brisax64.cat",  # CatalogFile.NTamd64
]

# The signed drivers' .sys files and catalogs. Those of SIGNED_FILES (Windows path -> the
# generator's file) hold the generator's bytes, not file_content's.
SIGNED_FILES = {}
for _d in SIGNED_DRIVERS:
    _sys = "windows\\system32\\drivers\\" + _d[4]
    INSTALLED.append(_sys)
    if _d[5]:
        INSTALLED.append("windows\\system32\\CatRoot\\" + CATROOT_MAIN + "\\" + _d[5])
        SIGNED_FILES[INSTALLED[-1]] = _d[6]
    else:
        SIGNED_FILES[_sys] = _d[6]

# The driver store of Vista and later: staging copies a driver's whole package into a
# folder of its own, the INF under its original name and byte-identical to the published
# oemNN.inf. (folder, published INF, the INF's name in the package, its other files,
# whether the INF is made one byte off so that it is no copy of the published one).
FILE_REPOSITORY = "windows\\system32\\DriverStore\\FileRepository"
PACKAGES = [
    # A file run from the store (DIRID 13) in a sub-folder, and one of a decorated section.
    ("fnl5120.inf_x86_5a1f3c0e9b7d2a41", "oem3.inf", "fnl5120.inf",
     ["fnl5120.cat", "fnl5120.sys", "fnl5120.dll", "fnl5120x.sys", "x86\\fnlsvc.dll"], False),
    ("qx900.inf_x86_5a1f77aa01c2d3e4", "oem5.inf", "qx900.inf", ["qx900.cat", "qx900um.dll", "qx900km.sys"], False),
    # Of the same size as oem6.inf and a byte off: oem6.inf has no package.
    ("qx900.inf_x86_5a1f77aa01c2d3e3", "oem6.inf", "qx900.inf", ["qx900.cat", "qx900old.dll", "qx900km.sys"], True),
    # The Fenlake adapter's extension driver: only in the store, never installed elsewhere.
    ("fnlfx.inf_x86_5a1f0e0e0e0e0e01", "oem14.inf", "fnlfx.inf", ["fnlfx.cat", "fnlfx.dll"], False),
]


def package_files(inf_folder):
    """(Windows path below C:\\, bytes) of every file of the store's packages; inf_folder
    is where the published INFs' bytes are read from."""
    for folder, published, inf_name, others, off in PACKAGES:
        base = FILE_REPOSITORY + "\\" + folder + "\\"
        inf = (inf_folder / published).read_bytes()
        if off:
            at = inf.index(b"DriverVer=03/14") + len(b"DriverVer=03/1")
            inf = inf[:at] + b"5" + inf[at + 1:]
        yield base + inf_name, inf
        for name in others:
            yield base + name, file_content(base + name)


def file_content(path):
    """Small contents of our own: a text line naming the file, then a few bytes that
    differ per file, so copies can be told apart."""
    name = path.replace("\\", "/")
    if "/catroot/" in name.lower():
        # A catalog reads the same in every store folder, so which copy a backup keeps
        # does not depend on the order in which the folders are listed.
        name = "windows/system32/CatRoot/" + name.rsplit("/", 1)[1]
    body = ("Zorvane demo file: C:/%s\r\nInvented for the demo machine; not a real driver.\r\n" % name).encode()
    seed = sum(name.encode()) & 0xFF
    return body + bytes((seed + i * 37) & 0xFF for i in range(16))
