#include "backup/backup_run.h"
#include "app/frmMain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "unit/backup/backup_test_support.h"

namespace zv {
namespace {

using namespace testing_backup;
using Strings = std::vector<std::string>;

TEST(BackupRun, NoTickedRowShowsTheDriverMessageAndNothingElse) {
    Machine m;
    m.driver("Card", "Net", "oem1.inf", false);
    m.run();
    ASSERT_EQ(m.p.ui.shown.size(), 1u);
    EXPECT_EQ(m.p.ui.shown[0].text, "Please select at least one driver to backup.");
    EXPECT_EQ(m.p.ui.shown[0].title, "Driver");
    EXPECT_EQ(m.p.ui.shown[0].style, 64u);
    EXPECT_TRUE(m.p.shell.browsed.empty());
    EXPECT_EQ(m.c.bar.maxValue, 100);
    EXPECT_TRUE(m.c.bar.values.empty());
    EXPECT_TRUE(m.c.form.pointers.empty());
    EXPECT_TRUE(m.p.files.log.empty());
}

TEST(BackupRun, CancelledBrowserWritesNothingAndLeavesTheBarAtZero) {
    Machine m;
    m.driver("A", "Net", "a.inf");
    m.driver("B", "Net", "b.inf", false);
    m.driver("C", "Net", "c.inf");
    m.run(std::nullopt);
    EXPECT_EQ(m.titles(), Strings{"Install"});
    EXPECT_EQ(m.p.ui.shown[0].text,
              "Please be aware that some providers require you to use their own driver install package.");
    EXPECT_EQ(m.p.ui.shown[0].style, 64u);
    ASSERT_EQ(m.p.shell.browsed.size(), 1u);
    EXPECT_EQ(m.p.shell.browsed[0].owner, m.c.form.hwnd);
    EXPECT_EQ(m.p.shell.browsed[0].title, "Select the folder where it will be Backup done.");
    EXPECT_EQ(m.p.shell.browsed[0].options, 1u);
    EXPECT_EQ(m.c.bar.maxValue, 2);
    EXPECT_EQ(m.c.bar.values, (std::vector<long>{0}));
    EXPECT_TRUE(m.c.form.pointers.empty());
    EXPECT_TRUE(m.calls("CreateDirectory").empty());
}

TEST(BackupRun, CopiesInfCatalogAndSourcesThenReportsSuccess) {
    Machine m;
    m.driver("Fast Card", "Net", "oem1.inf");
    m.inf("oem1.inf", "fast.cat", "12", {"fast.sys", "fast.dll"});
    m.p.files.addFile(kStore + "\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\fast.cat", "catalog");
    m.p.files.addFile(kSys + "\\drivers\\fast.sys", std::string("MZ\0\x01\xff", 5));
    m.p.files.addFile(kSys + "\\fast.dll", "dll");
    m.run();
    EXPECT_EQ(m.p.files.tree(kRoot),
              (Strings{"backup-report.csv", "Net\\", "Net\\Fast Card\\", "Net\\Fast Card\\fast.cat",
                       "Net\\Fast Card\\fast.dll", "Net\\Fast Card\\fast.sys", "Net\\Fast Card\\oem1.inf",
                       "Restore drivers.cmd", "Zorvane.exe"}));
    EXPECT_EQ(m.file(kRoot + "\\Net\\Fast Card\\fast.sys"), std::string("MZ\0\x01\xff", 5));
    EXPECT_EQ(m.file(kRoot + "\\Net\\Fast Card\\oem1.inf"), m.file(kWin + "\\inf\\oem1.inf"));
    EXPECT_EQ(m.titles(), (Strings{"Install", "Backup"}));
    EXPECT_EQ(m.p.ui.shown[1].text, "Backup successfully created.");
    EXPECT_EQ(m.p.ui.shown[1].style, 64u);
    EXPECT_EQ(m.c.form.pointers, (std::vector<int>{11, 0}));
    EXPECT_EQ(m.c.status.text, "Searching and saving driver files...");
    EXPECT_EQ(m.c.bar.values, (std::vector<long>{0, 1}));
    EXPECT_EQ(m.p.ui.doEventsCalls, 5);
    EXPECT_TRUE(m.p.reports().empty());
}

TEST(BackupRun, BackupRootGetsNoDoubledSeparatorForADriveRoot) {
    for (const auto& [chosen, root] : {std::pair<std::string, std::string>{"D:\\", "D:\\Zorvane"},
                                       {"D:\\Backup", "D:\\Backup\\Zorvane"}}) {
        Machine m;
        m.driver("Card", "Net", "oem1.inf");
        m.inf("oem1.inf", "", "", {});
        m.run(chosen);
        ASSERT_FALSE(m.calls("CreateDirectory").empty()) << chosen;
        EXPECT_EQ(m.calls("CreateDirectory")[0], root);
        EXPECT_TRUE(m.p.files.exists(root + "\\Net\\Card\\oem1.inf")) << chosen;
    }
}

TEST(BackupRun, DriverFolderNamesFromDescriptionAndClass) {
    struct Case {
        std::string description, className, infCopy;
    } cases[] = {
        {"Net Card? ", "Net", "Net\\Net Card\\oem1.inf"},  // SafeDir, then the trailing blanks go
        {"A/B: C", "Net", "Net\\A B  C\\oem1.inf"},
        {"Intel Corp..", "Net..", "Net\\Intel Corp\\oem1.inf"},  // the names Windows gives the folders
        {"", "Net", "Net\\oem1.inf"},    // an empty description: the class folder itself
        {"Card", "", "Card\\oem1.inf"},  // an empty class: directly below the root
        {"..", "Net", "Net\\__\\oem1.inf"},
        {"Card", "..", "__\\Card\\oem1.inf"},
        {"Card", "..\\x", ".. x\\Card\\oem1.inf"},
        {"Card", "a/b", "a b\\Card\\oem1.inf"},
    };
    for (const auto& c : cases) {
        Machine m;
        m.driver(c.description, c.className, "oem1.inf");
        m.inf("oem1.inf", "x.cat", "11", {"x.dll"});
        m.p.files.addFile(kStore + "\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\x.cat", "cat");
        m.p.files.addFile(kSys + "\\x.dll", "dll");
        m.run();
        EXPECT_TRUE(m.p.files.exists(kRoot + "\\" + c.infCopy)) << c.description << "|" << c.className;
        const std::string folder = kRoot + "\\" + c.infCopy.substr(0, c.infCopy.rfind('\\'));
        EXPECT_EQ(m.file(folder + "\\x.cat"), "cat") << c.description << "|" << c.className;
        EXPECT_EQ(m.file(folder + "\\x.dll"), "dll") << c.description << "|" << c.className;
        EXPECT_EQ(m.p.files.tree("D:\\").size(),
                  m.p.files.tree("D:\\Backup").size() + 1u);  // all below Backup
        EXPECT_TRUE(m.p.reports().empty());
    }
}

TEST(BackupRun, TwoDriversWithTheSameFolderShareItAndTheSecondReplaces) {
    Machine m;
    m.driver("Card", "Net", "a.inf");
    m.driver("Card", "Net", "b.inf");
    m.inf("a.inf", "", "10", {"x.dat"});
    m.inf("b.inf", "", "20", {"x.dat"});
    m.p.files.addFile(kWin + "\\x.dat", "from 10");
    m.p.files.addFile(kWin + "\\Fonts\\x.dat", "from 20");
    m.run();
    EXPECT_EQ(m.p.files.tree(kRoot + "\\Net\\Card"), (Strings{"a.inf", "b.inf", "x.dat"}));
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\x.dat"), "from 20");
}

TEST(BackupRun, ExtensionChoosesTheFallbackFolderAndAttributesHideFiles) {
    struct Case {
        std::string name, placedIn;
        Dword attributes;
        bool copied;
    } cases[] = {
        {"x.SYS", kSys + "\\drivers", kFileAttributeArchive, true},
        {"x.sys", kSys, kFileAttributeArchive, false},
        {"A.B.SYS", kSys + "\\drivers", kFileAttributeArchive, false},  // extension "b"
        {"A.B.SYS", kSys, kFileAttributeArchive, true},
        {"nodot", kSys, kFileAttributeArchive, true},
        {"ends.", kSys, kFileAttributeArchive, true},
        {"x.HLP", kWin + "\\help", kFileAttributeArchive, true},
        {"x.hlp", kSys, kFileAttributeArchive, false},
        {"x.dll", kSys, kFileAttributeHidden, false},
        {"x.dll", kSys, kFileAttributeSystem, false},
        {"x.dll", kSys, kFileAttributeReadonly, true},
    };
    for (const auto& c : cases) {
        Machine m;
        m.driver("Card", "Net", "oem1.inf");
        m.inf("oem1.inf", "", "", {c.name});
        m.p.files.addFile(c.placedIn + "\\" + c.name, "data", c.attributes);
        m.run();
        EXPECT_EQ(m.p.files.exists(kRoot + "\\Net\\Card\\" + c.name), c.copied)
            << c.name << " in " << c.placedIn;
    }
}

TEST(BackupRun, IdFolderFirstThenTheFallbackWhichWins) {
    Machine m;
    m.driver("Card", "Net", "oem1.inf");
    m.inf("oem1.inf", "", "12", {"only12.dll", "both.dll"});
    m.p.files.addFile(kSys + "\\Drivers\\only12.dll", "from 12");
    m.p.files.addFile(kSys + "\\Drivers\\both.dll", "from 12");
    m.p.files.addFile(kSys + "\\both.dll", "fallback");
    m.run();
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\only12.dll"), "from 12");
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\both.dll"), "fallback");
    const Strings probes = m.calls("GetFileAttributes");
    auto at = [&](const std::string& p) {
        return std::find(probes.begin(), probes.end(), p) - probes.begin();
    };
    EXPECT_LT(at(kSys + "\\Drivers\\both.dll"), at(kSys + "\\both.dll"));
}

TEST(BackupRun, PrinterDriverFolderProbesSubFoldersOneToNineteen) {
    for (const std::string id : {"66000", "66004"}) {
        Machine m;
        const std::string w32 = kSys + "\\spool\\Drivers\\w32x86";
        m.driver("Printer", "Printer", "printer.inf");
        m.inf("printer.inf", "", id, {"unidrv.dll", "fb.dll"});
        m.p.files.addFile(w32 + "\\unidrv.dll", "top");
        m.p.files.addFile(w32 + "\\0\\unidrv.dll", "zero");
        m.p.files.addFile(w32 + "\\3\\unidrv.dll", "three");
        m.p.files.addFile(w32 + "\\19\\unidrv.dll", "nineteen");
        m.p.files.addFile(w32 + "\\20\\unidrv.dll", "twenty");
        m.p.files.addFile(w32 + "\\4\\fb.dll", "four");
        m.p.files.addFile(kSys + "\\fb.dll", "fallback");
        m.run();
        EXPECT_EQ(m.file(kRoot + "\\Printer\\Printer\\unidrv.dll"), "nineteen") << id;
        EXPECT_EQ(m.file(kRoot + "\\Printer\\Printer\\fb.dll"), "fallback") << id;
        Strings expected{w32 + "\\unidrv.dll"};
        for (int k = 1; k <= 19; ++k) expected.push_back(w32 + "\\" + std::to_string(k) + "\\unidrv.dll");
        expected.push_back(kSys + "\\unidrv.dll");
        Strings probes;
        for (const auto& p : m.calls("GetFileAttributes"))
            if (p.find("unidrv.dll") != std::string::npos) probes.push_back(p);
        EXPECT_EQ(probes, expected) << id;
    }
}

TEST(BackupRun, IdWithASubDirectoryFindsOnlyTheFallback) {
    Machine m;
    m.driver("Card", "Net", "oem1.inf");
    m.inf("oem1.inf", "", "11,drivers", {"a.dll", "b.dll"});
    m.p.files.addFile(kSys + "\\drivers\\a.dll", "not looked at");
    m.p.files.addFile(kSys + "\\b.dll", "fallback");
    m.p.files.addFile("C:\\a.dll", "drive root");
    m.run();
    EXPECT_FALSE(m.p.files.exists(kRoot + "\\Net\\Card\\a.dll"));
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\b.dll"), "fallback");
    for (const auto& p : m.calls("GetFileAttributes")) EXPECT_NE(p, "\\a.dll");
}

TEST(BackupRun, CatalogSearchOverTheStoreSubFolders) {
    Machine m;
    const std::string a = kStore + "\\{127D0A1D-4EF2-11D1-8608-00C04FC295EE}";
    const std::string b = kStore + "\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";
    m.driver("One", "Net", "one.inf");
    m.driver("Two", "Net", "two.inf");
    m.driver("Three", "Net", "three.inf");
    m.driver("Four", "Net", "four.inf");
    m.inf("one.inf", "both.cat", "", {});
    m.inf("two.inf", "nowhere.cat", "", {});
    m.inf("three.inf", "", "", {});
    m.inf("four.inf", "sys.cat", "", {});
    m.p.files.addFile(a + "\\both.cat", "first listed");
    m.p.files.addFile(b + "\\both.cat", "last listed");
    m.p.files.addFile(kStore + "\\{0000HIDDEN}\\sys.cat", "hidden folder");
    m.p.files.setAttributes(kStore + "\\{0000HIDDEN}", kFileAttributeDirectory | kFileAttributeHidden);
    m.p.files.addFile(a + "\\sys.cat", "system file", kFileAttributeSystem);
    m.p.files.addFile(kStore + "\\catdb", "a file, not a folder");
    m.run();
    EXPECT_EQ(m.file(kRoot + "\\Net\\One\\both.cat"), "last listed");
    EXPECT_EQ(m.p.files.tree(kRoot + "\\Net\\Two"), Strings{"two.inf"});
    EXPECT_EQ(m.p.files.tree(kRoot + "\\Net\\Three"), Strings{"three.inf"});
    EXPECT_EQ(m.file(kRoot + "\\Net\\Four\\sys.cat"), "system file");
    // The run writes nothing into the store: it is listed once, however many drivers
    // search it (and a name found nowhere is searched once more as the published INF's).
    const Strings listings = m.calls("FindFiles");
    EXPECT_EQ(std::count(listings.begin(), listings.end(), kStore + "\\*"), 1);
    EXPECT_EQ(m.calls("FindFiles")[0], kStore + "\\*");
    EXPECT_TRUE(m.p.reports().empty());
}

// The numbered steps see the names that fit their section buffer; the rest are looked
// for after them, and nothing is copied twice.
TEST(BackupRun, SourceSectionLongerThanTheBufferIsCopiedWhole) {
    Machine m;
    m.driver("Card", "Net", "oem1.inf");
    std::vector<std::string> names;
    char name[16];
    for (int i = 1; i <= 400; ++i) {
        std::snprintf(name, sizeof name, "f%04d.dll", i);
        names.push_back(name);
        m.p.files.addFile(kSys + "\\" + name, name);
    }
    m.inf("oem1.inf", "", "", names);  // "f0001.dll=1,," and its NUL: 14 bytes an entry
    m.run();
    EXPECT_EQ(m.p.files.tree(kRoot + "\\Net\\Card").size(), 401u);
    EXPECT_EQ(m.result.drivers.at(0).count(FileOutcome::NotFound), 0);
    // 365 entries take 5110 bytes; the 366th is cut after 8 characters of its entry, so the
    // steps copy 365 files and the INF, and the 366th comes after them.
    const Strings copies = m.calls("CopyFile");
    ASSERT_EQ(copies.size(), 402u);  // and the program itself
    EXPECT_NE(copies[365].find("f0365.dll"), std::string::npos) << copies[365];
    EXPECT_NE(copies[366].find("f0366.dll"), std::string::npos) << copies[366];
}

TEST(BackupRun, MissingInfOfTheThirdDriverEndsTheRunAtLine247) {
    Machine m;
    for (const char* n : {"a", "b", "c", "d", "e"}) {
        m.driver(std::string("Card ") + n, "Net", std::string(n) + ".inf");
        if (std::string(n) != "c") m.inf(std::string(n) + ".inf", "", "11", {std::string(n) + ".dll"});
        m.p.files.addFile(kSys + "\\" + n + ".dll", n);
    }
    m.run();
    ASSERT_EQ(m.p.reports().size(), 1u);
    EXPECT_NE(m.p.reports()[0].text.find("Error Number: 53.\r\nError Description: File not found.\r\n"
                                         "Error Line: 247."),
              std::string::npos);
    EXPECT_EQ(m.titles(), (Strings{"Install", "Error"}));
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card a\\a.dll"), "a");
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card b\\b.dll"), "b");
    EXPECT_EQ(m.p.files.tree(kRoot + "\\Net\\Card c"), Strings{});
    EXPECT_TRUE(m.p.files.isFolder(kRoot + "\\Net\\Card c"));
    EXPECT_FALSE(m.p.files.exists(kRoot + "\\Net\\Card d"));
    EXPECT_EQ(m.c.form.pointers, (std::vector<int>{11, 0}));
    EXPECT_EQ(m.c.bar.values, (std::vector<long>{0, 1, 2}));
    EXPECT_EQ(m.c.status.text, "Searching and saving driver files...");
}

TEST(BackupRun, FailuresReportTheLineOfTheFailingStatement) {
    struct Case {
        std::string call, path;
        Dword error;
        int line;
        Long number;
    } cases[] = {
        {"CreateDirectory", kRoot, 5, 242, 75},
        {"CreateDirectory", kRoot + "\\Net", 3, 244, 76},
        {"CreateDirectory", kRoot + "\\Net\\Card", 123, 246, 52},
        {"CopyFile", kRoot + "\\Net\\Card\\x.cat", 5, 262, 75},
        {"CopyFile", kWin + "\\Fonts\\x.dll", 5, 275, 75},
        {"CopyFile", kSys + "\\x.dll", 112, 285, 61},
        {"CopyFile", kRoot + "\\Net\\Card\\x.sys", 32, 283, 70},
        {"CopyFile", kRoot + "\\Net\\Card\\x.hlp", 5, 281, 75},
        {"CopyFile", kSys + "\\spool\\Drivers\\w32x86\\2\\x.dll", 5, 278, 75},
    };
    for (const auto& c : cases) {
        Machine m;
        const bool printer = c.line == 278;
        m.driver("Card", "Net", "oem1.inf");
        m.inf("oem1.inf", "x.cat", printer ? "66000" : "20", {"x.dll", "x.sys", "x.hlp"});
        m.p.files.addFile(kStore + "\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\x.cat", "cat");
        m.p.files.addFile(kWin + "\\Fonts\\x.dll", "20");
        m.p.files.addFile(kSys + "\\spool\\Drivers\\w32x86\\2\\x.dll", "printer");
        m.p.files.addFile(kSys + "\\x.dll", "dll");
        m.p.files.addFile(kSys + "\\drivers\\x.sys", "sys");
        m.p.files.addFile(kWin + "\\help\\x.hlp", "hlp");
        m.p.files.failOn(c.call, c.path, c.error);
        m.run();
        ASSERT_EQ(m.p.reports().size(), 1u) << c.path;
        const std::string expected = "Error Number: " + std::to_string(c.number) + ".";
        EXPECT_EQ(m.p.reports()[0].text.rfind(expected, 0), 0u) << c.path << ": " << m.p.reports()[0].text;
        EXPECT_NE(m.p.reports()[0].text.find("Error Line: " + std::to_string(c.line) + ".\r\n"),
                  std::string::npos)
            << c.path << ": " << m.p.reports()[0].text;
        EXPECT_EQ(m.c.form.mousePointer(), 0);
        EXPECT_EQ(m.titles().back(), "Error");
    }
}

TEST(BackupRun, WithoutTheWindowsFolderNothingIsReadFromTheDriveRoot) {
    Machine m;
    m.p.system.failFolderCalls = true;
    m.driver("Card", "Net", "oem1.inf");
    m.p.files.addFile("C:\\inf\\oem1.inf", "[Version]\r\n");
    m.run();
    ASSERT_EQ(m.p.reports().size(), 1u);
    EXPECT_EQ(m.p.reports()[0].text.rfind(
                  "Error Number: 76.\r\nError Description: Path not found.\r\nError Line: 234.", 0),
              0u);
    EXPECT_TRUE(m.calls("CopyFile").empty());
    EXPECT_EQ(m.c.form.pointers, (std::vector<int>{11, 0}));
}

TEST(BackupRun, TicksChangedWhileEventsArePendingCountForRowsNotYetReached) {
    Machine m;
    for (const char* n : {"a", "b", "c", "d"}) {
        m.driver(n, "Net", std::string(n) + ".inf", false);
        m.inf(std::string(n) + ".inf", "", "", {});
    }
    m.c.list.rows[0].checked = true;
    m.c.list.rows[3].checked = true;
    m.p.ui.onDoEvents = [&](int call) {
        if (call == 3) {  // after row a's INF copy
            m.c.list.rows[0].checked = false;
            m.c.list.rows[2].checked = true;
            m.c.list.rows[3].checked = false;
        }
    };
    m.run();
    EXPECT_TRUE(m.p.files.exists(kRoot + "\\Net\\a\\a.inf"));
    EXPECT_FALSE(m.p.files.exists(kRoot + "\\Net\\b"));
    EXPECT_TRUE(m.p.files.exists(kRoot + "\\Net\\c\\c.inf"));
    EXPECT_FALSE(m.p.files.exists(kRoot + "\\Net\\d"));
    EXPECT_EQ(m.c.bar.maxValue, 2);
    EXPECT_EQ(m.c.bar.values, (std::vector<long>{0, 1, 1, 2, 2}));
}

TEST(BackupRun, ASecondClickDuringTheRunDoesNotStartAnotherRun) {
    Machine m;
    m.driver("Card", "Net", "oem1.inf");
    m.inf("oem1.inf", "", "", {});
    frmMain form(m.p.env, m.c.controls);  // the Backup button and File, Backup go through the window
    form.setBackupRun(
        [&](Env& env, MainControls& c) { (void)backup::Run(env, c, ShownDrivers(c.lstDrivers, m.records)); });
    m.p.ui.onDoEvents = [&](int call) {
        if (call == 1) {
            form.cmdBackup_Click();
            form.mnuBackup_Click();
        }
    };
    m.p.shell.queueFolder(std::string("D:\\Backup"));
    form.cmdBackup_Click();
    EXPECT_EQ(m.titles(), (Strings{"Install", "Backup"}));
    EXPECT_EQ(m.p.shell.browsed.size(), 1u);
    // Once the run is over the button works again.
    m.run(std::nullopt);
    EXPECT_EQ(m.p.shell.browsed.size(), 2u);
}

TEST(BackupRun, NamesFromInfAndRegistryNeverLeaveTheirFolders) {
    Machine m;
    m.driver("Card", "Net", "oem1.inf");
    m.inf("oem1.inf", "..\\..\\..\\secret.cat", "11",
          {"..\\..\\secret.dat", "sub/secret.dat", "C:secret.dat", "..", "...", "ok.dll"});
    m.p.files.addFile("C:\\secret.dat", "outside");
    m.p.files.addFile("C:\\secret.cat", "outside");
    m.p.files.addFile(kSys + "\\sub\\secret.dat", "below");
    m.p.files.addFile(kSys + "\\ok.dll", "ok");
    m.driver("Evil", "Net", "..\\..\\secret.dat");
    const Strings before = m.p.files.tree("C:\\");
    m.run();
    EXPECT_EQ(m.p.files.tree(kRoot + "\\Net\\Card"), (Strings{"oem1.inf", "ok.dll"}));
    EXPECT_EQ(m.p.files.tree("C:\\"), before);
    EXPECT_EQ(m.p.files.tree("D:\\Backup\\Zorvane\\Net\\Evil"), Strings{});
    ASSERT_EQ(m.p.reports().size(), 1u);  // the bad INF name is refused at its copy
    EXPECT_NE(
        m.p.reports()[0].text.find("Error Number: 52.\r\nError Description: Bad file name or number.\r\n"
                                   "Error Line: 247."),
        std::string::npos);
    for (const auto& p : m.calls("GetFileAttributes")) EXPECT_EQ(p.find("secret"), std::string::npos) << p;
}

TEST(BackupRun, Wow64RedirectionIsOffForEveryFileCall) {
    Machine m;
    m.p.files.emulateWow64(kSys, kWin + "\\SysWOW64");
    m.p.files.addFile(kSys + "\\drivers\\real.sys", "64-bit");
    m.p.files.addFile(kWin + "\\SysWOW64\\drivers\\real.sys", "32-bit");
    m.p.files.addFile(kSys + "\\only64.dll", "64-bit only");
    m.driver("Card", "Net", "oem1.inf");
    m.inf("oem1.inf", "", "12", {"real.sys", "only64.dll"});
    m.run();
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\real.sys"), "64-bit");
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\only64.dll"), "64-bit only");
    EXPECT_EQ(m.p.files.callsWhileRedirected, 0);
    EXPECT_FALSE(m.p.files.redirectionOff());  // restored after every call
    EXPECT_GT(std::count(m.p.files.log.begin(), m.p.files.log.end(), "DisableFsRedirection"), 0);
    EXPECT_EQ(std::count(m.p.files.log.begin(), m.p.files.log.end(), "DisableFsRedirection"),
              std::count(m.p.files.log.begin(), m.p.files.log.end(), "RevertFsRedirection"));
}

TEST(BackupRun, RunningAgainReusesTheFoldersAndReplacesFiles) {
    Machine m;
    m.driver("Card", "Net", "oem1.inf");
    m.inf("oem1.inf", "", "", {"x.dll"});
    m.p.files.addFile(kSys + "\\x.dll", "old");
    m.run();
    m.p.files.addFile(kSys + "\\x.dll", "new");
    m.run();
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\x.dll"), "new");
    EXPECT_TRUE(m.p.reports().empty());
    EXPECT_TRUE(m.calls("DeleteFile").empty());
}

}  // namespace
}  // namespace zv
