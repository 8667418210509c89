#include "contract/signatures_fixture.h"

#include <map>

#include "contract/test_catalogs.h"
#include "fakes/fake_filesystem.h"
#include "fakes/fake_signatures.h"

namespace zv::contract {
namespace {

// The fake cannot decode a message: each generated file stands in as bytes of its own,
// registered with the signer data crypt32 reads from the real file.
std::string StandIn(const std::string& file, SignedFileKind kind) {
    return fakes::SignedLooking(kind, "signed message " + file);
}

class FakeSignaturesFixture final : public SignaturesContractFixture {
public:
    FakeSignaturesFixture() {
        m_fs.addFolder(m_folder);
        for (const TestCatalog& c : TestCatalogs()) {
            m_signatures.addMessage(StandIn(c.file, c.kind), c.kind, c.record);
            m_kinds[c.file] = c.kind;
        }
    }
    ISignatures& signatures() override { return m_signatures; }
    const std::string& folder() const override { return m_folder; }
    std::string plant(const std::string& file) override {
        const std::string path = m_folder + "\\" + file;
        const auto kind = m_kinds.find(file);
        m_fs.addFile(path, StandIn(file, kind == m_kinds.end() ? SignedFileKind::kCatalog : kind->second));
        return path;
    }

private:
    fakes::FakeFileSystem m_fs;
    fakes::FakeSignatures m_signatures{m_fs};
    std::map<std::string, SignedFileKind> m_kinds;
    std::string m_folder = "C:\\users\\tester\\Temp\\zv-signatures-1";
};

}  // namespace

std::unique_ptr<SignaturesContractFixture> MakeSignaturesContractFixture() {
    return std::make_unique<FakeSignaturesFixture>();
}

}  // namespace zv::contract
