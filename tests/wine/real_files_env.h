#pragma once
// The backup run's seams as a Wine test wants them: the real file system,
// profile files and folders; the registry, internet, shell and message boxes
// scripted; the main window's controls as plain models.
#include <memory>

#include "fakes/fake_controls.h"
#include "fakes/fake_devices.h"
#include "fakes/fake_internet.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_ui.h"
#include "platform/win32/factories.h"
#include "support/env.h"

namespace zv {

struct RealFilesEnv {
    std::unique_ptr<IFileSystem> files = win32::MakeFileSystem();
    std::unique_ptr<IProfile> profile = win32::MakeProfile();
    std::unique_ptr<ISystem> system = win32::MakeSystem();
    std::unique_ptr<IDriverSetup> setup = win32::MakeDriverSetup();
    std::unique_ptr<IFileData> data = win32::MakeFileData();
    std::unique_ptr<ILocale> locale = win32::MakeLocale();
    fakes::FakeDevices devices;
    std::unique_ptr<ISignatures> realSignatures = win32::MakeSignatures();
    ISignatures& signatures = *realSignatures;
    fakes::FakeRegistry registry;
    fakes::FakeInternet internet;
    fakes::FakeShell shell;
    fakes::FakeUi ui;
    Platform os{registry, *profile, *system, *files,  internet, shell,
                ui,       *setup,   *data,   *locale, devices,  signatures};
    ModError::Reporter errors{ui};
    AppValues app{"Zorvane", "1.03", "SOFTWARE\\FI", "http://127.0.0.1/AppVersions/ZorvaneVersion.txt"};
    Env env{os, errors, app};
    fakes::FakeControls c;
};

}  // namespace zv
