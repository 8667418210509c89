#include "signing/package_files.h"

#include <algorithm>
#include <cstdlib>

#include "format/folder_names.h"
#include "format/inf_reader.h"
#include "support/redirection.h"
#include "support/signature_head.h"
#include "support/text.h"

namespace zv::signing {
namespace {

constexpr long kServiceKernelDriver = 1;
constexpr long kServiceFileSystemDriver = 2;

std::optional<Architecture> DecorationArchitecture(const std::string& decoration) {
    const std::string d = ToLower(decoration);
    // NTarm64 before NTarm, which is no architecture of the forecast.
    for (const auto& [name, arch] : {std::pair{"ntamd64", Architecture::kAmd64},
                                     {"ntarm64", Architecture::kArm64},
                                     {"ntx86", Architecture::kX86},
                                     {"ntia64", Architecture::kIa64}})
        if (d.rfind(name, 0) == 0 && (d.size() == std::char_traits<char>::length(name) ||
                                      d[std::char_traits<char>::length(name)] == '.'))
            return arch;
    return std::nullopt;
}

// The install sections the models sections name, for the decorations the INF gives.
std::vector<std::string> InstallSections(const InfFile& inf) {
    std::vector<std::string> out;
    for (const InfLine& m : inf.lines("Manufacturer")) {
        if (m.fields.empty()) continue;
        std::vector<std::string> models{m.fields[0]};
        for (std::size_t k = 1; k < m.fields.size(); ++k) models.push_back(m.fields[0] + "." + m.fields[k]);
        for (const std::string& section : models)
            for (const InfLine& line : inf.lines(section))
                if (!line.fields.empty() && !line.fields[0].empty()) out.push_back(line.fields[0]);
    }
    return out;
}

}  // namespace

bool ReadSigned(Env& env, const std::string& path, SignedFileKind kind, std::optional<SignatureRecord>* out,
                const std::string* head) {
    if (head && !MayHoldSignature(*head, kind)) {
        out->reset();
        return true;
    }
    // A 32-bit program on 64-bit Windows would read SysWOW64's copies.
    RedirectionOff off(env.os.files);
    SignatureRecord record;
    Dword error = 0;
    if (env.os.signatures.ReadSignature(path, kind, &record, &error)) {
        *out = std::move(record);
        return true;
    }
    out->reset();
    return error == kCryptENoMatch;
}

bool KernelModeOf(const InfFile& inf, const std::string& arch) {
    for (const std::string& name : SourceDisksFilesOf(inf, arch))
        if (EndsWithNoCase(name, ".sys")) return true;
    for (const std::string& install : InstallSections(inf)) {
        for (const std::string& services :
             {install + ".Services", install + ".NT.Services", install + ".NT" + arch + ".Services"}) {
            for (const InfLine& line : inf.lines(services)) {
                if (!line.hasKey || !EqualsNoCase(line.key, "AddService") || line.fields.size() < 3) continue;
                const std::string type = inf.value(line.fields[2], "ServiceType");
                const long value = std::strtol(type.c_str(), nullptr, 0);
                if (value == kServiceKernelDriver || value == kServiceFileSystemDriver) return true;
            }
        }
    }
    return false;
}

std::vector<Architecture> ArchitecturesOf(const InfFile& inf) {
    std::vector<Architecture> out;
    bool decorated = false;
    for (const InfLine& m : inf.lines("Manufacturer"))
        for (std::size_t k = 1; k < m.fields.size(); ++k) {
            decorated = true;
            const std::optional<Architecture> a = DecorationArchitecture(m.fields[k]);
            if (a && std::find(out.begin(), out.end(), *a) == out.end()) out.push_back(*a);
        }
    if (!decorated && !inf.lines("Manufacturer").empty()) out.push_back(Architecture::kX86);
    return out;
}

bool PackageOf(Env& env, const InfFile& inf, const std::string& folder, const Target& target,
               const std::function<FolderFile(const std::string& name)>& lookup, Package* package) {
    // A backup of the 32-bit build in the system folder must not see SysWOW64 instead.
    RedirectionOff off(env.os.files);
    const std::string arch = ArchitectureName(target.architecture);
    package->kernelMode = KernelModeOf(inf, arch);
    package->architectures = ArchitecturesOf(inf);
    bool readable = true;
    const std::string catalog = CatalogFileOf(inf, arch);
    if (IsPlainName(catalog)) {
        if (const FolderFile f = lookup(catalog); f.present)
            readable =
                ReadSigned(env, folder + "\\" + catalog, SignedFileKind::kCatalog, &package->catalog, f.head);
    }
    for (const std::string& name : SourceDisksFilesOf(inf, arch)) {
        if (!EndsWithNoCase(name, ".sys") || !IsPlainName(name)) continue;
        std::optional<SignatureRecord> embedded;
        if (const FolderFile f = lookup(name); f.present)
            readable = ReadSigned(env, folder + "\\" + name, SignedFileKind::kEmbedded, &embedded, f.head) &&
                       readable;
        package->kernelFiles.push_back(std::move(embedded));
    }
    return readable;
}

bool ReadBackedUpPackage(Env& env, const std::string& folder, const std::string& infName,
                         const Target& target, Package* package) {
    RedirectionOff off(env.os.files);
    InfFile inf;
    Dword error = 0;
    if (!IsPlainName(infName) || !ReadInf(env, folder + "\\" + infName, &inf, &error)) return false;
    return PackageOf(
        env, inf, folder, target,
        [&](const std::string& name) {
            return FolderFile{env.os.files.GetFileAttributes(folder + "\\" + name) != kInvalidFileAttributes};
        },
        package);
}

Forecast ForecastOrUnknown(bool readable, const Package& package, const Target& target) {
    if (!readable) return {SignatureClass::kUnknown, Verdict::kUnknown, "unknown"};
    return ForecastFor(package, target);
}

Forecast BackedUpForecast(Env& env, const std::string& folder, const std::string& infName,
                          const Target& target) {
    Package package;
    const bool readable = ReadBackedUpPackage(env, folder, infName, target, &package);
    return ForecastOrUnknown(readable, package, target);
}

std::string WhyItWillNotLoad(const std::string& reason) {
    const std::string prefix = "will not load: ";
    if (reason.rfind(prefix, 0) == 0) return reason.substr(prefix.size());
    return reason == "wrong architecture" ? reason : "";
}

}  // namespace zv::signing
