#pragma once
// The signed files tools/make_test_catalogs.py writes, with the signer data each holds: one
// catalog per signature class, a catalog no one signed, a driver with an embedded
// cross-signature. The names, dates and EKUs here are those the generator gives them.
#include <string>
#include <vector>

#include "platform/signatures.h"

namespace zv::contract {

struct TestCatalog {
    const char* file;
    SignedFileKind kind;
    SignatureRecord record;
};

namespace oid {
inline constexpr const char* kCodeSigning = "1.3.6.1.5.5.7.3.3";
inline constexpr const char* kWhql = "1.3.6.1.4.1.311.10.3.5";
inline constexpr const char* kAttested = "1.3.6.1.4.1.311.10.3.5.1";
inline constexpr const char* kWindows = "1.3.6.1.4.1.311.10.3.6";
inline constexpr const char* kElam = "1.3.6.1.4.1.311.61.4.1";
}  // namespace oid

inline CertificateRecord Leaf(std::string subject, std::string issuer, std::vector<std::string> ekus,
                              std::string notBefore) {
    CertificateRecord c;
    c.subject = std::move(subject);
    c.issuer = std::move(issuer);
    c.ekus = std::move(ekus);
    c.ekuExtension = true;
    c.notBefore = std::move(notBefore);
    c.selfIssued = c.subject == c.issuer;
    c.signerLeaf = true;
    return c;
}

// A certificate of the message's bag: no EKU extension, no signer's.
inline CertificateRecord Bag(std::string subject, std::string issuer, std::string notBefore) {
    CertificateRecord c = Leaf(std::move(subject), std::move(issuer), {}, std::move(notBefore));
    c.ekuExtension = false;
    c.signerLeaf = false;
    return c;
}

inline SignatureRecord Signed(std::vector<CertificateRecord> certificates, Dword signers = 1) {
    return SignatureRecord{signers, std::move(certificates)};
}

inline const std::vector<TestCatalog>& TestCatalogs() {
    static const std::string hwPublisher = "Microsoft Windows Hardware Compatibility Publisher";
    static const std::string thirdParty = "Microsoft Windows Third Party Component CA 2014";
    static const std::string msRoot = "Microsoft Root Certificate Authority 2010";
    static const std::string pca = "Microsoft Windows Production PCA 2011";
    static const std::string vendorCa = "Quillstone Code Signing CA 2";
    static const std::string vendorRoot = "Quillstone Public Root CA";
    static const std::string verificationRoot = "Microsoft Code Verification Root";
    static const std::string fenlake = "Fenlake Semiconductor Co.";
    static const CertificateRecord thirdPartyCa = Bag(thirdParty, msRoot, "2014-10-15 20:31:27");
    static const CertificateRecord vendorIntermediate = Bag(vendorCa, vendorRoot, "2011-02-11 00:00:00");
    static const CertificateRecord cross = Bag(vendorRoot, verificationRoot, "2011-04-15 19:41:37");
    static const std::vector<TestCatalog> all = {
        {"whql.cat", SignedFileKind::kCatalog,
         Signed({Leaf(hwPublisher, thirdParty, {oid::kWhql, oid::kCodeSigning}, "2024-02-20 19:35:10"),
                 thirdPartyCa})},
        {"attestation.cat", SignedFileKind::kCatalog,
         Signed({Leaf(hwPublisher, thirdParty, {oid::kCodeSigning, oid::kWhql, oid::kAttested},
                      "2024-05-02 18:11:00"),
                 thirdPartyCa})},
        {"inbox.cat", SignedFileKind::kCatalog,
         Signed({Leaf("Microsoft Windows", pca, {oid::kCodeSigning, oid::kWindows}, "2023-10-19 19:51:51"),
                 Bag(pca, msRoot, "2011-10-19 18:41:42")})},
        {"elam.cat", SignedFileKind::kCatalog,
         Signed({Leaf("Microsoft Windows Early Launch Anti-malware Publisher", thirdParty,
                      {oid::kCodeSigning, oid::kElam}, "2022-03-03 20:00:00"),
                 thirdPartyCa})},
        {"cross-2015-07-28.cat", SignedFileKind::kCatalog,
         Signed({Leaf(fenlake, vendorCa, {oid::kCodeSigning}, "2015-07-28 23:59:59"), vendorIntermediate,
                 cross})},
        {"cross-2015-07-29.cat", SignedFileKind::kCatalog,
         Signed({Leaf(fenlake, vendorCa, {oid::kCodeSigning}, "2015-07-29 00:00:00"), vendorIntermediate,
                 cross})},
        {"authenticode.cat", SignedFileKind::kCatalog,
         Signed({Leaf("Orrin Peripherals Ltd.", vendorCa, {oid::kCodeSigning}, "2021-06-01 00:00:00"),
                 vendorIntermediate})},
        {"selfsigned.cat", SignedFileKind::kCatalog,
         Signed({Leaf("Tarnwick Devices", "Tarnwick Devices", {oid::kCodeSigning}, "2023-03-01 00:00:00")})},
        {"testsigned.cat", SignedFileKind::kCatalog,
         Signed({Leaf("WDKTestCert builder,133", "Tarnwick Private Test Root", {oid::kCodeSigning},
                      "2023-04-01 00:00:00"),
                 Bag("Tarnwick Private Test Root", "Tarnwick Private Test Root", "2023-01-01 00:00:00")})},
        // No signer: the certificate it carries is no one's leaf.
        {"unsigned.cat", SignedFileKind::kCatalog, Signed({thirdPartyCa}, 0)},
        {"cross-embedded.sys", SignedFileKind::kEmbedded,
         Signed({Leaf(fenlake, vendorCa, {oid::kCodeSigning}, "2014-03-12 00:00:00"), vendorIntermediate,
                 cross})},
    };
    return all;
}

// Files of the generator that hold no signed message of the kind their name suggests: a
// text named .cat, a catalog cut in half, a driver without a signature.
inline const std::vector<TestCatalog>& UnsignedTestFiles() {
    static const std::vector<TestCatalog> all = {
        {"not-pkcs7.cat", SignedFileKind::kCatalog, {}},
        {"truncated.cat", SignedFileKind::kCatalog, {}},
        {"plain.sys", SignedFileKind::kEmbedded, {}},
        {"cross-embedded.sys", SignedFileKind::kCatalog, {}},
    };
    return all;
}

}  // namespace zv::contract
