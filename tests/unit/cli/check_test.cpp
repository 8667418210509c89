// /check: this PC's drivers, each judged by its INF, its catalog in the catalog store and the
// embedded signatures of its .sys files.
#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "cli/cli_run.h"
#include "cli/command_line.h"
#include "contract/test_catalogs.h"
#include "fakes/fake_console.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_signatures.h"
#include "format/inf_reader.h"
#include "format/report_schema.h"
#include "restore/backup_check.h"
#include "signing/package_files.h"
#include "support/csv.h"

namespace zv {
namespace {

const std::string kClass = "SYSTEM\\CurrentControlSet\\Control\\Class";
const std::string kNet = "{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}";
const std::string kWin = "C:\\WINDOWS";
const std::string kSys = "C:\\WINDOWS\\system32";
const std::string kStore = "C:\\WINDOWS\\system32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";

const SignatureRecord& Generated(const std::string& file) {
    for (const contract::TestCatalog& c : contract::TestCatalogs())
        if (file == c.file) return c.record;
    throw std::runtime_error("no generated file " + file);
}

struct Machine {
    fakes::FakePlatform p;
    fakes::FakeSignatures& signatures = p.signatures;
    fakes::FakeConsole console;
    int drivers = 0;

    Machine() {
        p.setup.architecture = kProcessorArchitectureAmd64;
        p.files.addDrive('D');
        for (const std::string& f : {kWin + "\\inf", kSys + "\\drivers", kStore}) p.files.addFolder(f);
        p.registry.createKey(kHkeyLocalMachine, kClass + "\\" + kNet);
        p.registry.setString(kHkeyLocalMachine, kClass + "\\" + kNet, "Class", "Net");
    }
    // A driver of a present device, with an INF naming its catalog and one .sys; a signature
    // file name of "" leaves that file unsigned (not a signed message).
    void driver(const std::string& desc, const std::string& catalog, const std::string& embedded,
                const std::string& decoration = "NTamd64") {
        const std::string key = "000" + std::to_string(drivers++);
        const std::string path = kClass + "\\" + kNet + "\\" + key;
        const std::string inf = "oem" + std::to_string(drivers) + ".inf";
        p.registry.createKey(kHkeyLocalMachine, path);
        p.registry.setString(kHkeyLocalMachine, path, "DriverDesc", desc);
        p.registry.setString(kHkeyLocalMachine, path, "ProviderName", "Vendor " + desc);
        p.registry.setString(kHkeyLocalMachine, path, "InfPath", inf);
        p.devices.devices.push_back({kNet + "\\" + key, desc, true, {}});
        const std::string sys = "d" + std::to_string(drivers) + ".sys";
        p.files.addFile(
            kWin + "\\inf\\" + inf,
            "[Version]\r\nSignature=\"$Windows NT$\"\r\nCatalogFile=d.cat\r\n[Manufacturer]\r\n%M%=M," +
                decoration + "\r\n[SourceDisksFiles]\r\n" + sys + "=1\r\n[Strings]\r\nM=\"Maker\"\r\n");
        // The store keeps the catalog under the published INF's name.
        file(kStore + "\\oem" + std::to_string(drivers) + ".cat", catalog, SignedFileKind::kCatalog);
        file(kSys + "\\drivers\\" + sys, embedded, SignedFileKind::kEmbedded);
    }
    void file(const std::string& path, const std::string& generated, SignedFileKind kind) {
        const std::string bytes = fakes::SignedLooking(kind, "bytes of " + path);
        p.files.addFile(path, bytes);
        if (!generated.empty()) signatures.addMessage(bytes, kind, Generated(generated));
    }
    void thisWindows(const std::string& build, bool secureBoot) {
        const std::string version = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
        p.registry.createKey(kHkeyLocalMachine, version);
        p.registry.setString(kHkeyLocalMachine, version, "CurrentBuildNumber", build);
        p.registry.setString(kHkeyLocalMachine, version, "InstallationType", "Client");
        const std::string state = "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State";
        p.registry.createKey(kHkeyLocalMachine, state);
        p.registry.setDword(kHkeyLocalMachine, state, "UEFISecureBootEnabled", secureBoot ? 1 : 0);
    }
    int run(const std::string& line) {
        console.commandLine = "Zorvane.exe " + line;
        return cli::RunCommandLine(p.os, console, cli::SplitCommandLine(console.CommandLine()));
    }
};

TEST(Check, EachOfThisPcsDriversGetsItsClassAndVerdict) {
    Machine m;
    m.driver("Whql", "whql.cat", "");
    m.driver("Late", "cross-2015-07-29.cat", "");
    m.driver("Embedded", "authenticode.cat", "cross-embedded.sys");
    m.driver("Test", "testsigned.cat", "");
    m.driver("Old", "whql.cat", "", "NTx86");
    // Windows 10 22H2 without Secure Boot loads what a clean Windows 11 will not.
    m.thisWindows("19045", false);
    EXPECT_EQ(m.run("/check"), cli::kExitDoneWithFailures);
    EXPECT_EQ(
        m.console.out,
        "After a clean 64-bit Windows 11 24H2 or later with Secure Boot:\r\n"
        "Net\\Whql: WHQL, loads\r\n"
        "Net\\Late: cross-signed, will not load: cross-signed after 2015 (this Windows: loads)\r\n"
        "Net\\Embedded: cross-signed, at risk: cross-signed, needs Microsoft's allow list (this Windows: "
        "loads)\r\n"
        "Net\\Test: self-/test-signed, will not load: test-signed\r\n"
        "Net\\Old: WHQL, wrong architecture\r\n"
        "5 drivers checked: 1 load, 4 will not or may not.\r\n");
    EXPECT_TRUE(m.console.err.empty());
}

TEST(Check, ExitCodes) {
    Machine good;
    good.driver("Whql", "whql.cat", "");
    good.driver("Inbox", "inbox.cat", "");
    EXPECT_EQ(good.run("/check"), cli::kExitDone);
    Machine none;
    EXPECT_EQ(none.run("/check"), cli::kExitNothingDone);
    EXPECT_EQ(none.console.err, "No driver of this PC was found, so there is nothing to check.\r\n");
    EXPECT_EQ(none.run("/check D:\\Backup"), cli::kExitBadArguments);  // no such folder
    EXPECT_EQ(none.run("/check /backup D:\\Backup"), cli::kExitBadArguments);
}

// The forecast travels with the backup: made once from the copies into the report, read back
// by /check <folder> and /verify, computed from the files for a report from before it, and
// named by the restore for a driver it only stages.
TEST(Check, ABackupCarriesItsForecastToCheckVerifyAndRestore) {
    Machine m;
    m.driver("Whql", "whql.cat", "");
    m.driver("Test", "testsigned.cat", "");
    m.driver("Late", "cross-2015-07-29.cat", "");
    m.p.registry.setString(kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime", "No");
    ASSERT_EQ(m.run("/backup D:\\B /present"), cli::kExitDone) << m.console.err;
    const std::string root = "D:\\B\\Zorvane";
    const std::string report = *m.p.files.contents(root + "\\backup-report.csv");
    const std::vector<std::vector<std::string>> rows = CsvRows(report);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].back(), "After a clean install");
    for (const auto& row : rows)
        EXPECT_EQ(row.back(), row[0] == "Test" ? "will not load: test-signed" : row.back()) << row[3];

