#pragma once
// What the signature contract cases need: the seam under test and the generator's signed
// files put into a fresh folder of the test's own.
#include <memory>
#include <string>

#include "platform/signatures.h"

namespace zv::contract {

class SignaturesContractFixture {
public:
    virtual ~SignaturesContractFixture() = default;
    virtual ISignatures& signatures() = 0;
    // Full path without a trailing separator; exists when the test starts.
    [[nodiscard]] virtual const std::string& folder() const = 0;
    // The generator's file of that name (test_catalogs.h) put into folder(); its full path.
    virtual std::string plant(const std::string& file) = 0;
};

// One per test: the fake on the host, crypt32 under Wine.
std::unique_ptr<SignaturesContractFixture> MakeSignaturesContractFixture();

}  // namespace zv::contract
