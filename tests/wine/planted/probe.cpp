// Lies beside a planted newdev.dll and asks the restore's installer seam for a driver
// install, which loads newdev.dll. Exit code 0: the system's newdev.dll (or none) was
// loaded; 1: the planted one; 2: the probe could not tell.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/factories.h"
#include "support/paths.h"

namespace {

std::string ModulePath(HMODULE m) {
    char buffer[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameA(m, buffer, MAX_PATH);
    return std::string(buffer, n);
}

}  // namespace

int main() {
    const std::string own = zv::FolderOf(ModulePath(nullptr));
    if (::GetFileAttributesA((own + "\\newdev.dll").c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("no planted newdev.dll beside %s\n", own.c_str());
        return 2;
    }
    auto setup = zv::win32::MakeDriverSetup();
    bool reboot = false;
    (void)setup->InstallOnDevices("ZV\\NO_SUCH_DEVICE", own + "\\none.inf", &reboot);
    HMODULE loaded = ::GetModuleHandleA("newdev.dll");
    const std::string path = loaded ? ModulePath(loaded) : "(none)";
    std::printf("newdev.dll loaded from %s\n", path.c_str());
    return loaded && _stricmp(zv::FolderOf(path).c_str(), own.c_str()) == 0 ? 1 : 0;
}
