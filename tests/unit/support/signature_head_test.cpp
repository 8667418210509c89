#include "support/signature_head.h"

#include <gtest/gtest.h>

#include <string>

namespace zv {
namespace {

// A PE file's first bytes: the header at 0x80, the security directory's size as given.
std::string Pe(bool plus, unsigned securitySize, std::size_t length = 0x200) {
    std::string b(0x200, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    b[0x3C] = static_cast<char>(0x80);
    b.replace(0x80, 4, "PE\0\0", 4);
    const std::size_t optional = 0x80 + 24;
    b[optional] = 0x0B;
    b[optional + 1] = plus ? 0x02 : 0x01;
    const std::size_t size = optional + (plus ? 112 : 96) + 4 * 8 + 4;
    for (std::size_t i = 0; i < 4; ++i) b[size + i] = static_cast<char>(securitySize >> (8 * i));
    b.resize(length);
    return b;
}

TEST(SignatureHead, TellsAFileThatCannotHoldASignatureFromItsStart) {
    const struct {
        const char* name;
        std::string head;
        SignedFileKind kind;
        bool may;
    } cases[] = {
        {"a DER sequence may be a catalog", "\x30\x82 rest", SignedFileKind::kCatalog, true},
        {"text is no catalog", "[Version]", SignedFileKind::kCatalog, false},
        {"an empty file is left to crypt32", "", SignedFileKind::kCatalog, true},
        {"PE32+ with a security directory", Pe(true, 0x2000), SignedFileKind::kEmbedded, true},
        {"PE32 with a security directory", Pe(false, 8), SignedFileKind::kEmbedded, true},
        {"PE32+ without one", Pe(true, 0), SignedFileKind::kEmbedded, false},
        // PE32's directories start 16 bytes earlier: read at PE32+'s place they are zero here.
        {"PE32 without one", Pe(false, 0), SignedFileKind::kEmbedded, false},
        {"not a PE file", std::string(0x200, 'x'), SignedFileKind::kEmbedded, false},
        {"the PE header beyond the head", Pe(true, 0, 0x60), SignedFileKind::kEmbedded, true},
        {"the directory beyond the head", Pe(true, 0, 0x100), SignedFileKind::kEmbedded, true},
    };
    for (const auto& c : cases) EXPECT_EQ(MayHoldSignature(c.head, c.kind), c.may) << c.name;
}

TEST(SignatureHead, LooksNoFurtherThanItsHead) {
    // What a copy keeps of a large file is longer than the head the test reads.
    std::string pe = Pe(true, 0, 0x60);
    pe.resize(kSignatureHeadBytes + 0x200, '\0');
    EXPECT_EQ(MayHoldSignature(pe, SignedFileKind::kEmbedded),
              MayHoldSignature(pe.substr(0, kSignatureHeadBytes), SignedFileKind::kEmbedded));
}

}  // namespace
}  // namespace zv
