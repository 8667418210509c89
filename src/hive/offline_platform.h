#pragma once
// What a backup of another Windows sees in place of this one's: the Windows and system
// folders are the other Windows' (so every path the run forms lies on its disk), its devices
// are those of its hive's Enum key (none present), and its architecture is the one its hive
// names. Nothing here asks setupapi about this machine or writes anywhere.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "hive/offline_windows.h"
#include "platform/devices.h"
#include "platform/driver_setup.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace zv::hive {

// The other Windows' folders in place of this one's; everything else goes to the real system.
// Its System32 is a plain folder path, which WOW64 redirection leaves alone.
class OfflineSystem : public ISystem {
public:
    OfflineSystem(ISystem& inner, std::string windowsFolder)
        : m_inner(inner), m_windows(std::move(windowsFolder)), m_system(m_windows + "\\System32") {}

    Dword GetWindowsDirectory(char* buffer, Dword size) override { return Answer(m_windows, buffer, size); }
    Dword GetSystemDirectory(char* buffer, Dword size) override { return Answer(m_system, buffer, size); }
    // %SystemRoot% and %windir% name the other Windows' folder, as they do on it.
    Dword ExpandEnvironmentStrings(const std::string& source, char* destination, Dword size) override;
    std::string ErrorText(Dword error) override { return m_inner.ErrorText(error); }
    bool StartProgram(const std::string& path, int showCommand, Dword* lastError) override {
        return m_inner.StartProgram(path, showCommand, lastError);
    }
    [[noreturn]] void ExitProgram(unsigned code) override {
        m_inner.ExitProgram(code);
        std::abort();  // the inner one never returns; the compiler cannot know it
    }
    Dword GetTickCount() override { return m_inner.GetTickCount(); }
    bool RestartWindows(Dword* lastError) override { return m_inner.RestartWindows(lastError); }
    std::string ProgramPath() override { return m_inner.ProgramPath(); }

private:
    static Dword Answer(const std::string& folder, char* buffer, Dword size);

    ISystem& m_inner;
    std::string m_windows;
    std::string m_system;
};

// The store of a Windows that is not running is no business of this one's setupapi: its
// look-up answers for this machine's store only, so the package is found by its bytes.
class OfflineSetup : public IDriverSetup {
public:
    explicit OfflineSetup(std::uint16_t architecture) : m_architecture(architecture) {}

    Dword GetLastError() const override { return m_error; }
    bool GetInfDriverStoreLocation(const std::string&, std::string*) override { return false; }
    std::uint16_t NativeProcessorArchitecture() override { return m_architecture; }
    bool CopyOEMInf(const std::string&, Dword, Dword, std::string*) override { return Refuse(); }
    bool PresentDeviceIds(std::vector<std::string>* ids) override {
        ids->clear();
        return true;
    }
    bool InstallOnDevices(const std::string&, const std::string&, bool*) override { return Refuse(); }

private:
    bool Refuse() {
        m_error = kErrorAccessDenied;
        return false;
    }
    std::uint16_t m_architecture;
    Dword m_error = 0;
};

// The devices of the other Windows' Enum key (three levels: enumerator, device, instance),
// each with the class-key instance its Driver value names and its extension INFs. None is
// present: that Windows is not running.
class OfflineDevices : public IDevices {
public:
    OfflineDevices(IRegistry& registry, ILocale& locale) : m_registry(registry), m_locale(locale) {}
    bool ListDevices(std::vector<DeviceEntry>* devices, Dword* lastError) override;

private:
    IRegistry& m_registry;
    ILocale& m_locale;
};

// The other Windows' architecture as its SYSTEM hive names it (Session Manager\Environment's
// PROCESSOR_ARCHITECTURE); false when it names none this program knows.
[[nodiscard]] bool OfflineArchitecture(IRegistry& registry, std::uint16_t* architecture);

// The SOFTWARE hive's CurrentBuild ("19045"); "" when the hive or the value is missing.
[[nodiscard]] std::string OfflineBuild(IRegistry& registry);

}  // namespace zv::hive
