// SHA-256 by both routines: the standard's test vectors, and any split of the input into
// pieces hashing as the whole does.
#include "support/sha256.h"

#include <gtest/gtest.h>

#include <random>

namespace zv {
namespace {

class Sha256Test : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        Sha256::ForcePortable(GetParam());
        if (!GetParam() && !Sha256::UsesShaInstructions()) GTEST_SKIP() << "no SHA instructions here";
    }
    void TearDown() override { Sha256::ForcePortable(false); }
};

TEST_P(Sha256Test, GivesTheStandardsDigests) {
    const struct {
        std::string bytes;
        const char* hex;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmno"
         "pqrs"
         "tnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 20));
        EXPECT_EQ(Sha256Hex(c.bytes), c.hex);
    }
}

TEST_P(Sha256Test, PiecesHashAsTheWholeAcrossBlockAndPaddingEdges) {
    std::mt19937 random(7);
    std::string bytes(300, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    // Every length around one and two blocks and the padding's 55/56 edge, in pieces of 1, 63 and 65.
    Sha256::ForcePortable(true);
    std::vector<std::string> expected;
    for (std::size_t n = 0; n <= bytes.size(); ++n)
        expected.push_back(Sha256Hex(std::string_view(bytes).substr(0, n)));
    Sha256::ForcePortable(GetParam());
    Sha256 hash;
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        for (std::size_t piece : {std::size_t{1}, std::size_t{63}, std::size_t{65}}) {
            for (std::size_t at = 0; at < n; at += piece)
                hash.update(bytes.data() + at, std::min(piece, n - at));
            ASSERT_EQ(hash.finalHex(), expected[n]) << n << " bytes in pieces of " << piece;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Routines, Sha256Test, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Portable" : "ShaInstructions"; });

}  // namespace
}  // namespace zv
