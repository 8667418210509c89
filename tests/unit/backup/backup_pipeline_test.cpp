// The steps the run adds after its own for each ticked driver: the driver-store package,
// the catalog under its own name, the decorated sections, and the report.
#include "backup/backup_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "fakes/fake_file_data.h"
#include "unit/backup/backup_test_support.h"

namespace zv {
namespace {

using namespace testing_backup;
using Strings = std::vector<std::string>;

const std::string kRepo = kSys + "\\DriverStore\\FileRepository";
const std::string kCatMain = kStore + "\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";

// An INF with the sections these steps read; extra is appended as it stands.
std::string Inf(const std::string& catalog, const std::string& sources, const std::string& extra = "") {
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
    if (!catalog.empty()) text += "CatalogFile=" + catalog + "\r\n";
    text += extra;
    text += "\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n\r\n[SourceDisksFiles]\r\n" + sources;
    return text;
}

// Relative paths of the driver folder's files, without the folder entries.
Strings Files(const Machine& m, const std::string& folder) {
    Strings out;
    for (const std::string& p : m.p.files.tree(folder))
        if (p.back() != '\\') out.push_back(p);
    return out;
}

struct StoreMachine : Machine {
    const std::string card = kRoot + "\\Net\\Card";
    // oem1.inf published from a package "card.inf_x86_1111", with a sub-folder file only
    // the package holds, and a decoy package whose INF differs from it in one byte.
    StoreMachine() {
        const std::string inf = Inf("card.cat", "card.sys=1\r\ncardsvc.dll=1,x86\r\n");
        p.files.addFile(kWin + "\\inf\\oem1.inf", inf);
        std::string decoy = inf;
        decoy[decoy.size() - 3] = 'X';
        p.files.addFile(kRepo + "\\card.inf_x86_0000\\card.inf", decoy);
        p.files.addFile(kRepo + "\\card.inf_x86_0000\\card.sys", "decoy package");
        p.files.addFile(kRepo + "\\card.inf_x86_1111\\card.inf", inf);
        p.files.addFile(kRepo + "\\card.inf_x86_1111\\card.cat", "package catalog");
        p.files.addFile(kRepo + "\\card.inf_x86_1111\\card.sys", "package original");
        p.files.addFile(kRepo + "\\card.inf_x86_1111\\x86\\cardsvc.dll", "run from the store");
        p.files.addFile(kSys + "\\drivers\\card.sys", "installed copy");
        driver("Card", "Net", "oem1.inf");
    }
};

TEST(BackupPipeline, PackageIsCopiedWholeFromTheFolderWhoseInfIsByteIdentical) {
    StoreMachine m;
    m.p.files.addFile(kRepo + "\\other.inf_x86_2222\\other.inf", "another driver");
    m.p.files.addFile(kRepo + "\\readme.txt", "not a package");
    m.run();
    EXPECT_EQ(Files(m, m.card),
              (Strings{"card.cat", "card.inf", "card.sys", "oem1.inf", "x86\\cardsvc.dll"}));
    // The package's original replaces the copy the run took from the installed system.
    EXPECT_EQ(m.file(m.card + "\\card.sys"), "package original");
    EXPECT_EQ(m.file(m.card + "\\x86\\cardsvc.dll"), "run from the store");
    EXPECT_EQ(m.file(m.card + "\\card.inf"), m.file(kWin + "\\inf\\oem1.inf"));
    EXPECT_EQ(m.titles(), (Strings{"Install", "Backup"}));
}

// The device's extension drivers each get a sub-folder named after their INF: the INF, its
// whole package, and no more; one not on the machine is reported, and the run goes on.
TEST(BackupPipeline, ExtensionDriversGoIntoSubFoldersNamedAfterTheirInfs) {
    StoreMachine m;
    const std::string fx = Inf("cardfx.cat", "cardfx.dll=1\r\n");
    m.p.files.addFile(kWin + "\\inf\\oem2.inf", fx);
    m.p.files.addFile(kRepo + "\\cardfx.inf_x86_4444\\cardfx.inf", fx);
    m.p.files.addFile(kRepo + "\\cardfx.inf_x86_4444\\cardfx.cat", "extension catalog");
    m.p.files.addFile(kRepo + "\\cardfx.inf_x86_4444\\cardfx.dll", "extension file");
    m.records.back().extensionInfs = {"oem2.inf", "oem9.inf", "..\\oem2.inf"};
    m.run();
    EXPECT_EQ(Files(m, m.card), (Strings{"card.cat", "card.inf", "card.sys", "oem1.inf",
                                         "oem2.inf\\cardfx.cat", "oem2.inf\\cardfx.dll",
                                         "oem2.inf\\cardfx.inf", "oem2.inf\\oem2.inf", "x86\\cardsvc.dll"}));
    EXPECT_EQ(m.file(m.card + "\\oem2.inf\\cardfx.dll"), "extension file");
    ASSERT_EQ(m.result.drivers.size(), 1u);
    const auto& files = m.result.drivers[0].files;
    EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](const backup::FileResult& f) {
        return f.file == "oem9.inf\\oem9.inf" && f.outcome == FileOutcome::NotFound;
    }));
    EXPECT_EQ(m.titles(), (Strings{"Install", "Backup"}));
}

