#pragma once
// The driver store and device installer over the fake file system, as Windows does
// it: a staged INF becomes the lowest free "oemN.inf" in the INF folder and its
// catalog "oemN.cat" in the catalog store; the same INF staged again is found by its
// content. The store look-up is scripted and absent by default, as in Wine 8 and on
// Windows XP. Switches force failures; every call is recorded.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_filesystem.h"
#include "platform/driver_setup.h"

namespace zv::fakes {

class FakeDriverSetup : public IDriverSetup {
public:
    explicit FakeDriverSetup(FakeFileSystem& files, std::string windowsFolder = "C:\\WINDOWS")
        : m_files(files), m_windows(std::move(windowsFolder)) {}

    Dword GetLastError() const override { return m_lastError; }
    bool GetInfDriverStoreLocation(const std::string& infPath, std::string* storeInf) override;
    std::uint16_t NativeProcessorArchitecture() override { return architecture; }
    bool CopyOEMInf(const std::string& source, Dword mediaType, Dword style,
                    std::string* destination) override;
    bool PresentDeviceIds(std::vector<std::string>* ids) override;
    bool InstallOnDevices(const std::string& hardwareId, const std::string& infPath,
                          bool* rebootNeeded) override;

    // Published INF path (any letter case) -> the INF's path in its package.
    void setLocation(const std::string& infPath, const std::string& storeInf);

    bool hasLocationCall = false;
    std::uint16_t architecture = kProcessorArchitectureIntel;
    std::vector<std::string> asked;

    std::vector<std::string> presentIds;
    Dword presentIdsError = 0;                   // not 0: PresentDeviceIds fails with it
    std::map<std::string, Dword> copyErrors;     // INF path (upper case) -> forced error
    std::map<std::string, Dword> installErrors;  // hardware id (upper case) -> forced error
    std::vector<std::string> rebootIds;          // hardware ids whose install needs a restart
    struct Copy {
        std::string source;
        Dword mediaType, style;
    };
    std::vector<Copy> copies;
    struct Install {
        std::string hardwareId, inf;
    };
    std::vector<Install> installs;

private:
    bool fail(Dword error) {
        m_lastError = error;
        return false;
    }
    bool succeed() {
        m_lastError = 0;
        return true;
    }

    FakeFileSystem& m_files;
    std::string m_windows;
    std::map<std::string, std::string> m_locations;  // keyed by the upper-cased INF path
    Dword m_lastError = 0;
};

}  // namespace zv::fakes
