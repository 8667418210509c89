// crypt32's reading of the files tools/make_test_catalogs.py wrote at build time, copied into
// a temporary folder of the test's own.
#include <windows.h>

#include <filesystem>
#include <string>

#include "contract/signatures_fixture.h"
#include "platform/win32/factories.h"

namespace zv::contract {
namespace {

// The build's folder of generated files, as Wine shows the host's root: drive Z.
std::string GeneratedFolder() {
    std::string path = std::string("Z:") + ZV_TEST_CATALOGS;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

class RealSignaturesFixture final : public SignaturesContractFixture {
public:
    RealSignaturesFixture() {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        std::string base = temp;
        if (!base.empty() && base.back() == '\\') base.pop_back();
        m_folder = base + "\\zv-signatures-" + std::to_string(::GetCurrentProcessId()) + "-" +
                   std::to_string(++counter);
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    ~RealSignaturesFixture() override {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    ISignatures& signatures() override { return *m_signatures; }
    const std::string& folder() const override { return m_folder; }
    std::string plant(const std::string& file) override {
        const std::string path = m_folder + "\\" + file;
        ::CopyFileA((GeneratedFolder() + "\\" + file).c_str(), path.c_str(), FALSE);
        return path;
    }

private:
    std::unique_ptr<ISignatures> m_signatures = win32::MakeSignatures();
    std::string m_folder;
};

}  // namespace

std::unique_ptr<SignaturesContractFixture> MakeSignaturesContractFixture() {
    return std::make_unique<RealSignaturesFixture>();
}

}  // namespace zv::contract
