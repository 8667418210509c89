#pragma once
// One of every fake, bundled as the Platform the modules take, with an error
// reporter and application values: what a host test hands to the code under test.
#include "fakes/fake_devices.h"
#include "fakes/fake_driver_setup.h"
#include "fakes/fake_file_data.h"
#include "fakes/fake_filesystem.h"
#include "fakes/fake_internet.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_profile.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_signatures.h"
#include "fakes/fake_system.h"
#include "fakes/fake_ui.h"
#include "support/env.h"

namespace zv::fakes {

struct FakePlatform {
    // The running program is a file like any other: a backup copies it.
    FakePlatform() { files.addFile(system.programPath, "MZ the program"); }

    FakeRegistry registry;
    FakeFileSystem files;
    FakeProfile profile{files};
    FakeSystem system;
    FakeInternet internet;
    FakeShell shell;
    FakeUi ui;
    FakeDriverSetup setup{files};
    FakeFileData data{files};
    FakeLocale locale;
    FakeDevices devices;
    FakeSignatures signatures{files};
    Platform os{registry, profile, system, files,  internet, shell,
                ui,       setup,   data,   locale, devices,  signatures};
    ModError::Reporter errors{ui};
    AppValues app{"Zorvane", "1.03", "SOFTWARE\\FI", "http://updates.example/AppVersions/ZorvaneVersion.txt"};
    Env env{os, errors, app};

    // The error reports shown so far (message boxes titled "Error").
    [[nodiscard]] std::vector<ShownMessage> reports() const {
        std::vector<ShownMessage> out;
        for (const auto& m : ui.shown)
            if (m.title == "Error") out.push_back(m);
        return out;
    }
};

}  // namespace zv::fakes
