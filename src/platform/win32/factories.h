#pragma once
// The real implementations of the seams.
#include <memory>

#include "platform/console.h"
#include "platform/platform.h"

namespace zv::win32 {

std::unique_ptr<IRegistry> MakeRegistry();
std::unique_ptr<IProfile> MakeProfile();
std::unique_ptr<ISystem> MakeSystem();
std::unique_ptr<IFileSystem> MakeFileSystem();
std::unique_ptr<IInternet> MakeInternet();
std::unique_ptr<IShell> MakeShell();
std::unique_ptr<IDriverSetup> MakeDriverSetup();
std::unique_ptr<IFileData> MakeFileData();
std::unique_ptr<ILocale> MakeLocale();
std::unique_ptr<IDevices> MakeDevices();
std::unique_ptr<ISignatures> MakeSignatures();
std::unique_ptr<IConsole> MakeConsole();

}  // namespace zv::win32
