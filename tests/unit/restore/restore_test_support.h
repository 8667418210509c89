#pragma once
// A machine for restore tests: an empty Windows INF folder and catalog store, a backup
// folder on D:, the driver store over the fake file system, and the window's controls.
#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "restore/restore_run.h"

namespace zv::testing_restore {

inline const std::string kInfFolder = "C:\\WINDOWS\\inf";
inline const std::string kStore = "C:\\WINDOWS\\system32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";
inline const std::string kBackup = "D:\\Drivers";

// An INF of a Windows NT signature; catalog and model lines only when given.
inline std::string Inf(const std::string& catalog, const std::vector<std::string>& hardwareIds = {},
                       const std::string& extra = "") {
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\n";
    if (!catalog.empty()) text += "CatalogFile=" + catalog + "\r\n";
    if (!hardwareIds.empty()) {
        text += "\r\n[Manufacturer]\r\n%Maker%=Models,NTx86\r\n\r\n[Models.NTx86]\r\n%Dev%=Install";
        for (const auto& id : hardwareIds) text += ", " + id;
        text += "\r\n";
    }
    return text + extra + "\r\n[Strings]\r\nMaker=\"Maker\"\r\nDev=\"Device\"\r\n";
}

struct Machine {
    fakes::FakePlatform p;
    fakes::FakeControls c;
    fakes::FakeDriverSetup& setup = p.setup;

    Machine() {
        p.files.addDrive('D');
        p.files.addFolder(kInfFolder);
        p.files.addFolder(kStore);
        p.files.addFolder(kBackup);
    }
    // A driver folder of the backup with its INF and, when named, its catalog.
    void driver(const std::string& folder, const std::string& inf, const std::string& text,
                const std::string& catalog = "") {
        p.files.addFile(kBackup + "\\" + folder + "\\" + inf, text);
        if (!catalog.empty()) p.files.addFile(kBackup + "\\" + folder + "\\" + catalog, "catalog of " + inf);
    }
    restore::Summary run(const std::string& folder = kBackup, bool confirm = true) {
        restore::Options o;
        o.confirm = confirm;
        return restore::RestoreFolder(p.env, c.controls, folder, o);
    }
    [[nodiscard]] std::string file(const std::string& path) const {
        return p.files.contents(path).value_or("<none>");
    }
};

}  // namespace zv::testing_restore
