// The load forecast: each generated catalog's class, and its verdict on the Windows versions
// whose kernel-mode signing rules differ, the 2015-07-29 cut-off included.
#include "signing/forecast.h"

#include <gtest/gtest.h>

#include "contract/test_catalogs.h"

namespace zv::signing {
namespace {

const SignatureRecord& Generated(const std::string& file) {
    for (const contract::TestCatalog& c : contract::TestCatalogs())
        if (file == c.file) return c.record;
    throw std::runtime_error("no generated file " + file);
}

Target Windows(Dword build, bool secureBoot, Architecture arch = Architecture::kAmd64, bool server = false) {
    return Target{"", build, server, arch, secureBoot, false};
}

Package KernelPackage(std::optional<SignatureRecord> catalog) {
    Package p;
    p.catalog = std::move(catalog);
    p.kernelMode = true;
    return p;
}

TEST(Forecast, ClassAndVerdictOfEachGeneratedCatalogOnEachTarget) {
    const Target targets[] = {
        CleanWindows11(),
        Windows(19045, true),                              // Windows 10 22H2, Secure Boot
        Windows(19045, false),                             // the same without Secure Boot
        Windows(20348, true, Architecture::kAmd64, true),  // Server 2022
        Windows(7601, false),                              // Windows 7 x64
        Windows(19045, true, Architecture::kX86),          // 32-bit Windows 10
    };
    const std::string loads = "loads", unsignedText = "will not load: unsigned",
                      test = "will not load: test-signed",
                      noMicrosoft = "will not load: no Microsoft signature or cross-certificate",
                      after2015 = "will not load: cross-signed after 2015",
                      atRisk = "at risk: cross-signed, needs Microsoft's allow list",
                      part = "not needed: part of Windows";
    const struct {
        const char* file;  // nullptr: no catalog
        const char* cls;
        std::vector<std::string> reasons;  // one per target
    } rows[] = {
        {"whql.cat", "WHQL", {loads, loads, loads, loads, loads, loads}},
        {"attestation.cat",
         "attestation",
         {loads, loads, loads, "will not load: attestation-signed, not on Windows Server",
          "will not load: attestation-signed, needs Windows 10", loads}},
        {"inbox.cat", "Windows in-box", {part, part, part, part, part, part}},
        {"elam.cat", "other Microsoft hardware signature", {loads, loads, loads, loads, loads, loads}},
        {"cross-2015-07-28.cat", "cross-signed", {atRisk, loads, loads, loads, loads, loads}},
        {"cross-2015-07-29.cat", "cross-signed", {after2015, after2015, loads, after2015, loads, loads}},
        {"authenticode.cat",
         "Authenticode",
         {noMicrosoft, noMicrosoft, noMicrosoft, noMicrosoft, noMicrosoft, loads}},
        {"selfsigned.cat", "self-/test-signed", {test, test, test, test, test, loads}},
        {"testsigned.cat", "self-/test-signed", {test, test, test, test, test, loads}},
        {"unsigned.cat",
         "unsigned",
         {unsignedText, unsignedText, unsignedText, unsignedText, unsignedText, loads}},
        {nullptr, "unsigned", {unsignedText, unsignedText, unsignedText, unsignedText, unsignedText, loads}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file ? row.file : "no catalog");
        std::optional<SignatureRecord> catalog;
        if (row.file) catalog = Generated(row.file);
        EXPECT_STREQ(ClassName(Classify(catalog).cls), row.cls);
        for (std::size_t t = 0; t < std::size(targets); ++t) {
            const Forecast f = ForecastFor(KernelPackage(catalog), targets[t]);
            EXPECT_EQ(f.reason, row.reasons[t]) << "target " << t;
            EXPECT_STREQ(ClassName(f.cls), row.cls) << "target " << t;
        }
    }
}

// Vendors embed the cross-signature in the .sys and sign the catalog otherwise: each kernel
// file takes the better signature, the package its worst file.
TEST(Forecast, AKernelFileLoadsByItsOwnSignatureOrTheCatalogs) {
    const Target win10 = Windows(19045, true);
    Package p = KernelPackage(Generated("authenticode.cat"));
    p.kernelFiles = {Generated("cross-embedded.sys")};
    EXPECT_EQ(ForecastFor(p, win10).reason, "loads");
    EXPECT_EQ(ForecastFor(p, win10).cls, SignatureClass::kCrossSigned);
    EXPECT_EQ(ForecastFor(p, CleanWindows11()).verdict, Verdict::kAtRisk);
    p.kernelFiles.push_back(std::nullopt);  // a second driver file with no signature of its own
    EXPECT_EQ(ForecastFor(p, win10).reason, "will not load: no Microsoft signature or cross-certificate");
    p.catalog = Generated("whql.cat");
    EXPECT_EQ(ForecastFor(p, CleanWindows11()).reason, "loads");
    EXPECT_EQ(ForecastFor(p, CleanWindows11()).cls, SignatureClass::kWhql);
}

TEST(Forecast, ArchitectureAndKernelMode) {
    const Target arm = Windows(26100, true, Architecture::kArm64);
    Package p = KernelPackage(Generated("whql.cat"));
    p.architectures = {Architecture::kX86, Architecture::kAmd64};
    EXPECT_EQ(ForecastFor(p, arm).reason, "wrong architecture");
    EXPECT_EQ(ForecastFor(p, CleanWindows11()).reason, "loads");
    p.architectures.push_back(Architecture::kArm64);
    EXPECT_EQ(ForecastFor(p, arm).reason, "loads");
    // Cross-signing never reached ARM64.
    p.catalog = Generated("cross-2015-07-28.cat");
    EXPECT_EQ(ForecastFor(p, arm).reason, "will not load: cross-signed, not on ARM64");
    // In-box drivers come with Windows on every architecture.
    p.catalog = Generated("inbox.cat");
    p.architectures = {Architecture::kAmd64};
    EXPECT_EQ(ForecastFor(p, arm).reason, "not needed: part of Windows");
    // The kernel's signing rules are for kernel-mode files.
    p.catalog = std::nullopt;
    p.kernelMode = false;
    EXPECT_EQ(ForecastFor(p, CleanWindows11()).reason, "loads");
}

// What the rules do not name is unknown, never the nearest class.
TEST(Forecast, WhatTheRulesDoNotMatchIsUnknown) {
    SignatureRecord microsoftOther = Generated("whql.cat");
    microsoftOther.certificates[0].ekus = {contract::oid::kCodeSigning};
    SignatureRecord noLeaf = Generated("authenticode.cat");
    noLeaf.certificates.erase(noLeaf.certificates.begin());
    SignatureRecord notForCode = Generated("authenticode.cat");
    notForCode.certificates[0].ekus = {"1.3.6.1.5.5.7.3.1"};
    SignatureRecord noDate = Generated("cross-2015-07-29.cat");
    noDate.certificates[0].notBefore.clear();
    for (const SignatureRecord* r : {&microsoftOther, &noLeaf, &notForCode, &noDate}) {
        const Forecast f = ForecastFor(KernelPackage(*r), CleanWindows11());
        EXPECT_EQ(f.verdict, Verdict::kUnknown) << ClassName(f.cls);
        EXPECT_EQ(f.reason, "unknown");
    }
    // A certificate that names no use is good for code signing.
    SignatureRecord anyUse = Generated("authenticode.cat");
    anyUse.certificates[0].ekuExtension = false;
    anyUse.certificates[0].ekus.clear();
    EXPECT_EQ(Classify(anyUse).cls, SignatureClass::kAuthenticode);
}

}  // namespace
}  // namespace zv::signing
