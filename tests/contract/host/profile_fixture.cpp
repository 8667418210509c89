#include "contract/profile_fixture.h"

#include "fakes/fake_filesystem.h"
#include "fakes/fake_profile.h"

namespace zv::contract {
namespace {

class FakeFilesFixture final : public FilesContractFixture {
public:
    FakeFilesFixture() { m_fs.addFolder(m_folder); }
    IFileSystem& files() override { return m_fs; }
    IProfile& profile() override { return m_profile; }
    const std::string& folder() const override { return m_folder; }
    void writeFile(const std::string& path, const std::string& bytes) override { m_fs.addFile(path, bytes); }
    void makeFolder(const std::string& path) override { m_fs.addFolder(path); }
    void setAttributes(const std::string& path, Dword attributes) override {
        m_fs.setAttributes(path, attributes);
    }
    std::optional<std::string> readFile(const std::string& path) override { return m_fs.contents(path); }

private:
    fakes::FakeFileSystem m_fs;
    fakes::FakeProfile m_profile{m_fs};
    std::string m_folder = "C:\\users\\tester\\Temp\\zv-files-1";
};

}  // namespace

std::unique_ptr<FilesContractFixture> MakeFilesContractFixture() {
    return std::make_unique<FakeFilesFixture>();
}

}  // namespace zv::contract