    const std::string out =
        "After a clean 64-bit Windows 11 24H2 or later with Secure Boot:\r\n"
        "Net\\Whql: WHQL, loads\r\n"
        "Net\\Test: self-/test-signed, will not load: test-signed\r\n"
        "Net\\Late: cross-signed, will not load: cross-signed after 2015\r\n"
        "3 drivers checked: 1 load, 2 will not or may not.\r\n";
    const int reads = m.signatures.reads;
    m.console.out.clear();
    EXPECT_EQ(m.run("/check D:\\B"), cli::kExitDoneWithFailures);
    EXPECT_EQ(m.console.out, out);
    EXPECT_EQ(m.signatures.reads, reads);  // from the report alone

    // A report without the two columns: the same forecast, from the driver folders' files.
    std::string older;
    for (const auto& row : rows) {
        for (std::size_t k = 0; k < kColumnSignature; ++k)
            older += (k ? "," : "") + CsvField(row[k], EdgeBlanks::Quoted);
        older += "\r\n";
    }
    m.p.files.addFile(root + "\\backup-report.csv", older);
    m.console.out.clear();
    EXPECT_EQ(m.run("/check D:\\B"), cli::kExitDoneWithFailures);
    EXPECT_EQ(m.console.out, out);
    EXPECT_GT(m.signatures.reads, reads);

    m.console.out.clear();
    EXPECT_EQ(m.run("/verify D:\\B"), cli::kExitDone);
    EXPECT_NE(m.console.out.find(
                  "Net\\Test: will not load after a clean install: test-signed (self-/test-signed)\r\n"),
              std::string::npos)
        << m.console.out;
    EXPECT_NE(m.console.out.find("Net\\Late: will not load after a clean install: cross-signed after 2015"),
              std::string::npos);
    EXPECT_EQ(m.console.out.find("Net\\Whql: will not"), std::string::npos);
    // File, Verify backup... shows the same lines, before the intact drivers.
    fakes::FakeControls c;
    m.p.shell.queueFolder("D:\\B");
    restore::VerifyChosenFolder(m.p.env, c.controls);
    ASSERT_FALSE(m.p.ui.shown.empty());
    const std::string shown = m.p.ui.shown.back().text;
    EXPECT_LT(shown.find("Net\\Test: will not load after a clean install: test-signed"),
              shown.find("Net\\Whql: intact"))
        << shown;

