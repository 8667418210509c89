#pragma once
// A machine for backup-run tests: a Windows folder with its INF folder and catalog
// store in the fake file system, a D: drive to back up to, and the driver list.
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_run.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "inventory/ReadDrivers.h"

namespace zv::testing_backup {

inline const std::string kWin = "C:\\WINDOWS";
inline const std::string kSys = "C:\\WINDOWS\\system32";
inline const std::string kStore = "C:\\WINDOWS\\system32\\CatRoot";
inline const std::string kRoot = "D:\\Backup\\Zorvane";

struct Machine {
    fakes::FakePlatform p;
    fakes::FakeControls c;
    std::vector<DriverRecord> records;  // behind the list's rows, as ReadDrivers leaves them
    backup::BackupResult result;        // of the last run

    Machine() {
        p.files.addDrive('D');
        p.files.addFolder("D:\\Backup");
        p.files.addFolder(kWin + "\\inf");
        p.files.addFolder(kSys + "\\drivers");
        p.files.addFolder(kStore + "\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}");
    }

    void driver(const std::string& description, const std::string& className, const std::string& inf,
                bool ticked = true) {
        c.list.addDriver(description, className, inf, ticked);
        DriverRecord r;
        r.description = description;
        r.className = className;
        r.infName = inf;
        r.id = "{" + className + "}\\000" + std::to_string(records.size());
        records.push_back(r);
    }
    // An INF in the INF folder; empty catalog or id leave the key out.
    void inf(const std::string& name, const std::string& catalog, const std::string& destDir,
             const std::vector<std::string>& sources) {
        std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
        if (!catalog.empty()) text += "CatalogFile=" + catalog + "\r\n";
        text += "\r\n[DestinationDirs]\r\n";
        if (!destDir.empty()) text += "DefaultDestDir = " + destDir + "\r\n";
        text += "\r\n[SourceDisksFiles]\r\n";
        for (const auto& s : sources) text += s + " = 1,,\r\n";
        p.files.addFile(kWin + "\\inf\\" + name, text);
    }
    void run(std::optional<std::string> chosen = std::string("D:\\Backup")) {
        p.shell.queueFolder(std::move(chosen));
        result = backup::Run(p.env, c.controls, ShownDrivers(c.list, records));
    }
    [[nodiscard]] std::string file(const std::string& path) const {
        return p.files.contents(path).value_or("<none>");
    }
    [[nodiscard]] std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const auto& m : p.ui.shown) out.push_back(m.title);
        return out;
    }
    // The log entries of one call, paths as the run gave them.
    [[nodiscard]] std::vector<std::string> calls(const std::string& call) const {
        std::vector<std::string> out;
        for (const auto& l : p.files.log)
            if (l.rfind(call + " ", 0) == 0) out.push_back(l.substr(call.size() + 1));
        return out;
    }
};

}  // namespace zv::testing_backup
