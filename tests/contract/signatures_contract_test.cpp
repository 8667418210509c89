// The signer data of catalogs and signed drivers: the fake on the host and crypt32 under
// Wine give the same records for the generated files, and the same clear answer for a file
// that holds no signed message or is not there.
#include <gtest/gtest.h>

#include "contract/signatures_fixture.h"
#include "contract/test_catalogs.h"

namespace zv::contract {
namespace {

// One line per certificate, so that a difference shows which field of which certificate.
std::string Text(const SignatureRecord& r) {
    std::string out = "signers " + std::to_string(r.signerCount) + "\n";
    for (const CertificateRecord& c : r.certificates) {
        out += (c.signerLeaf ? "leaf " : "bag ") + c.subject + " | by " + c.issuer + " | " + c.notBefore +
               (c.selfIssued ? " | self-issued" : "") + (c.ekuExtension ? " | EKU" : " | any use");
        for (const std::string& e : c.ekus) out += " " + e;
        out += "\n";
    }
    return out;
}

class SignaturesContract : public ::testing::Test {
protected:
    std::unique_ptr<SignaturesContractFixture> fx = MakeSignaturesContractFixture();
};

TEST_F(SignaturesContract, EachGeneratedFileGivesItsSignerData) {
    for (const TestCatalog& c : TestCatalogs()) {
        SCOPED_TRACE(c.file);
        const std::string path = fx->plant(c.file);
        SignatureRecord record;
        Dword error = 1;
        ASSERT_TRUE(fx->signatures().ReadSignature(path, c.kind, &record, &error)) << "error " << error;
        EXPECT_EQ(Text(record), Text(c.record));
    }
}

TEST_F(SignaturesContract, AFileWithoutASignedMessageOfThatKindSaysSo) {
    for (const TestCatalog& c : UnsignedTestFiles()) {
        SCOPED_TRACE(c.file);
        const std::string path = fx->plant(c.file);
        SignatureRecord record = TestCatalogs().front().record;
        Dword error = 0;
        EXPECT_FALSE(fx->signatures().ReadSignature(path, c.kind, &record, &error));
        EXPECT_EQ(error, kCryptENoMatch);
        EXPECT_EQ(Text(record), Text({}));
    }
}

TEST_F(SignaturesContract, AMissingFileGivesItsOpenError) {
    SignatureRecord record;
    Dword error = 0;
    EXPECT_FALSE(fx->signatures().ReadSignature(fx->folder() + "\\gone.cat", SignedFileKind::kCatalog,
                                                &record, &error));
    EXPECT_EQ(error, kErrorFileNotFound);
    EXPECT_FALSE(fx->signatures().ReadSignature(fx->folder() + "\\gone\\x.sys", SignedFileKind::kEmbedded,
                                                &record, &error));
    EXPECT_EQ(error, kErrorPathNotFound);
}

}  // namespace
}  // namespace zv::contract
