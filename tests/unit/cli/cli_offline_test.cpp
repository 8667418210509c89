#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cli/cli_run.h"
#include "cli/command_line.h"
#include "fakes/fake_console.h"
#include "fakes/fake_platform.h"
#include "support/text.h"
#include "unit/hive/hive_test_support.h"

namespace zv {
namespace {

using hive::testing::HiveBytes;

const std::string kConfig = hive::testing::kOtherConfig;

// hive::testing::AddTwoWindows, through the command line.
struct Offline {
    fakes::FakePlatform p;
    fakes::FakeConsole console;

    Offline() {
        hive::testing::AddTwoWindows(p);
        p.devices.devices = {{"{4d36e968-e325-11ce-bfc1-08002be10318}\\0001", "This PC's card", true, {}}};
    }
    int run(const std::string& line) {
        console.commandLine = "Zorvane.exe " + line;
        return cli::RunCommandLine(p.os, console, cli::SplitCommandLine(console.CommandLine()));
    }
};

TEST(OfflineList, ListsTheDriversOfTheControlSetTheOtherWindowsRuns) {
    for (const char* folder : {"D:\\", "D:\\Windows"}) {
        SCOPED_TRACE(folder);
        Offline m;
        m.p.files.addFile(kConfig + "\\SYSTEM", HiveBytes("SYSTEM"));
        m.p.files.addFile(kConfig + "\\DRIVERS", HiveBytes("DRIVERS"));
        EXPECT_EQ(m.run(std::string("/list /csv /offline ") + folder), cli::kExitDone) << m.console.err;
        EXPECT_NE(m.console.out.find(
                      "Pixelwerk GX,Display adapters,Pixelwerk,{4d36e968-e325-11ce-bfc1-08002be10318}"
                      "\\0001,Display,oem3.inf,31.0.15.1,5-17-2024,(no device),\r\n"),
                  std::string::npos)
            << m.console.out;
        EXPECT_NE(m.console.out.find("Chipset E"), std::string::npos);
        EXPECT_EQ(m.console.out.find("Decoy driver"), std::string::npos);   // ControlSet001
        EXPECT_EQ(m.console.out.find("Live driver"), std::string::npos);    // this PC's own
        EXPECT_EQ(m.console.out.find("Basic display"), std::string::npos);  // Microsoft's, without /microsoft
        EXPECT_EQ(m.console.err,
                  "Note: 1 registry name is left out: this Windows' code page cannot hold it unchanged.\r\n");
    }
}

TEST(OfflineList, ADirtyHiveIsListedWithANote) {
    Offline m;
    m.p.files.addFile(kConfig + "\\SYSTEM", HiveBytes("BADSUM"));
    EXPECT_EQ(m.run("/list /offline D:\\"), cli::kExitDone);
    EXPECT_EQ(m.console.err.find("Note: the registry of D:\\Windows was not closed cleanly"), 0u)
        << m.console.err;
    // A backup from a dirty hive says so in its report too.
    std::string dirty = HiveBytes("SYSTEM");
    dirty[0x1FC] = static_cast<char>(dirty[0x1FC] ^ 1);  // the base block's checksum
    m.p.files.addFile(kConfig + "\\SYSTEM", dirty);
    m.p.files.addFile("D:\\Windows\\INF\\oem3.inf", "[Version]\r\n");
    (void)m.run("/backup E:\\Out /id {4d36e968-e325-11ce-bfc1-08002be10318}\\0001 /offline D:\\ /accept");
    const std::optional<std::string> report = m.p.files.contents("E:\\Out\\Zorvane\\backup-report.csv");
    ASSERT_TRUE(report) << m.console.err << m.console.out;
    EXPECT_NE(report->find(", registry not closed cleanly\"\r\n"), std::string::npos) << *report;
}

TEST(OfflineList, WhatIsNoWindowsOrNoWholeHiveEndsWithAMessageAndItsCode) {
    struct Case {
        const char* line;
        const char* system;   // the test hive SYSTEM holds, or null for none
        const char* drivers;  // not null: DRIVERS holds what is no hive at all
        int code;
        const char* message;
    };
    const Case cases[] = {
        {"/list /offline D:\\Data", "SYSTEM", nullptr, cli::kExitBadArguments,
         "D:\\Data is not a Windows installation: neither it nor D:\\Data\\Windows holds System32\\config."},
        {"/list /offline D:\\", nullptr, nullptr, cli::kExitNothingDone,
         "D:\\Windows holds no registry hive D:\\Windows\\System32\\config\\SYSTEM."},
        {"/list /offline D:\\", "TRUNCATED", nullptr, cli::kExitNothingDone,
         "The registry hive D:\\Windows\\System32\\config\\SYSTEM is cut short (truncated)"},
        {"/list /offline D:\\", "SYSTEM", "", cli::kExitNothingDone,
         "The registry hive D:\\Windows\\System32\\config\\DRIVERS is not a registry hive"},
        {"/list /offline D:\\", "NOSET", nullptr, cli::kExitNothingDone,
         "The registry hive D:\\Windows\\System32\\config\\SYSTEM has no ControlSet003, the control set its "
         "Select\\Current names."},
        {"/backup D:\\Out /offline D:\\ /accept", "SYSTEM", nullptr, cli::kExitBadArguments,
         "The backup cannot go to D:, the drive of D:\\Windows: nothing is written to the disk"},
        {"/backup E:\\Out /offline D:\\Data /accept", "SYSTEM", nullptr, cli::kExitBadArguments,
         "D:\\Data is not a Windows installation"},
        {"/backup E:\\Out /offline D:\\ /accept", "CYCLE", nullptr, cli::kExitNothingDone,
         "The registry hive D:\\Windows\\System32\\config\\SYSTEM "},
        {"/backup E:\\Out /offline D:\\ /accept", "NOSET", nullptr, cli::kExitNothingDone,
         "The registry hive D:\\Windows\\System32\\config\\SYSTEM has no ControlSet003"},
        {"/verify D:\\Out /offline D:\\", "SYSTEM", nullptr, cli::kExitBadArguments,
         "Error: /offline belongs to /list and /backup."},
        {"/list /offline", "SYSTEM", nullptr, cli::kExitBadArguments,
         "Error: /offline needs the other Windows' folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Offline m;
        if (c.system) m.p.files.addFile(kConfig + "\\SYSTEM", HiveBytes(c.system));
        if (c.drivers) m.p.files.addFile(kConfig + "\\DRIVERS", "MZ not a hive");
        EXPECT_EQ(m.run(c.line), c.code);
        EXPECT_EQ(m.console.err.find(c.message), 0u) << m.console.err;
        EXPECT_TRUE(m.console.out.empty());
        EXPECT_FALSE(m.p.files.exists("D:\\Out") || m.p.files.exists("E:\\Out"));
    }
}

// The other Windows' INF, store package and installed file, never this PC's; its disk is
// only read, setupapi is never asked about it, and the report names it.
TEST(OfflineBackup, CopiesFromTheOtherWindowsAndWritesNothingThere) {
    Offline m;
    m.p.files.addFile(kConfig + "\\SYSTEM", HiveBytes("SYSTEM"));
    m.p.files.addFile(kConfig + "\\SOFTWARE", HiveBytes("SOFTWARE"));
    const std::string inf =
        "[Version]\r\nProvider=Pixelwerk\r\nCatalogFile=px.cat\r\n[SourceDisksFiles]\r\npx.sys=1\r\n";
    m.p.files.addFile("D:\\Windows\\INF\\oem3.inf", inf);
    m.p.files.addFile("D:\\Windows\\INF\\oem1.inf", "decoy");
    m.p.files.addFile("D:\\Windows\\System32\\drivers\\px.sys", "offline px.sys");
    const std::string store = "D:\\Windows\\System32\\DriverStore\\FileRepository\\px.inf_amd64_0123\\";
    m.p.files.addFile(store + "px.inf", inf);
    m.p.files.addFile(store + "px.cat", "offline catalog");
    // A package the hive does not mention: listed by its INF's name, backed up when ticked.
    const std::string orphan = "D:\\Windows\\System32\\DriverStore\\FileRepository\\orphan.inf_amd64_99\\";
    m.p.files.addFile(
        orphan + "orphan.inf",
        "[Version]\r\nClass=Net\r\nProvider=%P%\r\nDriverVer=01/02/2024,1.2.3.4\r\n[Strings]\r\nP=Acme\r\n");
    m.p.files.addFile(orphan + "sub\\orphan.sys", "orphan.sys");
    m.p.files.addFile("C:\\WINDOWS\\INF\\oem3.inf", "this PC's oem3.inf");
    m.p.files.addFile("C:\\WINDOWS\\system32\\drivers\\px.sys", "this PC's px.sys");
    m.p.setup.setLocation("D:\\Windows\\INF\\oem3.inf", "C:\\WINDOWS\\System32\\DriverStore\\x\\px.inf");
    EXPECT_EQ(m.run("/list /csv /offline D:\\"), cli::kExitDone);
    EXPECT_NE(
        m.console.out.find("\r\norphan.inf,,Acme,orphan.inf_amd64_99,Net,orphan.inf,1.2.3.4,01/02/2024,(no "
                           "device),\r\n"),
        std::string::npos)
        << m.console.out;
    EXPECT_EQ(m.console.out.find("px.inf_amd64_0123"), std::string::npos);  // oem3.inf's package
    m.console.out.clear();
    m.p.files.log.clear();

    EXPECT_EQ(m.run("/backup E:\\Out /id {4d36e968-e325-11ce-bfc1-08002be10318}\\0001 orphan.inf_amd64_99 "
                    "/offline D:\\ /accept"),
              cli::kExitDone)
        << m.console.err << m.console.out;
    const std::string folder = "E:\\Out\\Zorvane\\Display\\Pixelwerk GX\\";
    EXPECT_EQ(m.p.files.contents(folder + "oem3.inf"), inf);
    EXPECT_EQ(m.p.files.contents(folder + "px.inf"), inf);
    EXPECT_EQ(m.p.files.contents(folder + "px.cat"), "offline catalog");
    EXPECT_EQ(m.p.files.contents(folder + "px.sys"), "offline px.sys");
    EXPECT_EQ(m.p.files.contents("E:\\Out\\Zorvane\\Net\\orphan.inf_amd64_99\\sub\\orphan.sys"),
              "orphan.sys");
    EXPECT_TRUE(m.p.setup.asked.empty());
    for (const std::string& call : m.p.files.log) {
        const bool writes = call.rfind("CreateDirectory ", 0) == 0 || call.rfind("OpenForWrite ", 0) == 0 ||
                            call.rfind("DeleteFile ", 0) == 0 || call.rfind("SetFileAttributes ", 0) == 0 ||
                            call.rfind("CopyFile ", 0) == 0;
        const std::string target = call.substr(call.find_last_of(" >") + 1);
        EXPECT_FALSE(writes && ToLower(target).rfind("d:\\windows", 0) == 0) << call;
    }
    const std::string report = *m.p.files.contents("E:\\Out\\Zorvane\\backup-report.csv");
    const std::string last = "\r\n\"Backed up from another Windows: D:\\Windows, build 19045, amd64\"\r\n";
    EXPECT_EQ(report.substr(report.size() - std::min(report.size(), last.size())), last) << report;
    EXPECT_NE(m.console.out.find("Its drivers are those of D:\\Windows, build 19045, amd64"),
              std::string::npos);
}

}  // namespace
}  // namespace zv