TEST(BackupPipeline, AFolderNotNamedAfterItsInfIsListedForIt) {
    Machine m;
    const std::string inf = Inf("", "odd.sys=1\r\n");
    m.p.files.addFile(kWin + "\\inf\\oem1.inf", inf);
    // Named after another INF than the one it holds, and with no name of that shape at all.
    m.p.files.addFile(kRepo + "\\other.inf_x86_1\\odd.inf", inf);
    m.p.files.addFile(kRepo + "\\other.inf_x86_1\\odd.sys", "odd one");
    m.p.files.addFile(kRepo + "\\plain\\p.inf", Inf("", "plain.sys=1\r\n"));
    m.p.files.addFile(kWin + "\\inf\\oem2.inf", Inf("", "plain.sys=1\r\n"));
    m.p.files.addFile(kRepo + "\\plain\\plain.sys", "plain one");
    m.driver("Odd", "Net", "oem1.inf");
    m.driver("Plain", "Net", "oem2.inf");
    m.run();
    EXPECT_EQ(m.file(kRoot + "\\Net\\Odd\\odd.sys"), "odd one");
    EXPECT_EQ(m.file(kRoot + "\\Net\\Plain\\plain.sys"), "plain one");
}

TEST(BackupPipeline, SetupapiNamesThePackageWhereItHasTheCall) {
    StoreMachine m;
    m.p.files.addFile(kRepo + "\\card.inf_x86_3333\\card.inf", "as setupapi says");
    m.p.files.addFile(kRepo + "\\card.inf_x86_3333\\only-here.sys", "x");
    m.p.setup.setLocation(kWin + "\\inf\\oem1.inf", kRepo + "\\card.inf_x86_3333\\card.inf");
    m.run();
    EXPECT_EQ(m.file(m.card + "\\only-here.sys"), "x");
    EXPECT_EQ(m.p.setup.asked, Strings{kWin + "\\inf\\oem1.inf"});
    const Strings listings = m.calls("FindFiles");
    EXPECT_EQ(std::count(listings.begin(), listings.end(), kRepo + "\\*"), 0);  // no scan needed
}

TEST(BackupPipeline, AStoreLocationThatIsGoneFallsBackToTheScan) {
    StoreMachine m;
    m.p.setup.setLocation(kWin + "\\inf\\oem1.inf", kRepo + "\\card.inf_x86_9999\\card.inf");
    m.run();
    EXPECT_EQ(m.file(m.card + "\\card.sys"), "package original");
}

TEST(BackupPipeline, TheStoreIsListedOnceForAllDriversOfARun) {
    StoreMachine m;
    m.p.files.addFile(kWin + "\\inf\\oem2.inf", Inf("", "none.sys=1\r\n"));
    m.driver("Second", "Net", "oem2.inf");
    m.driver("Third", "Net", "oem2.inf");
    m.run();
    const Strings listings = m.calls("FindFiles");
    EXPECT_EQ(std::count(listings.begin(), listings.end(), kRepo + "\\*"), 1);
    // Only the INF whose size matches is read, besides the published one.
    EXPECT_EQ(Files(m, kRoot + "\\Net\\Second"), Strings{"oem2.inf"});
}

