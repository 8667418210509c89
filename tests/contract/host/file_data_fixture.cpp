#include "contract/file_data_fixture.h"

#include "fakes/fake_driver_setup.h"
#include "fakes/fake_file_data.h"
#include "fakes/fake_filesystem.h"
#include "fakes/fake_locale.h"

namespace zv::contract {
namespace {

class FakeFileDataFixture final : public FileDataContractFixture {
public:
    FakeFileDataFixture() { m_fs.addFolder(m_folder); }
    IFileData& data() override { return m_data; }
    IDriverSetup& setup() override { return m_setup; }
    ILocale& locale() override { return m_locale; }
    const std::string& folder() const override { return m_folder; }
    void writeFile(const std::string& path, const std::string& bytes) override { m_fs.addFile(path, bytes); }
    IFileSystem& files() override { return m_fs; }
    void setAttributes(const std::string& path, Dword attributes) override {
        m_fs.setAttributes(path, attributes);
    }
    std::string lastWrite(const std::string&) override { return ""; }

private:
    fakes::FakeFileSystem m_fs;
    fakes::FakeFileData m_data{m_fs};
    fakes::FakeDriverSetup m_setup{m_fs};
    fakes::FakeLocale m_locale;
    std::string m_folder = "C:\\users\\tester\\Temp\\zv-data-1";
};

}  // namespace

std::unique_ptr<FileDataContractFixture> MakeFileDataContractFixture() {
    return std::make_unique<FakeFileDataFixture>();
}

}  // namespace zv::contract
