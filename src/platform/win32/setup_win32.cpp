// Driver store and device installation over setupapi and newdev, and whole-file reads.
#include <windows.h>

#include <setupapi.h>

#include <atomic>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/factories.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"

namespace zv::win32 {
namespace {

using UpdateDriverFn = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);
using DiInstallDriverFn = BOOL(WINAPI*)(HWND, LPCSTR, DWORD, PBOOL);

// newdev.dll is loaded on first use and kept: it is not there on every system, and a
// program that imported it would not start where it is missing. From the system folder
// only: a newdev.dll beside the program would otherwise run as administrator.
template <class Fn>
Fn NewdevProc(const char* name) {
    return SystemProc<Fn>("newdev.dll", name);
}

// setupapi.dll only when a restore begins, not at every start.
template <class Fn>
Fn Setupapi(const char* name) {
    return SystemProc<Fn>("setupapi.dll", name);
}

// The ids of one property (REG_MULTI_SZ), appended to ids.
void AppendIds(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, std::vector<std::string>& ids) {
    static const auto getProperty =
        Setupapi<decltype(&::SetupDiGetDeviceRegistryPropertyA)>("SetupDiGetDeviceRegistryPropertyA");
    DWORD type = 0, size = 0;
    getProperty(set, &device, property, &type, nullptr, 0, &size);
    if (size == 0) return;
    std::vector<char> buffer(size + 2, '\0');
    if (!getProperty(set, &device, property, &type, reinterpret_cast<BYTE*>(buffer.data()), size, nullptr))
        return;
    if (type != REG_MULTI_SZ && type != REG_SZ) return;
    for (const char* p = buffer.data(); p < buffer.data() + size && *p; p += std::strlen(p) + 1)
        ids.emplace_back(p);
}

class Win32Setup final : public ISetup {
public:
    bool CopyOEMInf(const std::string& source, Dword mediaType, Dword style, std::string* destination,
                    Dword* lastError) override {
        static const auto copyOemInf = Setupapi<decltype(&::SetupCopyOEMInfA)>("SetupCopyOEMInfA");
        if (!copyOemInf) {
            if (lastError) *lastError = ERROR_PROC_NOT_FOUND;
            return false;
        }
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
        if (lastError) *lastError = error;
        // The store's name is filled in for an INF that is there already too.
        if (destination)
            *destination = (ok || error == ERROR_FILE_EXISTS) ? std::string(dest) : std::string();
        return ok != FALSE;
    }

    bool PresentDeviceIds(std::vector<std::string>* ids, Dword* lastError) override {
        static const auto getClassDevs = Setupapi<decltype(&::SetupDiGetClassDevsA)>("SetupDiGetClassDevsA");
        static const auto enumDevice = Setupapi<decltype(&::SetupDiEnumDeviceInfo)>("SetupDiEnumDeviceInfo");
        static const auto destroyList =
            Setupapi<decltype(&::SetupDiDestroyDeviceInfoList)>("SetupDiDestroyDeviceInfoList");
        if (!getClassDevs || !enumDevice || !destroyList ||
            !Setupapi<void (*)()>("SetupDiGetDeviceRegistryPropertyA")) {
            if (lastError) *lastError = ERROR_PROC_NOT_FOUND;
            return false;
        }
        HDEVINFO set = getClassDevs(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
        if (set == INVALID_HANDLE_VALUE) {
            if (lastError) *lastError = ::GetLastError();
            return false;
        }
        // setupapi is bound at run time, so the list's owner takes the bound destroy call.
        const std::unique_ptr<void, decltype(destroyList)> owner(set, destroyList);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        for (DWORD i = 0; enumDevice(set, i, &device); ++i) {
            AppendIds(set, device, SPDRP_HARDWAREID, *ids);
            AppendIds(set, device, SPDRP_COMPATIBLEIDS, *ids);
        }
        if (lastError) *lastError = 0;
        return true;
    }

    bool InstallOnDevices(const std::string& hardwareId, const std::string& infPath, bool* rebootNeeded,
                          Dword* lastError) override {
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
        if (lastError) *lastError = error;
        return ok != FALSE;
    }
};

class Win32FileContents final : public IFileContents {
public:
    bool ReadAll(const std::string& path, std::size_t limit, std::string* data, Dword* lastError) override {
        const UniqueFile h{::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (!h) return fail(::GetLastError(), lastError);
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(h.get(), &size)) return fail(::GetLastError(), lastError);
        if (static_cast<unsigned long long>(size.QuadPart) > limit)
            return fail(ERROR_NOT_ENOUGH_MEMORY, lastError);
        data->assign(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        const BOOL ok = data->empty() ||
                        ::ReadFile(h.get(), data->data(), static_cast<DWORD>(data->size()), &got, nullptr);
        const DWORD e = ok ? 0 : ::GetLastError();
        if (!ok) return fail(e, lastError);
        data->resize(data->empty() ? 0 : got);
        if (lastError) *lastError = 0;
        return true;
    }

private:
    static bool fail(DWORD e, Dword* lastError) {
        if (lastError) *lastError = e;
        return false;
    }
};

// Runs call on a worker and pumps messages until it is back. A message handler may
// end the program meanwhile (in tests: ProgramExit); the worker is joined first. What
// the worker throws is thrown again here, on the caller's thread, where the restore
// turns it into a failure of the driver at hand.
template <class Call>
void OffThread(IUi& ui, Call&& call) {
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });
    try {
        while (!done) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            ui.DoEvents();
        }
    } catch (...) {
        worker.join();
        throw;
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

class ResponsiveSetup final : public ISetup {
public:
    ResponsiveSetup(ISetup& inner, IUi& ui) : m_inner(inner), m_ui(ui) {}

    bool CopyOEMInf(const std::string& source, Dword mediaType, Dword style, std::string* destination,
                    Dword* lastError) override {
        bool ok = false;
        OffThread(m_ui, [&] { ok = m_inner.CopyOEMInf(source, mediaType, style, destination, lastError); });
        return ok;
    }
    bool PresentDeviceIds(std::vector<std::string>* ids, Dword* lastError) override {
        bool ok = false;
        OffThread(m_ui, [&] { ok = m_inner.PresentDeviceIds(ids, lastError); });
        return ok;
    }
    bool InstallOnDevices(const std::string& hardwareId, const std::string& infPath, bool* rebootNeeded,
                          Dword* lastError) override {
        bool ok = false;
        OffThread(m_ui, [&] { ok = m_inner.InstallOnDevices(hardwareId, infPath, rebootNeeded, lastError); });
        return ok;
    }

private:
    ISetup& m_inner;
    IUi& m_ui;
};

}  // namespace

std::unique_ptr<ISetup> MakeResponsiveSetup(ISetup& inner, IUi& ui) {
    return std::make_unique<ResponsiveSetup>(inner, ui);
}

std::unique_ptr<ISetup> MakeSetup() {
    return std::make_unique<Win32Setup>();
}
std::unique_ptr<IFileContents> MakeFileContents() {
    return std::make_unique<Win32FileContents>();
}

}  // namespace zv::win32
