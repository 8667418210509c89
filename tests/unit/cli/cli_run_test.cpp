#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include "app/StartUp.h"
#include "backup/backup_run.h"
#include "cli/command_line.h"
#include "fakes/fake_console.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "inventory/ReadDrivers.h"
#include "support/csv.h"

namespace zv {
namespace {

using Strings = std::vector<std::string>;
const std::string kClass = "SYSTEM\\CurrentControlSet\\Control\\Class";
const std::string kNet = "{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}";
const std::string kWin = "C:\\WINDOWS";
const std::string kSys = "C:\\WINDOWS\\system32";
const std::string kStore = "C:\\WINDOWS\\system32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";

// A machine with three network drivers (one from Microsoft), their INFs, catalog and
// files, and the command line's console.
struct Cli {
    fakes::FakePlatform p;
    fakes::FakeDriverSetup& setup = p.setup;
    fakes::FakeConsole console;

    Cli() {
        p.files.addDrive('D');
        p.files.addFolder("D:\\Backup");
        p.files.addFolder(kWin + "\\inf");
        p.files.addFolder(kSys + "\\drivers");
        p.files.addFolder(kStore);
        p.registry.createKey(kHkeyLocalMachine, kClass + "\\" + kNet);
        p.registry.setString(kHkeyLocalMachine, kClass + "\\" + kNet, "", "Network adapters");
        p.registry.setString(kHkeyLocalMachine, kClass + "\\" + kNet, "Class", "Net");
        driver("0000", "Fenlake Gigabit, 5120", "Fenlake", "oem3.inf");
        driver("0001", "Wireless AX", "Fenlake", "oem4.inf");
        driver("0002", "Kernel Debug", "Microsoft", "kd.inf");
        inf("oem3.inf", "fnl.cat", {"fnl.sys", "fnl.dll"});
        inf("oem4.inf", "", {"wifi.sys", "wifi.hlp"});
        inf("kd.inf", "", {"kd.sys"});
        p.files.addFile(kStore + "\\fnl.cat", "catalog");
        p.files.addFile(kSys + "\\drivers\\fnl.sys", "fnl sys");
        p.files.addFile(kSys + "\\fnl.dll", "fnl dll");
        p.files.addFile(kSys + "\\drivers\\wifi.sys", "wifi sys");  // wifi.hlp is missing
        p.files.addFile(kSys + "\\drivers\\kd.sys", "kd sys");
    }
    void driver(const std::string& key, const std::string& desc, const std::string& provider,
                const std::string& inf) {
        const std::string path = kClass + "\\" + kNet + "\\" + key;
        p.registry.createKey(kHkeyLocalMachine, path);
        p.registry.setString(kHkeyLocalMachine, path, "DriverDesc", desc);
        p.registry.setString(kHkeyLocalMachine, path, "ProviderName", provider);
        p.registry.setString(kHkeyLocalMachine, path, "InfPath", inf);
    }
    void inf(const std::string& name, const std::string& catalog, const Strings& sources) {
        std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
        if (!catalog.empty()) text += "CatalogFile=" + catalog + "\r\n";
        text += "[DestinationDirs]\r\nDefaultDestDir=12\r\n[SourceDisksFiles]\r\n";
        for (const auto& s : sources) text += s + "=1\r\n";
        p.files.addFile(kWin + "\\inf\\" + name, text);
    }
    void accept() { p.registry.setString(kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime", "No"); }
    int run(const std::string& line) {
        console.commandLine = "Zorvane.exe " + line;
        return cli::RunCommandLine(p.os, console, cli::SplitCommandLine(console.CommandLine()));
    }
    [[nodiscard]] std::string file(const std::string& path) const {
        return p.files.contents(path).value_or("<none>");
    }
    [[nodiscard]] Strings writes() const {
        Strings out;
        for (const auto& l : p.files.log)
            for (const char* call : {"CreateDirectory ", "CopyFile ", "OpenForWrite ", "DeleteFile "})
                if (l.rfind(call, 0) == 0) out.push_back(l);
        return out;
    }
};

TEST(CommandLine, HelpPrintsTheUsageWithTheAgreementAndExitCodes) {
    Cli m;
    EXPECT_EQ(m.run("/?"), cli::kExitDone);
    EXPECT_EQ(m.console.out, cli::UsageText("Zorvane.exe"));
    EXPECT_NE(m.console.out.find("Use this application at your own risk."), std::string::npos);
    EXPECT_NE(m.console.out.find("Exit codes: 0 all done; 1 done, but drivers failed or files were missing;"),
              std::string::npos);
    EXPECT_TRUE(m.console.err.empty());
}

TEST(CommandLine, BadArgumentsGiveCodeTwoTheReasonAndTheUsageAndWriteNothing) {
    for (const char* line : {"/nonsense", "/backup", "/backup D:\\Out /id", "/backup D:\\Out /id nothing",
                             "/backup D:\\Out /id {5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0002",
                             "/restore D:\\Missing", "/list /restore D:\\Backup"}) {
        SCOPED_TRACE(line);
        Cli m;
        m.accept();
        EXPECT_EQ(m.run(line), cli::kExitBadArguments);
        EXPECT_FALSE(m.console.err.empty());
        EXPECT_TRUE(m.writes().empty());
        EXPECT_FALSE(m.p.files.exists("D:\\Out"));
    }
    Cli m;
    EXPECT_EQ(m.run("/backup D:\\Out /id x /list"), cli::kExitBadArguments);
    EXPECT_EQ(m.console.err, "Error: /backup and /list cannot be used together.\r\n\r\n" +
                                 cli::UsageText("Zorvane.exe") + "\r\n");
}

TEST(CommandLine, AnIdOfAMicrosoftDriverNeedsTheMicrosoftSwitch) {
    Cli m;
    m.accept();
    EXPECT_EQ(m.run("/backup D:\\Out /id {5A1F0001-7C3E-4B1A-9D2F-0E5B8C6A1001}\\0002"),
              cli::kExitBadArguments);
    EXPECT_EQ(m.console.err,
              "No listed driver has the id {5A1F0001-7C3E-4B1A-9D2F-0E5B8C6A1001}\\0002. Drivers from "
              "Microsoft are "
              "listed only with /microsoft.\r\nThe ids are those that /list prints.\r\n");
    EXPECT_EQ(m.run("/backup D:\\Out /id {5A1F0001-7C3E-4B1A-9D2F-0E5B8C6A1001}\\0002 /microsoft"),
              cli::kExitDone);
}

TEST(CommandLine, ListPrintsTheColumnsAsTextOrCsv) {
    Cli m;
    m.p.registry.setString(kHkeyLocalMachine, kClass + "\\" + kNet + "\\0000", "DriverVersion", "5.1.0.0");
    m.p.registry.setString(kHkeyLocalMachine, kClass + "\\" + kNet + "\\0000", "DriverDate", "3-14-2025");
    m.p.devices.devices = {{kNet + "\\0000", "Port 1", true, {}}, {kNet + "\\0001", "Stick", false, {}}};
    EXPECT_EQ(m.run("/list"), cli::kExitDone);
    EXPECT_EQ(
        m.console.out,
        "Description            Default           Provider  ID                                         "
        "  Class  Inf Path  Version  Date       Device  Present\r\n"
        "Fenlake Gigabit, 5120  Network adapters  Fenlake   "
        "{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0000  Net    oem3.inf  5.1.0.0  3-14-2025  Port 1  Yes\r\n"
        "Wireless AX            Network adapters  Fenlake   "
        "{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0001  Net    oem4.inf                      Stick   No\r\n");
    m.console.out.clear();
    EXPECT_EQ(m.run("/list /csv /microsoft"), cli::kExitDone);
    EXPECT_EQ(
        m.console.out,
        "Description,Default,Provider,ID,Class,Inf Path,Version,Date,Device,Present\r\n"
        "\"Fenlake Gigabit, 5120\",Network adapters,Fenlake,{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0000,Net,"
        "oem3.inf,5.1.0.0,3-14-2025,Port 1,Yes\r\n"
        "Wireless AX,Network "
        "adapters,Fenlake,{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0001,Net,oem4.inf,,,Stick,No\r\n"
        "Kernel Debug,Network adapters,Microsoft,{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0002,Net,kd.inf,,,"
        "(no device),\r\n");
    // The list needs no agreement and writes nothing.
    EXPECT_TRUE(m.writes().empty());
}

TEST(CommandLine, BackupAndRestoreWaitForTheAgreementWhichAcceptRecords) {
    Cli m;
    for (const char* line : {"/backup D:\\Out", "/restore D:\\Backup"}) {
        EXPECT_EQ(m.run(line), cli::kExitNothingDone) << line;
        EXPECT_TRUE(m.writes().empty());
    }
    EXPECT_EQ(m.console.err.find("The agreement has not been accepted yet."), 0u);
    EXPECT_EQ(m.run("/accept"), cli::kExitDone);
    EXPECT_EQ(m.console.out, "The agreement is recorded as accepted.\r\n");
    // The value the window's first run looks for.
    fakes::FakeControls c;
    StartUpState state;
    AppValues fresh;
    Env env{m.p.os, m.p.errors, fresh};
    StartUp(env, c.form, state);
    for (const auto& shown : m.p.ui.shown) EXPECT_NE(shown.title, "Agreement");
}

TEST(CommandLine, TheCommandLineReadsTheAgreementWhereTheWindowStoresIt) {
    Cli m;
    m.p.app = AppValues{};
    fakes::FakeControls c;
    StartUpState state;
    m.p.ui.queueAnswer(kIdYes);  // the agreement box
    StartUp(m.p.env, c.form, state);
    EXPECT_EQ(m.p.app.Appname, cli::CommandLineAppValues().Appname);
    EXPECT_EQ(m.p.app.MainKey, cli::CommandLineAppValues().MainKey);
    EXPECT_EQ(m.p.app.CurrentVersion, cli::CommandLineAppValues().CurrentVersion);
    EXPECT_EQ(m.run("/backup D:\\Out"), cli::kExitDoneWithFailures);  // ran: wifi.hlp is missing
}

// The same ticks give the same tree, file for file, from the window and from /backup.
TEST(CommandLine, BackupWritesTheTreeTheWindowWritesForTheSameTicks) {
    Cli m;
    m.accept();
    m.p.files.addFolder("D:\\Window");
    fakes::FakeControls c;
    std::vector<DriverRecord> shown;
    ReadDrivers(m.p.env, c.controls, &shown);
    ASSERT_EQ(c.list.rows.size(), 2u);
    c.list.rows[0].checked = true;
    m.p.shell.queueFolder("D:\\Window");
    (void)backup::Run(m.p.env, c.controls, ShownDrivers(c.list, shown));
    ASSERT_TRUE(m.p.reports().empty());

    EXPECT_EQ(m.run("/backup D:\\Cli\\new /id {5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0000"), cli::kExitDone);
    const Strings tree = m.p.files.tree("D:\\Window\\Zorvane");
    EXPECT_EQ(tree, (Strings{"backup-report.csv", "Net\\", "Net\\Fenlake Gigabit, 5120\\",
                             "Net\\Fenlake Gigabit, 5120\\fnl.cat", "Net\\Fenlake Gigabit, 5120\\fnl.dll",
                             "Net\\Fenlake Gigabit, 5120\\fnl.sys", "Net\\Fenlake Gigabit, 5120\\oem3.inf",
                             "Restore drivers.cmd", "Zorvane.exe"}));
    EXPECT_EQ(m.p.files.tree("D:\\Cli\\new\\Zorvane"), tree);
    for (const auto& f : tree)
        EXPECT_EQ(m.p.files.contents("D:\\Cli\\new\\Zorvane\\" + f),
                  m.p.files.contents("D:\\Window\\Zorvane\\" + f));
    EXPECT_EQ(m.console.out,
              "Please be aware that some providers require you to use their own driver install package.\r\n"
              "1/1 Fenlake Gigabit, 5120: 4 files, 0 missing\r\n"
              "Backup successfully created.\r\n"
              "The report is D:\\Cli\\new\\Zorvane\\backup-report.csv\r\n"
              "The backup is in D:\\Cli\\new\\Zorvane\r\n");
}

// /present ticks what "Select this PC's drivers" ticks: here the one row with a present device.
TEST(CommandLine, BackupPresentTakesThisPcsDrivers) {
    Cli m;
    m.accept();
    m.p.devices.devices = {{kNet + "\\0000", "Port 1", true, {}}, {kNet + "\\0001", "Stick", false, {}}};
    EXPECT_EQ(m.run("/backup D:\\Out /present"), cli::kExitDone);
    EXPECT_NE(m.console.out.find("\n1/1 Fenlake Gigabit, 5120: 4 files, 0 missing\r\n"), std::string::npos)
        << m.console.out;
    m.p.devices.devices.clear();
    EXPECT_EQ(m.run("/backup D:\\Out2 /present"), cli::kExitNothingDone);
    EXPECT_EQ(m.console.err,
              "No listed driver is used by a device present now, so there is nothing to back up.\r\n");
}

TEST(CommandLine, BackupCountsMissingFilesAndEndsWithCodeOne) {
    Cli m;
    m.accept();
    m.console.currentFolder = "D:\\Backup";
    EXPECT_EQ(m.run("/backup out\\"), cli::kExitDoneWithFailures);
    EXPECT_EQ(m.console.out,
              "Please be aware that some providers require you to use their own driver install package.\r\n"
              "1/2 Fenlake Gigabit, 5120: 4 files, 0 missing\r\n"
              "2/2 Wireless AX: 2 files, 1 missing\r\n"
              "Backup successfully created.\r\n"
              "The report is D:\\Backup\\out\\Zorvane\\backup-report.csv\r\n"
              "The backup is in D:\\Backup\\out\\Zorvane\r\n");
}

// The counts are the result's, the report's too: decorated names count, and a failed
// addition leaves a completed run whose code says something is missing.
TEST(CommandLine, BackupCountsWhatTheReportListsAndAFailedAdditionIsCodeOne) {
    struct Case {
        const char* what;
        std::string version, sources;
        bool failing;  // a file of the driver's package that cannot be copied
        const char* line;
    };
    const std::vector<Case> cases = {
        {"decorated catalog and section, both missing", "CatalogFile.NTx86=dec.cat\r\n",
         "[SourceDisksFiles.x86]\r\ndec.sys=1\r\n", false, "1/1 Kernel Debug: 2 files, 2 missing\r\n"},
        {"a package file that cannot be copied", "", "", true,
         "1/1 Kernel Debug: 2 files, 0 missing, 1 failed\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Cli m;
        m.accept();
        m.p.files.addFile(kWin + "\\inf\\kd.inf",
                          "[Version]\r\nSignature=\"$Windows NT$\"\r\n" + c.version +
                              "[DestinationDirs]\r\nDefaultDestDir=12\r\n[SourceDisksFiles]\r\n"
                              "kd.sys=1\r\n" +
                              c.sources);
        if (c.failing) {
            const std::string repo = kSys + "\\DriverStore\\FileRepository\\kd.inf_x86_1";
            m.p.files.addFile(repo + "\\kd.inf", m.p.files.contents(kWin + "\\inf\\kd.inf").value());
            m.p.files.addFile(repo + "\\big.bin", "big");
            m.p.files.failOn("CopyFile", repo + "\\big.bin", kErrorAccessDenied);
        }
        EXPECT_EQ(m.run("/backup D:\\Out /microsoft /id {5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0002"),
                  cli::kExitDoneWithFailures);
        EXPECT_NE(m.console.out.find(c.line), std::string::npos) << m.console.out;
        EXPECT_NE(m.console.out.find("Backup successfully created.\r\n"), std::string::npos);
        EXPECT_TRUE(m.console.err.empty()) << m.console.err;
        const std::string report = m.p.files.contents("D:\\Out\\Zorvane\\backup-report.csv").value_or("");
        const auto rows = [&](const std::string& status) {
            std::size_t n = 0;
            for (std::size_t at = 0; (at = report.find("," + status + ",", at)) != std::string::npos; ++at)
                ++n;
            return n;
        };
        EXPECT_EQ(rows("not found"), c.failing ? 0u : 2u);
        EXPECT_EQ(rows("failed"), c.failing ? 1u : 0u);
    }
}

// A disk that fills up before the program is copied leaves a backup of the drivers that its
// own restore script cannot run: not a complete one.
TEST(CommandLine, ABackupWithoutTheProgramThatRestoresItIsCodeOne) {
    Cli m;
    m.accept();
    m.p.files.failOn("CopyFile", "D:\\Out\\Zorvane\\Zorvane.exe", kErrorDiskFull);
    EXPECT_EQ(m.run("/backup D:\\Out /id {5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}\\0000"),
              cli::kExitDoneWithFailures);
    EXPECT_NE(m.console.out.find("could not be added to the backup (Zorvane.exe: "), std::string::npos)
        << m.console.out;
    EXPECT_FALSE(m.p.files.exists("D:\\Out\\Zorvane\\Zorvane.exe"));
}

TEST(CommandLine, ABackupThatFailsOnADriverStopsWithCodeOneOrThree) {
    struct Case {
        const char* failingInf;
        int code;
        const char* lastLine;
    };
    for (const Case& c :
         {Case{"oem4.inf", cli::kExitDoneWithFailures,
               "The backup stopped after 1 drivers; what was copied is in D:\\Out\\Zorvane\r\n"},
          Case{"oem3.inf", cli::kExitNothingDone, ""}}) {
        SCOPED_TRACE(c.failingInf);
        Cli m;
        m.accept();
        m.p.files.failOn("CopyFile", kWin + "\\inf\\" + c.failingInf, kErrorAccessDenied);
        EXPECT_EQ(m.run("/backup D:\\Out"), c.code);
        EXPECT_NE(m.console.err.find("Error:\r\nError Number: 75."), std::string::npos) << m.console.err;
        EXPECT_EQ(m.console.err.find("Do you wish to pause"), std::string::npos);
        const std::string out = m.console.out;
        EXPECT_EQ(out.substr(out.size() - std::string(c.lastLine).size()), c.lastLine);
    }
}

TEST(CommandLine, AFolderThatCannotBeCreatedIsCodeThree) {
    Cli m;
    m.accept();
    m.p.files.failOn("CreateDirectory", "D:\\Locked", kErrorAccessDenied);
    EXPECT_EQ(m.run("/backup D:\\Locked\\Deeper"), cli::kExitNothingDone);
    EXPECT_EQ(m.console.err, "The folder D:\\Locked\\Deeper cannot be created: System error 5\r\n");
    EXPECT_TRUE(m.p.files.tree("D:\\").size() == 1u);  // only D:\Backup
    m.p.files.addFile("D:\\AFile", "x");
    EXPECT_EQ(m.run("/backup D:\\AFile"), cli::kExitNothingDone);
}

TEST(CommandLine, RestoreRunsWithoutAskingAndPrintsALinePerDriver) {
    Cli m;
    m.accept();
    m.p.files.addFile("D:\\Backup\\Drivers\\Net\\A\\oem3.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    m.p.files.addFile("D:\\Backup\\Drivers\\Net\\B\\bad.inf", "[Version]\r\nSignature=\"$Nope$\"\r\n");
    EXPECT_EQ(m.run("/restore D:\\Backup\\"), cli::kExitDoneWithFailures);
    EXPECT_EQ(
        m.console.out,
        "1/2 Drivers\\Net\\A\\oem3.inf: staged as oem0.inf\r\n"
        "2/2 Drivers\\Net\\B\\bad.inf: failed, error 0xE0000100: The INF file is not a Windows NT style INF "
        "(its Signature is wrong).\r\n"
        "Restore finished: 1 staged, 0 installed on a device, 0 already present, 1 failed.\r\n"
        "No backup report was found for this folder, so the drivers could not be checked before "
        "installing.\r\n"
        "The report is written to D:\\Backup\\restore-report.csv.\r\n");
    EXPECT_TRUE(m.p.files.exists("D:\\Backup\\restore-report.csv"));
    m.console.out.clear();
    m.p.files.addFolder("D:\\Empty");
    EXPECT_EQ(m.run("/restore D:\\Empty"), cli::kExitNothingDone);
    EXPECT_EQ(m.console.out, "No driver was found in D:\\Empty: it holds no INF file.\r\n");
    // A backup of ours whose report was never written (a full drive) is refused, from its
    // Zorvane folder, the folder above it or a driver folder in it; nothing is staged.
    m.p.files.addFile("D:\\Cut\\Zorvane\\Net\\A\\a.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    const std::size_t staged = m.p.setup.copies.size();
    for (const std::string folder : {"D:\\Cut", "D:\\Cut\\Zorvane", "D:\\Cut\\Zorvane\\Net\\A"}) {
        m.console.out.clear();
        EXPECT_EQ(m.run("/restore " + folder), cli::kExitNothingDone);
        EXPECT_EQ(m.console.out,
                  folder +
                      " is a backup whose report is missing: the backup did not finish (the drive "
                      "may have been full), so its drivers cannot be checked and none is installed. "
                      "Back it up again onto a drive with room.\r\n");
    }
    EXPECT_EQ(m.p.setup.copies.size(), staged);
    EXPECT_FALSE(m.p.files.exists("D:\\Cut\\restore-report.csv"));
}

// A backup checked against its report: intact, one byte flipped, a file gone, no report.
// The restore installs nothing from a damaged driver folder and goes on with the others.
TEST(CommandLine, VerifyFindsDamageAndTheRestoreKeepsOnlyThatDriverOut) {
    Cli m;
    m.accept();
    // wifi.hlp is missing: code 1.
    ASSERT_EQ(m.run("/backup D:\\Backup /id " + kNet + "\\0000 " + kNet + "\\0001"),
              cli::kExitDoneWithFailures);
    const std::string root = "D:\\Backup\\Zorvane";
    EXPECT_EQ(m.p.files.contents(root + "\\Zorvane.exe"), "MZ the program");
    EXPECT_TRUE(m.p.files.exists(root + "\\Restore drivers.cmd"));
    m.console.out.clear();
    EXPECT_EQ(m.run("/verify D:\\Backup"), cli::kExitDone);
    EXPECT_NE(m.console.out.find("Net\\Fenlake Gigabit, 5120: intact, 4 files\r\n"), std::string::npos)
        << m.console.out;
    EXPECT_NE(m.console.out.find("2 drivers checked: 2 intact, 0 damaged."), std::string::npos);

    const std::string sys = root + "\\Net\\Fenlake Gigabit, 5120\\fnl.sys";
    m.p.files.addFile(sys, "fnl syS");  // same size, one byte changed
    m.console.out.clear();
    const auto writesBefore = m.writes().size();
    EXPECT_EQ(m.run("/verify " + root), cli::kExitDoneWithFailures);
    EXPECT_EQ(m.writes().size(), writesBefore);
    EXPECT_NE(m.console.out.find("Net\\Fenlake Gigabit, 5120: damaged, fnl.sys changed\r\n"),
              std::string::npos)
        << m.console.out;
    EXPECT_NE(m.console.out.find("Net\\Wireless AX: intact"), std::string::npos);

    m.console.out.clear();
    EXPECT_EQ(m.run("/restore D:\\Backup"), cli::kExitDoneWithFailures);
    EXPECT_NE(m.console.out.find("Zorvane\\Net\\Fenlake Gigabit, 5120\\oem3.inf: damaged in the backup"),
              std::string::npos)
        << m.console.out;
    ASSERT_EQ(m.setup.copies.size(), 1u);  // the wireless driver only
    EXPECT_EQ(m.setup.copies[0].source, root + "\\Net\\Wireless AX\\oem4.inf");
    EXPECT_NE(m.p.files.contents("D:\\Backup\\restore-report.csv")
                  .value_or("")
                  .find(",damaged in the backup,,,,fnl.sys differs from the backup report,\r\n"),
              std::string::npos);

    (void)m.p.files.DeleteFile(root + "\\Net\\Wireless AX\\oem4.inf");
    m.console.out.clear();
    EXPECT_EQ(m.run("/verify D:\\Backup"), cli::kExitDoneWithFailures);
    EXPECT_NE(m.console.out.find("Net\\Wireless AX: damaged, oem4.inf missing"), std::string::npos);

    m.p.files.addFolder("D:\\Other");
    EXPECT_EQ(m.run("/verify D:\\Other"), cli::kExitNoReport);
    EXPECT_EQ(m.run("/verify"), cli::kExitBadArguments);
}

// A device is restored as a whole: its extension driver (in a sub-folder of the base's
// folder) goes in after the base, and stays out with it when the base is damaged.
TEST(CommandLine, AnExtensionDriverIsRestoredAfterItsBaseAndHeldBackWithIt) {
    Cli m;
    m.accept();
    m.p.devices.devices = {{kNet + "\\0000", "Fenlake Gigabit", true, {"oem14.inf"}}};
    m.p.files.addFile(kWin + "\\inf\\oem14.inf",
                      "[Version]\r\nSignature=\"$Windows NT$\"\r\nCatalogFile=fx.cat\r\n");
    m.p.files.addFile(kStore + "\\fx.cat", "extension catalog");
    ASSERT_EQ(m.run("/backup D:\\Backup /id " + kNet + "\\0000 " + kNet + "\\0001"),
              cli::kExitDoneWithFailures);  // wifi.hlp is missing
    const std::string root = "D:\\Backup\\Zorvane";
    const std::string base = root + "\\Net\\Fenlake Gigabit, 5120";
    ASSERT_EQ(m.file(base + "\\oem14.inf\\fx.cat"), "extension catalog");

    m.console.out.clear();
    EXPECT_EQ(m.run("/restore D:\\Backup"), cli::kExitDone);
    ASSERT_EQ(m.setup.copies.size(), 3u) << m.console.out;
    EXPECT_EQ(m.setup.copies[0].source, base + "\\oem3.inf");
    EXPECT_EQ(m.setup.copies[1].source, base + "\\oem14.inf\\oem14.inf");
    EXPECT_EQ(m.console.out.find("could not be checked"), std::string::npos) << m.console.out;

    m.p.files.addFile(base + "\\fnl.sys", "fnl syS");  // one byte flipped
    m.setup.copies.clear();
    m.console.out.clear();
    EXPECT_EQ(m.run("/restore D:\\Backup"), cli::kExitDoneWithFailures);
    ASSERT_EQ(m.setup.copies.size(), 1u);  // the wireless driver goes on
    EXPECT_EQ(m.setup.copies[0].source, root + "\\Net\\Wireless AX\\oem4.inf");
    const std::string report = m.file("D:\\Backup\\restore-report.csv");
    EXPECT_NE(
        report.find(
            "\"Zorvane\\Net\\Fenlake Gigabit, 5120\\oem3.inf\",damaged in the backup,,,,fnl.sys differs "
            "from the backup report,\r\n"),
        std::string::npos)
        << report;
    EXPECT_NE(
        report.find(
            "\"Zorvane\\Net\\Fenlake Gigabit, 5120\\oem14.inf\\oem14.inf\",damaged in the backup,,,,\"its "
            "base driver Net\\Fenlake Gigabit, 5120 is damaged in the backup: fnl.sys differs from "
            "the backup report\",\r\n"),
        std::string::npos)
        << report;
}

// Reports of earlier versions have no Folder and ID columns: the folder is formed again
// from class and description, and the backup verifies as before.
TEST(CommandLine, AReportOfTheEarlierFormatStillVerifies) {
    Cli m;
    m.accept();
    (void)m.run("/backup D:\\Backup /id " + kNet + "\\0000");
    const std::string path = "D:\\Backup\\Zorvane\\backup-report.csv";
    std::string old;
    for (std::vector<std::string> row : CsvRows(m.file(path))) {
        ASSERT_EQ(row.size(), static_cast<std::size_t>(kReportColumns));
        row.resize(10);
        for (std::size_t i = 0; i < row.size(); ++i)
            old += (i ? "," : "") + CsvField(row[i], EdgeBlanks::Quoted);
        old += "\r\n";
    }
    ASSERT_EQ(old.find("Folder"), std::string::npos);
    m.p.files.addFile(path, old);
    m.console.out.clear();
    EXPECT_EQ(m.run("/verify D:\\Backup"), cli::kExitDone);
    EXPECT_NE(m.console.out.find("Net\\Fenlake Gigabit, 5120: intact, 4 files\r\n"), std::string::npos)
        << m.console.out;
    m.p.files.addFile("D:\\Backup\\Zorvane\\Net\\Fenlake Gigabit, 5120\\fnl.dll", "fnl dlL");
    EXPECT_EQ(m.run("/verify D:\\Backup"), cli::kExitDoneWithFailures);
}

TEST(CommandLine, ARestoreWithoutFailuresIsCodeZero) {
    Cli m;
    m.p.files.addFile("D:\\Backup\\a.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    EXPECT_EQ(m.run("/restore D:\\Backup /accept"), cli::kExitDone);
}

}  // namespace
}  // namespace zv
