#include "contract/setup_fixture.h"

#include "fakes/fake_driver_setup.h"
#include "fakes/fake_filesystem.h"

namespace zv::contract {
namespace {

class FakeSetupFixture final : public SetupContractFixture {
public:
    FakeSetupFixture() {
        m_fs.addFolder(m_folder);
        m_fs.addFolder("C:\\windows\\inf");
    }
    IDriverSetup& setup() override { return m_setup; }
    const std::string& folder() const override { return m_folder; }
    std::string windowsFolder() const override { return "C:\\windows"; }
    void writeFile(const std::string& path, const std::string& bytes) override { m_fs.addFile(path, bytes); }
    std::optional<std::string> readFile(const std::string& path) override { return m_fs.contents(path); }
    void staged(const std::string&) override {}

private:
    fakes::FakeFileSystem m_fs;
    fakes::FakeDriverSetup m_setup{m_fs, "C:\\windows"};
    std::string m_folder = "C:\\users\\tester\\Temp\\zv-setup-1";
};

}  // namespace

std::unique_ptr<SetupContractFixture> MakeSetupContractFixture() {
    return std::make_unique<FakeSetupFixture>();
}

}  // namespace zv::contract
