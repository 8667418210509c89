// The driver store's package of a published INF, through setupapi, and the running
// Windows' architecture.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/win32/factories.h"

namespace zv::win32 {
namespace {

// SetupGetInfDriverStoreLocationA exists from Vista on; Windows XP and Wine 8 do not export
// it, so it is looked up at run time and its absence means "no package known".
using GetLocationFn = BOOL(WINAPI*)(PCSTR, const void*, PCSTR, PSTR, DWORD, PDWORD);

GetLocationFn ResolveGetLocation() {
    // From the system folder by its full path: a setupapi.dll planted beside the program
    // (on the same stick as a backup, say) must never be the one loaded.
    char system[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryA(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::string path = std::string(system, n) + "\\setupapi.dll";
    HMODULE setupapi = ::LoadLibraryA(path.c_str());
    if (!setupapi) return nullptr;
    FARPROC p = ::GetProcAddress(setupapi, "SetupGetInfDriverStoreLocationA");
    return reinterpret_cast<GetLocationFn>(reinterpret_cast<void (*)()>(p));
}

class Win32DriverSetup final : public IDriverSetup {
public:
    bool GetInfDriverStoreLocation(const std::string& infPath, std::string* storeInf) override {
        static const GetLocationFn getLocation = ResolveGetLocation();
        if (!getLocation) return false;
        std::string buffer(MAX_PATH, '\0');
        DWORD needed = 0;
        if (!getLocation(infPath.c_str(), nullptr, nullptr, buffer.data(), static_cast<DWORD>(buffer.size()),
                         &needed)) {
            // Long paths are rare but legal in the store; anything past 32K is no path.
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0 || needed > 32768) return false;
            buffer.assign(needed, '\0');
            if (!getLocation(infPath.c_str(), nullptr, nullptr, buffer.data(), needed, &needed)) return false;
        }
        buffer.resize(std::strlen(buffer.c_str()));
        if (buffer.empty()) return false;
        *storeInf = buffer;
        return true;
    }

    std::uint16_t NativeProcessorArchitecture() override {
        SYSTEM_INFO info{};
        ::GetNativeSystemInfo(&info);
        return info.wProcessorArchitecture;
    }
};

}  // namespace

std::unique_ptr<IDriverSetup> MakeDriverSetup() {
    return std::make_unique<Win32DriverSetup>();
}

}  // namespace zv::win32
