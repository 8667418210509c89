#pragma once
// What the profile-file and file-system contract cases need: the seams under test
// and a fresh, empty folder of the test's own, removed again afterwards.
#include <memory>
#include <optional>
#include <string>

#include "platform/filesystem.h"
#include "platform/profile.h"

namespace zv::contract {

class FilesContractFixture {
public:
    virtual ~FilesContractFixture() = default;
    virtual IFileSystem& files() = 0;
    virtual IProfile& profile() = 0;
    // Full path without a trailing separator; exists and is empty when the test starts.
    [[nodiscard]] virtual const std::string& folder() const = 0;
    // Set-up and inspection outside the seams; paths are full paths below folder().
    virtual void writeFile(const std::string& path, const std::string& bytes) = 0;
    virtual void makeFolder(const std::string& path) = 0;
    virtual void setAttributes(const std::string& path, Dword attributes) = 0;
    [[nodiscard]] virtual std::optional<std::string> readFile(const std::string& path) = 0;
};

// One per test: the fakes on the host, the real calls under Wine.
std::unique_ptr<FilesContractFixture> MakeFilesContractFixture();

}  // namespace zv::contract
