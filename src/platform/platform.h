#pragma once
// Everything the program asks of the operating system, bundled. Nothing reaches
// the OS around it.
#include "platform/devices.h"
#include "platform/driver_setup.h"
#include "platform/file_data.h"
#include "platform/filesystem.h"
#include "platform/internet.h"
#include "platform/locale.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/signatures.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace zv {

struct Platform {
    IRegistry& registry;
    IProfile& profile;
    ISystem& system;
    IFileSystem& files;
    IInternet& internet;
    IShell& shell;
    IUi& ui;
    IDriverSetup& setup;
    IFileData& data;
    ILocale& locale;
    IDevices& devices;
    ISignatures& signatures;
};

}  // namespace zv
