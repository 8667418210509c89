#pragma once
// What the file-data, driver-setup and locale contract cases need: the seams under test
// and a fresh folder of the test's own, removed again afterwards.
#include <memory>
#include <string>

#include "platform/driver_setup.h"
#include "platform/file_data.h"
#include "platform/filesystem.h"
#include "platform/locale.h"

namespace zv::contract {

class FileDataContractFixture {
public:
    virtual ~FileDataContractFixture() = default;
    virtual IFileData& data() = 0;
    virtual IDriverSetup& setup() = 0;
    virtual ILocale& locale() = 0;
    // Full path without a trailing separator; exists and is empty when the test starts.
    [[nodiscard]] virtual const std::string& folder() const = 0;
    virtual void writeFile(const std::string& path, const std::string& bytes) = 0;
    // The file-system calls over the same files, CopyFile among them.
    virtual IFileSystem& files() = 0;
    virtual void setAttributes(const std::string& path, Dword attributes) = 0;
    // Last-write time as text; empty where the files keep no times.
    virtual std::string lastWrite(const std::string& path) = 0;
};

// One per test: the fakes on the host, the real calls under Wine.
std::unique_ptr<FileDataContractFixture> MakeFileDataContractFixture();

}  // namespace zv::contract
