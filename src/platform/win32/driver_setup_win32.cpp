// The driver store, the devices present and the driver installer, over setupapi and
// newdev, and the running Windows' architecture.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/factories.h"
#include "platform/win32/setupapi_calls.h"
#include "platform/win32/system_library.h"

namespace zv::win32 {
namespace {

// SetupGetInfDriverStoreLocationA exists from Vista on; Windows XP and Wine 8 do not export
// it, so it is looked up at run time and its absence means "no package known".
using GetLocationFn = BOOL(WINAPI*)(PCSTR, const void*, PCSTR, PSTR, DWORD, PDWORD);
using UpdateDriverFn = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);
using DiInstallDriverFn = BOOL(WINAPI*)(HWND, LPCSTR, DWORD, PBOOL);

// newdev.dll is loaded on first use and kept: it is not there on every system, and a
// program that imported it would not start where it is missing. From the system folder
// only: a newdev.dll beside the program would otherwise run as administrator.
template <class Fn>
Fn NewdevProc(const char* name) {
    return SystemProc<Fn>("newdev.dll", name);
}

class Win32DriverSetup final : public IDriverSetup {
public:
    Dword GetLastError() const override { return m_lastError; }

    bool GetInfDriverStoreLocation(const std::string& infPath, std::string* storeInf) override {
        static const auto getLocation = Setupapi<GetLocationFn>("SetupGetInfDriverStoreLocationA");
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
        static const std::uint16_t native = NativeArchitecture();
        return native;
    }

    bool CopyOEMInf(const std::string& source, Dword mediaType, Dword style,
                    std::string* destination) override {
        static const auto copyOemInf = Setupapi<decltype(&::SetupCopyOEMInfA)>("SetupCopyOEMInfA");
        if (destination) destination->clear();
        if (!copyOemInf) return fail(ERROR_PROC_NOT_FOUND);
        char dest[1024] = {};
        DWORD needed = 0;
        BOOL ok = copyOemInf(source.c_str(), nullptr, mediaType, style, dest, sizeof dest, &needed, nullptr);
        DWORD error = ok ? 0 : ::GetLastError();
        // Wine 8's ANSI call reports every failure as "insufficient buffer" when it is given a
        // buffer for the name (it converts the name it does not have). Without a buffer it
        // gives the real reason. No store path comes near the buffer's size.
        if (!ok && error == ERROR_INSUFFICIENT_BUFFER) {
            ok = copyOemInf(source.c_str(), nullptr, mediaType, style, nullptr, 0, nullptr, nullptr);
            error = ok ? 0 : ::GetLastError();
            dest[0] = '\0';
        }
        m_lastError = error;
        // The store's name is filled in for an INF that is there already too.
        if (destination && (ok || error == ERROR_FILE_EXISTS)) *destination = dest;
        return ok != FALSE;
    }

    bool PresentDeviceIds(std::vector<std::string>* ids) override {
        DWORD error = 0;
        const bool listed = ForEachDevice(
            DIGCF_PRESENT,
            [&](HDEVINFO set, SP_DEVINFO_DATA& device) {
                for (DWORD property : {SPDRP_HARDWAREID, SPDRP_COMPATIBLEIDS})
                    for (std::string& id : DeviceStrings(set, device, property))
                        ids->push_back(std::move(id));
            },
            &error);
        m_lastError = error;
        return listed;
    }

    bool InstallOnDevices(const std::string& hardwareId, const std::string& infPath,
                          bool* rebootNeeded) override {
        BOOL reboot = FALSE;
        BOOL ok = FALSE;
        DWORD error = ERROR_PROC_NOT_FOUND;
        if (static const auto update = NewdevProc<UpdateDriverFn>("UpdateDriverForPlugAndPlayDevicesA");
            update) {
            // No INSTALLFLAG_FORCE: a driver that is not better than the device's own is left out.
            ok = update(nullptr, hardwareId.c_str(), infPath.c_str(), 0, &reboot);
            error = ok ? 0 : ::GetLastError();
        } else if (static const auto install = NewdevProc<DiInstallDriverFn>("DiInstallDriverA"); install) {
            ok = install(nullptr, infPath.c_str(), 0, &reboot);
            error = ok ? 0 : ::GetLastError();
        }
        if (rebootNeeded) *rebootNeeded = reboot != FALSE;
        m_lastError = error;
        return ok != FALSE;
    }

private:
    bool fail(DWORD error) {
        m_lastError = error;
        return false;
    }

    Dword m_lastError = 0;
};

}  // namespace

std::unique_ptr<IDriverSetup> MakeDriverSetup() {
    return std::make_unique<Win32DriverSetup>();
}

}  // namespace zv::win32
