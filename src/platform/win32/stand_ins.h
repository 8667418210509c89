#pragma once
// TEMPORARY: failing stand-ins for seams whose real implementation has not
// landed yet, so that the program starts at all. Each real factory that returns
// an object makes its stand-in unused; delete this file when none is left.
#include <memory>

#include "platform/platform.h"

namespace zv::win32::temporary {

std::unique_ptr<IRegistry> FailingRegistry();
std::unique_ptr<IProfile> FailingProfile();
std::unique_ptr<ISystem> MinimalSystem();
std::unique_ptr<IFileSystem> FailingFileSystem();
std::unique_ptr<IInternet> FailingInternet();
std::unique_ptr<IShell> FailingShell();

}  // namespace zv::win32::temporary
