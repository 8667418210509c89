#pragma once
// A driver package as the forecast takes it, read from its files: the INF tells whether it
// is kernel-mode and for which architectures it is made, its catalog and the embedded
// signatures of its .sys files tell how it is signed.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "signing/forecast.h"
#include "support/env.h"

namespace zv {
class InfFile;
}

namespace zv::signing {

// Whether the INF installs kernel-mode code: a .sys among its source files, or a service of
// type 1 (kernel driver) or 2 (file-system driver) in a services section of its install
// sections. arch is the architecture its sections are read for ("amd64").
[[nodiscard]] bool KernelModeOf(const InfFile& inf, const std::string& arch);

// The architectures the [Manufacturer] section's decorations name (NTx86, NTamd64.10.0, ...);
// an INF without decorations installs on x86 only.
[[nodiscard]] std::vector<Architecture> ArchitecturesOf(const InfFile& inf);

// The file's signature through the platform's seam: the record, nullopt when it holds none;
// false when it cannot be read. head, when given, is the file's start as just written: a
// file it proves unsigned is not opened.
[[nodiscard]] bool ReadSigned(Env& env, const std::string& path, SignedFileKind kind,
                              std::optional<SignatureRecord>* out, const std::string* head = nullptr);

// The package a backed-up driver folder holds: its INF, the catalog the INF names and the
// .sys files it names, each as copied into the folder; sections are read for the target's
// architecture. False when the INF or a signature cannot be read.
[[nodiscard]] bool ReadBackedUpPackage(Env& env, const std::string& folder, const std::string& infName,
                                       const Target& target, Package* package);

// What a caller knows of a file of the folder: whether it is there and, when the caller has
// just written it, its first bytes (nullptr: not known).
struct FolderFile {
    bool present = false;
    const std::string* head = nullptr;
};

// The same from an INF already read, for a folder whose files lookup(name) tells: a run that
// has just written the folder knows without asking.
[[nodiscard]] bool PackageOf(Env& env, const InfFile& inf, const std::string& folder, const Target& target,
                             const std::function<FolderFile(const std::string& name)>& lookup,
                             Package* package);

// A package's forecast on the target, or unknown when it could not be read.
[[nodiscard]] Forecast ForecastOrUnknown(bool readable, const Package& package, const Target& target);

// That package's forecast on the target; unknown when it cannot be read.
[[nodiscard]] Forecast BackedUpForecast(Env& env, const std::string& folder, const std::string& infName,
                                        const Target& target);

// Why a forecast's reason (as a report keeps it) says the package will not load there
// ("test-signed", "wrong architecture"); "" when it does not say so.
[[nodiscard]] std::string WhyItWillNotLoad(const std::string& reason);

}  // namespace zv::signing
