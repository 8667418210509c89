// The real driver-store calls on INFs in a temporary folder of the test's own. What
// they put into the store is removed again.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "contract/setup_fixture.h"
#include "platform/win32/factories.h"

namespace zv::contract {
namespace {

class RealSetupFixture final : public SetupContractFixture {
public:
    RealSetupFixture() : m_setup(win32::MakeDriverSetup()) {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        std::string base = temp;
        if (!base.empty() && base.back() == '\\') base.pop_back();
        m_folder =
            base + "\\zv-setup-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
        std::filesystem::create_directories(m_folder);
    }
    ~RealSetupFixture() override {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
        for (const std::string& p : m_staged) {
            std::filesystem::remove(p, ec);
            std::filesystem::remove(std::filesystem::path(p).replace_extension(".pnf"), ec);
        }
    }
    IDriverSetup& setup() override { return *m_setup; }
    const std::string& folder() const override { return m_folder; }
    std::string windowsFolder() const override {
        char buffer[MAX_PATH] = {};
        return std::string(buffer, ::GetWindowsDirectoryA(buffer, MAX_PATH));
    }
    void writeFile(const std::string& path, const std::string& bytes) override {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::optional<std::string> readFile(const std::string& path) override {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void staged(const std::string& path) override { m_staged.push_back(path); }

private:
    std::unique_ptr<IDriverSetup> m_setup;
    std::string m_folder;
    std::vector<std::string> m_staged;
};

}  // namespace

std::unique_ptr<SetupContractFixture> MakeSetupContractFixture() {
    return std::make_unique<RealSetupFixture>();
}

}  // namespace zv::contract
