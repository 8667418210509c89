#include <gtest/gtest.h>

#include <string>

#include "cli/cli_run.h"
#include "cli/command_line.h"
#include "fakes/fake_console.h"
#include "fakes/fake_platform.h"
#include "unit/hive/hive_test_support.h"

namespace zv {
namespace {

using hive::testing::HiveBytes;

const std::string kConfig = "D:\\Windows\\System32\\config";

// This PC with a driver of its own, and another Windows on D: whose hives are the test hives.
struct Offline {
    fakes::FakePlatform p;
    fakes::FakeConsole console;

    Offline() {
        const std::string live =
            "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000";
        p.registry.setString(kHkeyLocalMachine, live, "DriverDesc", "Live driver");
        p.registry.setString(kHkeyLocalMachine, live, "ProviderName", "Acme");
        p.devices.devices = {{"{4d36e968-e325-11ce-bfc1-08002be10318}\\0001", "This PC's card", true, {}}};
        p.files.addDrive('D');
        p.files.addFolder("D:\\Windows");
        p.files.addFolder("D:\\Windows\\System32");
        p.files.addFolder(kConfig);
        p.files.addFolder("D:\\Data");
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
        {"/backup D:\\Out /offline D:\\", "SYSTEM", nullptr, cli::kExitBadArguments,
         "Error: /offline belongs to /list."},
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
    }
}

}  // namespace
}  // namespace zv
