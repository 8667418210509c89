#include "contract/signatures_fixture.h"

#include "contract/test_catalogs.h"
#include "fakes/fake_filesystem.h"
#include "fakes/fake_signatures.h"

namespace zv::contract {
namespace {

// The fake cannot decode a message: each generated file stands in as bytes of its own,
// registered with the signer data crypt32 reads from the real file.
std::string StandIn(const std::string& file) {
    return "signed message " + file;
}

class FakeSignaturesFixture final : public SignaturesContractFixture {
public:
    FakeSignaturesFixture() {
        m_fs.addFolder(m_folder);
        for (const TestCatalog& c : TestCatalogs())
            m_signatures.addMessage(StandIn(c.file), c.kind, c.record);
    }
    ISignatures& signatures() override { return m_signatures; }
    const std::string& folder() const override { return m_folder; }
    std::string plant(const std::string& file) override {
        const std::string path = m_folder + "\\" + file;
        m_fs.addFile(path, StandIn(file));
        return path;
    }

private:
    fakes::FakeFileSystem m_fs;
    fakes::FakeSignatures m_signatures{m_fs};
    std::string m_folder = "C:\\users\\tester\\Temp\\zv-signatures-1";
};

}  // namespace

std::unique_ptr<SignaturesContractFixture> MakeSignaturesContractFixture() {
    return std::make_unique<FakeSignaturesFixture>();
}

}  // namespace zv::contract
