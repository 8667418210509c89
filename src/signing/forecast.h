#pragma once
// Whether a driver package will load on a given Windows, told from its signatures alone: the
// class of each signature (its leaf's names and EKUs, the certificates the message carries)
// and the kernel-mode signing policy of the target. Names are compared as strings: a forecast
// is not a verification, and no trust store is asked.
#include <optional>
#include <string>
#include <vector>

#include "platform/signatures.h"

namespace zv::signing {

enum class SignatureClass {
    kUnknown,
    kWhql,            // Windows Hardware Compatibility Publisher, hardware-compatibility EKU
    kAttestation,     // the same publisher, attested EKU
    kWindows,         // in-box: "Microsoft Windows", system-component EKU
    kOtherMicrosoft,  // Microsoft's other hardware signatures: ELAM, HAL extension, extended verification
    kCrossSigned,     // a commercial chain with Microsoft's cross-certificate
    kAuthenticode,    // a code-signing chain without that cross-certificate
    kTestSigned,      // a self-issued leaf or a private root
    kUnsigned,        // no catalog, or no signer
};

[[nodiscard]] const char* ClassName(SignatureClass c);

struct Classified {
    SignatureClass cls = SignatureClass::kUnknown;
    std::string
        leafNotBefore;  // the signer's NotBefore: for a cross-signature, whether it is before the cut-off
};

// One signature's class; a missing message (nullopt) is unsigned.
[[nodiscard]] Classified Classify(const std::optional<SignatureRecord>& signature);

enum class Architecture { kX86, kAmd64, kArm64, kIa64 };

[[nodiscard]] const char* ArchitectureName(Architecture a);

// The Windows a driver is meant to load on.
struct Target {
    std::string name;
    Dword build = 0;  // 14393: Windows 10 1607 and Server 2016; 26100: Windows 11 24H2 and Server 2025
    bool server = false;
    Architecture architecture = Architecture::kAmd64;
    bool secureBoot = false;
    // Cross-signed drivers load only from Microsoft's unpublished allow list: Windows 11 24H2
    // from its April 2026 update, Server 2025.
    bool crossSignAllowList = false;
};

// The default target: a clean install of today's Windows.
[[nodiscard]] Target CleanWindows11();

struct Package {
    std::optional<SignatureRecord> catalog;  // nullopt: the package has no catalog
    // The embedded signature of each kernel-mode file (.sys) of the package; nullopt: none.
    std::vector<std::optional<SignatureRecord>> kernelFiles;
    bool kernelMode = false;                  // a service of type 1 or 2, or .sys files
    std::vector<Architecture> architectures;  // empty: not known, not checked
};

enum class Verdict { kLoads, kAtRisk, kWillNotLoad, kWrongArchitecture, kNotNeeded, kUnknown };

struct Forecast {
    SignatureClass cls = SignatureClass::kUnknown;
    Verdict verdict = Verdict::kUnknown;
    std::string reason;  // "loads", "will not load: cross-signed after 2015", ...
};

// The package on that target. A kernel file loads by its own signature or the catalog's,
// whichever the target accepts; the package loads when each of its kernel files does.
[[nodiscard]] Forecast ForecastFor(const Package& package, const Target& target);

// The first signer's NotBefore from which a cross-signature no longer loads under Secure Boot.
inline constexpr const char* kCrossSignCutOff = "2015-07-29 00:00:00";

}  // namespace zv::signing
