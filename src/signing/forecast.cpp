#include "signing/forecast.h"

#include <algorithm>

namespace zv::signing {
namespace {

constexpr const char* kCodeSigning = "1.3.6.1.5.5.7.3.3";
constexpr const char* kWhqlEku = "1.3.6.1.4.1.311.10.3.5";
constexpr const char* kAttestedEku = "1.3.6.1.4.1.311.10.3.5.1";
constexpr const char* kWindowsEku = "1.3.6.1.4.1.311.10.3.6";
constexpr const char* kOtherMicrosoftEkus[] = {
    "1.3.6.1.4.1.311.10.3.39",  // extended hardware verification
    "1.3.6.1.4.1.311.61.4.1",   // early-launch anti-malware
    "1.3.6.1.4.1.311.61.5.1",   // HAL extension
};
constexpr const char* kHardwarePublisher = "Microsoft Windows Hardware Compatibility Publisher";
constexpr const char* kThirdPartyCa = "Microsoft Windows Third Party Component CA";  // 2012, 2013, 2014
constexpr const char* kProductionPca = "Microsoft Windows Production PCA";
constexpr const char* kCodeVerificationRoot = "Microsoft Code Verification Root";
// A chain in a message is a few certificates; a longer walk is a loop.
constexpr int kLongestChain = 16;

// Builds from which a kernel-mode rule holds.
constexpr Dword kVista = 6000;            // 64-bit kernel-mode code signing
constexpr Dword kWindows10 = 10240;       // attestation signing
constexpr Dword kWindows10v1607 = 14393;  // Microsoft's signature required under Secure Boot
constexpr Dword kServer2025 = 26100;      // the first Server to take attestation signatures

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

bool Has(const CertificateRecord& c, const char* eku) {
    return std::find(c.ekus.begin(), c.ekus.end(), eku) != c.ekus.end();
}

// The leaf's issuers as the message holds them end at a self-issued root it carries itself.
// Public chains leave their root to the trust store; a private or test root comes along.
bool CarriesOwnRoot(const SignatureRecord& r, const CertificateRecord& leaf) {
    const CertificateRecord* at = &leaf;
    for (int n = 0; n < kLongestChain; ++n) {
        const CertificateRecord* up = nullptr;
        for (const CertificateRecord& c : r.certificates)
            if (&c != at && c.subject == at->issuer && (!up || c.selfIssued)) up = &c;
        if (!up) return false;
        if (up->selfIssued) return true;
        at = up;
    }
    return false;
}

Classified MicrosoftClass(const CertificateRecord& leaf) {
    Classified out{SignatureClass::kUnknown, leaf.notBefore};
    // The attested EKU comes with the hardware one: asked first.
    if (leaf.subject == kHardwarePublisher && StartsWith(leaf.issuer, kThirdPartyCa)) {
        if (Has(leaf, kAttestedEku))
            out.cls = SignatureClass::kAttestation;
        else if (Has(leaf, kWhqlEku))
            out.cls = SignatureClass::kWhql;
    } else if (leaf.subject == "Microsoft Windows" && StartsWith(leaf.issuer, kProductionPca) &&
               Has(leaf, kWindowsEku)) {
        out.cls = SignatureClass::kWindows;
    }
    if (out.cls == SignatureClass::kUnknown)
        for (const char* eku : kOtherMicrosoftEkus)
            if (Has(leaf, eku)) out.cls = SignatureClass::kOtherMicrosoft;
    return out;
}

Forecast Judged(SignatureClass cls, Verdict verdict, const char* reason) {
    return Forecast{cls, verdict, reason};
}

// One signature's forecast for a kernel-mode file on the target.
Forecast Judge(const Classified& c, const Target& t) {
    using C = SignatureClass;
    switch (c.cls) {
        case C::kWindows: return Judged(c.cls, Verdict::kNotNeeded, "not needed: part of Windows");
        case C::kUnknown: return Judged(c.cls, Verdict::kUnknown, "unknown");
        case C::kWhql:
        case C::kOtherMicrosoft: return Judged(c.cls, Verdict::kLoads, "loads");
        default: break;
    }
    // 32-bit Windows and 64-bit Windows before Vista load kernel drivers without a signature.
    if (t.architecture == Architecture::kX86 || t.build < kVista)
        return Judged(c.cls, Verdict::kLoads, "loads");
    switch (c.cls) {
        case C::kAttestation:
            if (t.build < kWindows10)
                return Judged(c.cls, Verdict::kWillNotLoad,
                              "will not load: attestation-signed, needs Windows 10");
            if (t.server && t.build < kServer2025)
                return Judged(c.cls, Verdict::kWillNotLoad,
                              "will not load: attestation-signed, not on Windows Server");
            return Judged(c.cls, Verdict::kLoads, "loads");
        case C::kCrossSigned:
            if (c.leafNotBefore.empty()) return Judged(c.cls, Verdict::kUnknown, "unknown");
            if (t.architecture == Architecture::kArm64)
                return Judged(c.cls, Verdict::kWillNotLoad, "will not load: cross-signed, not on ARM64");
            if (t.secureBoot && t.build >= kWindows10v1607 && c.leafNotBefore >= kCrossSignCutOff)
                return Judged(c.cls, Verdict::kWillNotLoad, "will not load: cross-signed after 2015");
            if (t.crossSignAllowList)
                return Judged(c.cls, Verdict::kAtRisk, "at risk: cross-signed, needs Microsoft's allow list");
            return Judged(c.cls, Verdict::kLoads, "loads");
        case C::kAuthenticode:
            return Judged(c.cls, Verdict::kWillNotLoad,
                          "will not load: no Microsoft signature or cross-certificate");
        case C::kTestSigned: return Judged(c.cls, Verdict::kWillNotLoad, "will not load: test-signed");
        default: return Judged(c.cls, Verdict::kWillNotLoad, "will not load: unsigned");
    }
}

// How much better one forecast is than another for a file that may use either signature.
int Goodness(Verdict v) {
    switch (v) {
        case Verdict::kLoads:
        case Verdict::kNotNeeded: return 3;
        case Verdict::kAtRisk: return 2;
        case Verdict::kUnknown: return 1;
        default: return 0;
    }
}

}  // namespace

const char* ClassName(SignatureClass c) {
    switch (c) {
        case SignatureClass::kWhql: return "WHQL";
        case SignatureClass::kAttestation: return "attestation";
        case SignatureClass::kWindows: return "Windows in-box";
        case SignatureClass::kOtherMicrosoft: return "other Microsoft hardware signature";
        case SignatureClass::kCrossSigned: return "cross-signed";
        case SignatureClass::kAuthenticode: return "Authenticode";
        case SignatureClass::kTestSigned: return "self-/test-signed";
        case SignatureClass::kUnsigned: return "unsigned";
        default: return "unknown";
    }
}

const char* ArchitectureName(Architecture a) {
    switch (a) {
        case Architecture::kX86: return "x86";
        case Architecture::kArm64: return "arm64";
        case Architecture::kIa64: return "ia64";
        default: return "amd64";
    }
}

Classified Classify(const std::optional<SignatureRecord>& signature) {
    if (!signature || signature->signerCount == 0) return {SignatureClass::kUnsigned, ""};
    const SignatureRecord& r = *signature;
    const auto leaf = std::find_if(r.certificates.begin(), r.certificates.end(),
                                   [](const CertificateRecord& c) { return c.signerLeaf; });
    // A signer whose certificate the message does not carry cannot be told.
    if (leaf == r.certificates.end()) return {SignatureClass::kUnknown, ""};
    Classified out{SignatureClass::kUnknown, leaf->notBefore};
    if (leaf->selfIssued) {
        out.cls = SignatureClass::kTestSigned;
        return out;
    }
    // A Microsoft leaf that none of its rules matches is unknown, never someone else's chain.
    if (StartsWith(leaf->issuer, "Microsoft ")) return MicrosoftClass(*leaf);
    if (leaf->ekuExtension && !Has(*leaf, kCodeSigning)) return out;
    const bool crossCertificate =
        std::any_of(r.certificates.begin(), r.certificates.end(), [](const CertificateRecord& c) {
            return !c.signerLeaf && !c.selfIssued && c.issuer == kCodeVerificationRoot;
        });
    if (crossCertificate)
        out.cls = SignatureClass::kCrossSigned;
    else if (CarriesOwnRoot(r, *leaf))
        out.cls = SignatureClass::kTestSigned;
    else
        out.cls = SignatureClass::kAuthenticode;
    return out;
}

Target CleanWindows11() {
    return Target{"a clean 64-bit Windows 11 24H2 or later with Secure Boot",
                  26100,
                  false,
                  Architecture::kAmd64,
                  true,
                  true};
}

Forecast ForecastFor(const Package& package, const Target& target) {
    const Classified catalog = Classify(package.catalog);
    if (catalog.cls == SignatureClass::kWindows) return Judge(catalog, target);
    if (!package.architectures.empty() &&
        std::find(package.architectures.begin(), package.architectures.end(), target.architecture) ==
            package.architectures.end())
        return Judged(catalog.cls, Verdict::kWrongArchitecture, "wrong architecture");
    if (!package.kernelMode) return Judged(catalog.cls, Verdict::kLoads, "loads");
    const Forecast byCatalog = Judge(catalog, target);
    if (package.kernelFiles.empty()) return byCatalog;
    // Each file takes the better of its own signature and the catalog's; the package is as
    // good as its worst file.
    std::optional<Forecast> worst;
    for (const std::optional<SignatureRecord>& embedded : package.kernelFiles) {
        Forecast file = byCatalog;
        if (embedded) {
            const Forecast own = Judge(Classify(embedded), target);
            if (Goodness(own.verdict) > Goodness(file.verdict)) file = own;
        }
        if (!worst || Goodness(file.verdict) < Goodness(worst->verdict)) worst = file;
    }
    return *worst;
}

}  // namespace zv::signing
