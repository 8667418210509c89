#pragma once
// The driver store and device installer over the fake file system, as Windows does
// it: a staged INF becomes the lowest free "oemN.inf" in the INF folder and its
// catalog "oemN.cat" in the catalog store; the same INF staged again is found by its
// content. Switches force failures; every call is recorded.
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_filesystem.h"
#include "platform/setup.h"

namespace zv::fakes {

class FakeSetup : public ISetup {
public:
    explicit FakeSetup(FakeFileSystem& files, std::string windowsFolder = "C:\\WINDOWS")
        : m_files(files), m_windows(std::move(windowsFolder)) {}

    bool CopyOEMInf(const std::string& source, Dword mediaType, Dword style, std::string* destination,
                    Dword* lastError) override;
    bool PresentDeviceIds(std::vector<std::string>* ids, Dword* lastError) override;
    bool InstallOnDevices(const std::string& hardwareId, const std::string& infPath, bool* rebootNeeded,
                          Dword* lastError) override;

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
    FakeFileSystem& m_files;
    std::string m_windows;
};

class FakeFileContents : public IFileContents {
public:
    explicit FakeFileContents(FakeFileSystem& files) : m_files(files) {}
    bool ReadAll(const std::string& path, std::size_t limit, std::string* data, Dword* lastError) override;
    int reads = 0;

private:
    FakeFileSystem& m_files;
};

}  // namespace zv::fakes
