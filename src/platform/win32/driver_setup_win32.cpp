// The driver store's package of a published INF, through setupapi, and the running
// Windows' architecture.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/win32/factories.h"
#include "platform/win32/system_library.h"

namespace zv::win32 {
namespace {

// SetupGetInfDriverStoreLocationA exists from Vista on; Windows XP and Wine 8 do not export
// it, so it is looked up at run time and its absence means "no package known".
using GetLocationFn = BOOL(WINAPI*)(PCSTR, const void*, PCSTR, PSTR, DWORD, PDWORD);

GetLocationFn ResolveGetLocation() {
    // From the system folder: a setupapi.dll planted beside the program (on the same stick
    // as a backup, say) must never be the one loaded.
    HMODULE setupapi = LoadSystemLibrary("setupapi.dll");
    if (!setupapi) return nullptr;
    FARPROC p = ::GetProcAddress(setupapi, "SetupGetInfDriverStoreLocationA");
    return reinterpret_cast<GetLocationFn>(reinterpret_cast<void (*)()>(p));
}

using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);

// IsWow64Process2 (Windows 10 1511 on) tells the machine's own processor; on ARM64 Windows
// GetNativeSystemInfo answers an emulated x86 or x64 process with the emulated one.
std::uint16_t ReadNativeArchitecture() {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto isWow64Process2 = reinterpret_cast<IsWow64Process2Fn>(
        reinterpret_cast<void (*)()>(kernel ? ::GetProcAddress(kernel, "IsWow64Process2") : nullptr));
    USHORT process = 0, machine = 0;
    if (isWow64Process2 && isWow64Process2(::GetCurrentProcess(), &process, &machine)) {
        switch (machine) {
            case 0x8664: return kProcessorArchitectureAmd64;  // IMAGE_FILE_MACHINE_AMD64
            case 0xAA64: return kProcessorArchitectureArm64;  // IMAGE_FILE_MACHINE_ARM64
            case 0x01C4: return kProcessorArchitectureArm;    // IMAGE_FILE_MACHINE_ARMNT
            case 0x014C: return kProcessorArchitectureIntel;  // IMAGE_FILE_MACHINE_I386
            default: break;                                   // unknown: ask the older call
        }
    }
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
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
        static const std::uint16_t native = ReadNativeArchitecture();
        return native;
    }
};

}  // namespace

std::unique_ptr<IDriverSetup> MakeDriverSetup() {
    return std::make_unique<Win32DriverSetup>();
}

}  // namespace zv::win32
