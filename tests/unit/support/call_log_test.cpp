// The timing log passes every call through unchanged and counts each where it was made.
#include "support/call_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "cli/cli_run.h"
#include "cli/command_line.h"
#include "fakes/fake_console.h"
#include "fakes/fake_platform.h"

namespace zv {
namespace {

const std::string kClass = "SYSTEM\\CurrentControlSet\\Control\\Class";
const std::string kNet = "{5a1f0001-7c3e-4b1a-9d2f-0e5b8c6a1001}";
const std::string kWin = "C:\\WINDOWS";
const std::string kSys = "C:\\WINDOWS\\system32";

// Three drivers, one of them with a file that is missing, and the agreement accepted.
struct Machine {
    fakes::FakePlatform p;
    fakes::FakeConsole console;

    Machine() {
        p.files.addDrive('D');
        p.files.addFolder(kWin + "\\inf");
        p.files.addFolder(kSys + "\\drivers");
        p.files.addFolder(kSys + "\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}");
        p.registry.createKey(kHkeyLocalMachine, kClass + "\\" + kNet);
        p.registry.setString(kHkeyLocalMachine, kClass + "\\" + kNet, "Class", "Net");
        for (const char* n : {"0", "1", "2"}) {
            const std::string path = kClass + "\\" + kNet + "\\000" + n;
            p.registry.createKey(kHkeyLocalMachine, path);
            p.registry.setString(kHkeyLocalMachine, path, "DriverDesc", std::string("Adapter ") + n);
            p.registry.setString(kHkeyLocalMachine, path, "ProviderName", "Fenlake");
            p.registry.setString(kHkeyLocalMachine, path, "InfPath", std::string("oem") + n + ".inf");
            p.files.addFile(kWin + "\\inf\\oem" + n + ".inf",
                            std::string("[Version]\r\nSignature=\"$Windows NT$\"\r\n[DestinationDirs]\r\n"
                                        "DefaultDestDir=12\r\n[SourceDisksFiles]\r\nf") +
                                n + ".sys=1\r\nlost.dll=1\r\n");
            p.files.addFile(kSys + "\\drivers\\f" + n + ".sys", std::string("driver ") + n);
        }
        p.registry.setString(kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime", "No");
        console.commandLine = "Zorvane.exe /backup D:\\Backup /all";
    }
    std::vector<std::u16string> args() { return cli::SplitCommandLine(console.CommandLine()); }
    [[nodiscard]] long logged(const std::string& call) const {
        return std::count_if(p.files.log.begin(), p.files.log.end(),
                             [&](const std::string& l) { return l.rfind(call + " ", 0) == 0; });
    }
};

// The calls of that name the log counted, over all its parts.
long Counted(const std::string& text, const std::string& call) {
    long sum = 0;
    const std::regex line("\\n  " + call + " +([0-9]+) calls");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it)
        sum += std::stol((*it)[1]);
    return sum;
}

TEST(CallLog, ABackupThroughItDoesAndWritesWhatItDoesWithoutAndItsCallsAreCounted) {
    Machine plain, logged;
    const int plainCode = cli::RunCommandLine(plain.p.os, plain.console, plain.args());
    CallLog log(logged.p.os, logged.console);
    const int loggedCode = cli::RunCommandLine(log.platform(), log.console(), logged.args());

    EXPECT_EQ(loggedCode, plainCode);
    EXPECT_EQ(plainCode, 1);  // lost.dll is missing: the run says so with its exit code
    EXPECT_EQ(logged.console.out, plain.console.out);
    EXPECT_EQ(logged.console.err, plain.console.err);
    // The same calls with the same arguments, in the same order: nothing added, nothing lost.
    EXPECT_EQ(logged.p.files.log, plain.p.files.log);
    const auto report = [](const Machine& m) {
        return m.p.files.contents("D:\\Backup\\Zorvane\\backup-report.csv");
    };
    ASSERT_TRUE(report(plain).has_value());
    EXPECT_EQ(report(logged), report(plain));

    const std::string text = log.text(12.5);
    EXPECT_NE(text.find("the process ran 12.5 ms before it began"), std::string::npos) << text;
    for (const char* call : {"GetFileAttributes", "CreateDirectory", "FindFiles", "OpenForWrite"})
        EXPECT_EQ(Counted(text, call), logged.logged(call)) << call << "\n" << text;
    EXPECT_GT(Counted(text, "CopyFileHashed"), 3);
    EXPECT_GT(Counted(text, "RegQueryValueEx"), 0);
    EXPECT_EQ(Counted(text, "ListDevices"), 1);
    // The notice of the first message box, the three drivers' lines and the last box's, then
    // the report's and the folder's: the parts follow them.
    EXPECT_NE(
        text.find("\nup to the first line (Please be aware that some providers require you to use their): "),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("\nthen 4 lines: "), std::string::npos) << text;
    EXPECT_NE(text.find("\nthen up to the line The report is D:\\Backup\\Zorvane\\backup-report.csv: "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nthen up to the line The backup is in D:\\Backup\\Zorvane: "), std::string::npos);
    EXPECT_NE(text.find("\nafter the last line: "), std::string::npos);
}

TEST(CallLog, ACommandThatWritesNoLineIsCountedWhole) {
    Machine m;
    m.console.commandLine = "Zorvane.exe /verify D:\\Nowhere";
    CallLog log(m.p.os, m.console);
    EXPECT_EQ(cli::RunCommandLine(log.platform(), log.console(), m.args()), 2);
    const std::string text = log.text(-1);
    EXPECT_EQ(text.rfind("the whole command (no line written): ", 0), 0u) << text;
    EXPECT_EQ(Counted(text, "GetFileAttributes"), 1) << text;
}

}  // namespace
}  // namespace zv