    (void)m.run("/restore D:\\B");
    const std::string restored = *m.p.files.contents("D:\\B\\restore-report.csv");
    // Only what is staged: an INF already in the store is what this Windows has.
    EXPECT_NE(
        restored.find("\\Late\\oem3.inf,staged,oem0.inf,,,,\"staged, will not load after a clean install: "
                      "cross-signed after 2015; no device present with its ids\"\r\n"),
        std::string::npos)
        << restored;
    EXPECT_NE(
        restored.find("\\Test\\oem2.inf,already present,oem2.inf,,,,no device present with its ids\r\n"),
        std::string::npos);
}

// The window's Signature column: empty while the list is filled, so that no catalog holds the
// list up, then filled a row at a time with the classes /check names; a list read again
// (the Microsoft box) is filled again.
TEST(Check, TheWindowsListShowsEachDriversClassOnceShown) {
    Machine m;
    m.driver("Whql", "whql.cat", "");
    m.driver("Embedded", "unsigned.cat", "cross-embedded.sys");
    m.driver("Inbox", "inbox.cat", "");
    m.p.app = AppValues{};
    fakes::FakeControls ui;
    frmMain form(m.p.env, ui.controls);
    form.Form_Load();
    ASSERT_EQ(ui.list.rows.size(), 3u);
    EXPECT_EQ(m.signatures.reads, 0);
    const auto column = [&] {
        std::vector<std::string> cells;
        for (const fakes::Row& r : ui.list.rows) cells.push_back(r.sub[kColSignature]);
        return cells;
    };
    EXPECT_EQ(column(), (std::vector<std::string>{"", "", ""}));
    const std::vector<std::string> classes{"WHQL", "cross-signed", "Windows in-box"};
    for (int round = 0; round < 2; ++round) {
        int filled = 0;
        while (form.FillSignatureColumn()) ++filled;
        EXPECT_EQ(filled, 3);
        EXPECT_EQ(column(), classes);
        EXPECT_FALSE(form.signaturesPending());
        ui.check.ticked = 1;
        form.chkMicrosoft_Click();
        EXPECT_TRUE(form.signaturesPending());
        EXPECT_EQ(column(), (std::vector<std::string>{"", "", ""}));
    }
    EXPECT_TRUE(m.p.reports().empty());
}

TEST(Check, ABackupFolderThatIsMissingOrHoldsNoReport) {
    Machine m;
    EXPECT_EQ(m.run("/check D:\\Nothing"), cli::kExitBadArguments);
    EXPECT_EQ(m.console.err, "The folder D:\\Nothing does not exist.\r\n");
    m.p.files.addFolder("D:\\Empty");
    EXPECT_EQ(m.run("/check D:\\Empty"), cli::kExitNothingDone);
}

TEST(Check, KernelModeAndArchitecturesFromTheInf) {
    const struct {
        const char* name;
        const char* text;
        bool kernel;
        std::vector<signing::Architecture> archs;
    } cases[] = {
        {"a .sys among its files",
         "[Manufacturer]\r\nM=M,NTamd64.10.0...19041,NTx86\r\n[SourceDisksFiles.amd64]\r\nx.SYS=1\r\n",
         true,
         {signing::Architecture::kAmd64, signing::Architecture::kX86}},
        {"a kernel service",
         "[Manufacturer]\r\nM=M,NTarm64\r\n[M.NTarm64]\r\nDev=Inst,PCI\\X\r\n[Inst.Services]\r\n"
         "AddService=x,0x2,Svc\r\n[Svc]\r\nServiceType=0x00000001\r\n",
         true,
         {signing::Architecture::kArm64}},
        {"a user-mode service",
         "[Manufacturer]\r\nM=M\r\n[M]\r\nDev=Inst,USB\\X\r\n[Inst.NT.Services]\r\n"
         "AddService=x,0x2,Svc\r\n[Svc]\r\nServiceType=16\r\n[SourceDisksFiles]\r\nx.dll=1\r\n",
         false,
         {signing::Architecture::kX86}},
        {"an unknown decoration", "[Manufacturer]\r\nM=M,NTarm\r\n", false, {}},
    };
    fakes::FakeLocale locale;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const InfFile inf = ParseInf(c.text, locale);
        EXPECT_EQ(signing::KernelModeOf(inf, "amd64"), c.kernel);
        EXPECT_EQ(signing::ArchitecturesOf(inf), c.archs);
    }
}

}  // namespace
}  // namespace zv