TEST(BackupPipeline, The32BitBuildFindsTheNativeStore) {
    StoreMachine m;
    m.p.files.emulateWow64(kSys, kWin + "\\SysWOW64");
    m.p.files.addFolder(kWin + "\\SysWOW64\\drivers");
    m.run();
    EXPECT_EQ(m.file(m.card + "\\x86\\cardsvc.dll"), "run from the store");
    EXPECT_EQ(m.p.files.callsWhileRedirected, 0);
}

TEST(BackupPipeline, LinksInsideAPackageAreNotFollowed) {
    StoreMachine m;
    m.p.files.addFile(kRepo + "\\card.inf_x86_1111\\link\\outside.sys", "elsewhere");
    m.p.files.setAttributes(kRepo + "\\card.inf_x86_1111\\link", kFileAttributeDirectory | 0x400);
    m.run();
    EXPECT_FALSE(m.p.files.exists(m.card + "\\link"));
    EXPECT_EQ(m.file(m.card + "\\card.sys"), "package original");
}

TEST(BackupPipeline, CatalogUnderItsOwnNameFromThePublishedInfsCatalog) {
    struct Case {
        const char* what;
        std::uint16_t arch;
        std::string versionExtra;
        Strings store;         // catalog-store files of the main folder
        std::string expected;  // the file saved as the name expected to be used
        std::string name;
    };
    const std::vector<Case> cases = {
        {"only oemNN.cat", kProcessorArchitectureIntel, "", {"oem1.cat"}, "oem1.cat", "card.cat"},
        {"own name wins", kProcessorArchitectureIntel, "", {"oem1.cat", "card.cat"}, "card.cat", "card.cat"},
        {"NTamd64 key on 64-bit Windows",
         kProcessorArchitectureAmd64,
         "CatalogFile.NTamd64=card64.cat\r\n",
         {"oem1.cat"},
         "oem1.cat",
         "card64.cat"},
        {"NTamd64 key found under its name",
         kProcessorArchitectureAmd64,
         "CatalogFile.NTamd64=card64.cat\r\n",
         {"card64.cat", "oem1.cat"},
         "card64.cat",
         "card64.cat"},
        {"NTamd64 key ignored on 32-bit Windows",
         kProcessorArchitectureIntel,
         "CatalogFile.NTamd64=card64.cat\r\n",
         {"oem1.cat"},
         "oem1.cat",
         "card.cat"},
        {"NT key",
         kProcessorArchitectureIntel,
         "CatalogFile.NT=cardnt.cat\r\n",
         {"oem1.cat"},
         "oem1.cat",
         "cardnt.cat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine m;
        m.p.setup.architecture = c.arch;
        m.p.files.addFile(kWin + "\\inf\\oem1.inf", Inf("card.cat", "", c.versionExtra));
        for (const std::string& f : c.store) m.p.files.addFile(kCatMain + "\\" + f, "catalog " + f);
        m.driver("Card", "Net", "oem1.inf");
        m.run();
        EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\" + c.name), "catalog " + c.expected);
        EXPECT_FALSE(m.p.files.exists(kRoot + "\\Net\\Card\\oem1.cat"));
    }
}

TEST(BackupPipeline, DecoratedSourceSectionOfTheRunningWindowsOnlyWithoutAPackage) {
    struct Case {
        const char* what;
        std::uint16_t arch;
        bool package;
        Strings expected;
    };
    const std::vector<Case> cases = {
        {"32-bit", kProcessorArchitectureIntel, false, {"oem1.inf", "plain.sys", "x86only.sys"}},
        {"64-bit", kProcessorArchitectureAmd64, false, {"amd64only.sys", "oem1.inf", "plain.sys"}},
        {"arm64", kProcessorArchitectureArm64, false, {"oem1.inf", "plain.sys"}},
        {"package", kProcessorArchitectureIntel, true, {"card.inf", "oem1.inf", "plain.sys"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine m;
        m.p.setup.architecture = c.arch;
        const std::string inf = Inf("", "plain.sys=1\r\n",
                                    "\r\n[SourceDisksFiles.x86]\r\nx86only.sys=1\r\n"
                                    "\r\n[SourceDisksFiles.amd64]\r\namd64only.sys=1\r\n");
        m.p.files.addFile(kWin + "\\inf\\oem1.inf", inf);
        for (const char* f : {"plain.sys", "x86only.sys", "amd64only.sys"})
            m.p.files.addFile(kSys + "\\drivers\\" + f, f);
        if (c.package) {
            m.p.files.addFile(kRepo + "\\card.inf_x86_1\\card.inf", inf);
            m.p.files.addFile(kRepo + "\\card.inf_x86_1\\plain.sys", "plain.sys");
        }
        m.driver("Card", "Net", "oem1.inf");
        m.run();
        EXPECT_EQ(Files(m, kRoot + "\\Net\\Card"), c.expected);
    }
}

TEST(BackupPipeline, SourceProbesFollowTheRunsOrder) {
    fakes::FakePlatform p;
    const WindowsFolders f{"C:\\W", "C:\\W\\S", "C:\\W\\inf\\"};
    EXPECT_EQ(backup::SourceProbes(p.env, "a.sys", "12", f),
              (Strings{"C:\\W\\S\\Drivers\\a.sys", "C:\\W\\S\\drivers\\a.sys"}));
    EXPECT_EQ(backup::SourceProbes(p.env, "a.b.sys", "", f), Strings{"C:\\W\\S\\a.b.sys"});
    EXPECT_EQ(backup::SourceProbes(p.env, "x.hlp", "99", f), Strings{"C:\\W\\help\\x.hlp"});
    const Strings printer = backup::SourceProbes(p.env, "p.dll", "66000", f);
    ASSERT_EQ(printer.size(), 21u);
    EXPECT_EQ(printer[1], "C:\\W\\S\\spool\\Drivers\\w32x86\\1\\p.dll");
    EXPECT_EQ(printer[19], "C:\\W\\S\\spool\\Drivers\\w32x86\\19\\p.dll");
}

// An addition that fails is recorded for its driver with the Windows error; the run
// goes on to the next driver and ends as it would without the addition.
TEST(BackupPipeline, AFailedPackageCopyIsRecordedAndTheRunCompletes) {
    StoreMachine m;
    m.p.files.failOn("CopyFile", kRepo + "\\card.inf_x86_1111\\x86\\cardsvc.dll", kErrorAccessDenied);
    m.inf("oem2.inf", "", "12", {"next.sys"});
    m.p.files.addFile(kSys + "\\drivers\\next.sys", "next");
    m.driver("Next", "Net", "oem2.inf");
    m.run();
    EXPECT_TRUE(m.p.reports().empty());
    EXPECT_EQ(m.titles(), (Strings{"Install", "Backup"}));
    EXPECT_EQ(m.result.end, backup::RunEnd::Completed);
    ASSERT_EQ(m.result.drivers.size(), 2u);
    const auto& files = m.result.drivers[0].files;
    const auto svc =
        std::find_if(files.begin(), files.end(), [](const auto& f) { return f.file == "x86\\cardsvc.dll"; });
    ASSERT_NE(svc, files.end());
    EXPECT_EQ(svc->outcome, FileOutcome::Failed);
    EXPECT_EQ(svc->error, kErrorAccessDenied);
    EXPECT_EQ(m.file(kRoot + "\\Net\\Next\\next.sys"), "next");
    EXPECT_NE(m.file(kRoot + "\\backup-report.csv").find(",x86\\cardsvc.dll,failed," + kRepo),
              std::string::npos);
    EXPECT_NE(m.file(kRoot + "\\backup-report.csv").find(",5,System error 5,Net\\Card,"), std::string::npos);
}

// What an earlier run or a deep package leaves in the way of the additions: a read-only
// copy is replaced, and a path past MAX_PATH is written through its long form.
TEST(BackupPipeline, AReadOnlyCopyAndAPathPastMaxPathDoNotStopThePackage) {
    StoreMachine m;
    const std::string deep = std::string(120, 'd') + "\\" + std::string(120, 'e');
    m.p.files.addFile("\\\\?\\" + kRepo + "\\card.inf_x86_1111\\" + deep + "\\deep.bin", "deep");
    m.p.files.setAttributes(kRepo + "\\card.inf_x86_1111\\x86\\cardsvc.dll", kFileAttributeReadonly);
    m.run();
    m.p.files.addFile(kRepo + "\\card.inf_x86_1111\\x86\\cardsvc.dll", "updated", kFileAttributeReadonly);
    m.run();
    EXPECT_TRUE(m.p.reports().empty());
    EXPECT_EQ(m.result.end, backup::RunEnd::Completed);
    EXPECT_EQ(m.file(m.card + "\\x86\\cardsvc.dll"), "updated");
    EXPECT_EQ(m.file("\\\\?\\" + m.card + "\\" + deep + "\\deep.bin"), "deep");
    EXPECT_EQ(m.result.count(FileOutcome::Failed), 0);
}

// The run's own rules copy a file again from the same source to the same target: it is
// copied once. A copy from the same source after another source's is made again.
TEST(BackupPipeline, ACopyAlreadyMadeInTheRunIsNotMadeAgain) {
    Machine m;
    m.driver("Card", "Net", "a.inf");
    m.driver("Card", "Net", "b.inf");
    m.driver("Card", "Net", "a.inf");
    m.inf("a.inf", "", "12", {"x.sys"});  // system32\Drivers, then the .sys fallback system32\drivers
    m.inf("b.inf", "", "10", {"x.sys"});  // the Windows folder, then the fallback
    m.p.files.addFile(kSys + "\\drivers\\x.sys", "installed");
    m.p.files.addFile(kWin + "\\x.sys", "elsewhere");
    m.run();
    const Strings copies = m.calls("CopyFile");
    const auto into = [&](const std::string& from) {
        return std::count(copies.begin(), copies.end(), from + " > " + kRoot + "\\Net\\Card\\x.sys");
    };
    // a.inf: the id's folder, not the fallback of the same file; b.inf: the Windows folder, then
    // the fallback again; the second a.inf: nothing, the target holds that copy already.
    EXPECT_EQ(into(kSys + "\\Drivers\\x.sys"), 1);
    EXPECT_EQ(into(kSys + "\\drivers\\x.sys"), 1);
    EXPECT_EQ(into(kWin + "\\x.sys"), 1);
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\x.sys"), "installed");
    EXPECT_EQ(m.result.drivers[2].files[1].sha256, fakes::Sha256Hex("installed"));
}

// The additions read the INF as the installer does: no section buffer, comments after ";".
TEST(BackupPipeline, EveryNamedFileReachesTheReportAndACommentIsNoPartOfTheCatalogName) {
    Machine m;
    std::string text =
        "[Version]\r\nSignature=\"$Windows NT$\"\r\nCatalogFile=ahaw98.cat          ; and win98\r\n"
        "[DestinationDirs]\r\nDefaultDestDir=12\r\n[SourceDisksFiles]\r\n";
    for (int k = 0; k < 400; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "f%04d.dll", k);
        text += std::string(name) + " = 1,,\r\n";
        if (k < 10) m.p.files.addFile(kSys + "\\" + name, "x");
    }
    m.p.files.addFile(kWin + "\\inf\\oem1.inf", text);
    m.p.files.addFile(kCatMain + "\\ahaw98.cat", "catalog");
    m.driver("Card", "Net", "oem1.inf");
    m.run();
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\ahaw98.cat"), "catalog");
    ASSERT_EQ(m.result.drivers.size(), 1u);
    EXPECT_EQ(m.result.drivers[0].count(FileOutcome::NotFound), 390);
    EXPECT_EQ(m.result.drivers[0].files.back().file, "f0399.dll");
    const std::string report = m.file(kRoot + "\\backup-report.csv");
    EXPECT_NE(report.find(",f0366.dll,not found,"), std::string::npos);
    EXPECT_EQ(report.find(",f0366.dl,"), std::string::npos);
}

}  // namespace
}  // namespace zv
