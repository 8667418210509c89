#include "cli/driver_check.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "backup/backup_files.h"
#include "backup/md_folders.h"
#include "format/architecture.h"
#include "format/inf_reader.h"
#include "support/md_Usefull.h"
#include "support/registry_key.h"
#include "support/text.h"

namespace zv::cli {
namespace {

using signing::Architecture;

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

// The file's signature: the record, nullopt when it holds none, or false when it cannot be read.
bool ReadSigned(Env& env, ISignatures& signatures, const std::string& path, SignedFileKind kind,
                std::optional<SignatureRecord>* out) {
    // A 32-bit program on 64-bit Windows would read SysWOW64's copies.
    RedirectionOff off(env.os.files);
    SignatureRecord record;
    Dword error = 0;
    if (signatures.ReadSignature(path, kind, &record, &error)) {
        *out = std::move(record);
        return true;
    }
    out->reset();
    return error == kCryptENoMatch;
}

Dword DwordValue(Env& env, const std::string& path, const std::string& name) {
    IRegistry& r = env.os.registry;
    Hkey opened = kNoKey;
    if (r.OpenKeyEx(kHkeyLocalMachine, path, 0, kKeyQueryValue, &opened) != 0) return 0;
    const OpenedKey key(opened, SeamKeyTraits{&r});
    Dword type = 0, value = 0, size = sizeof value;
    if (r.QueryValueEx(key.get(), name, &type, reinterpret_cast<std::uint8_t*>(&value), &size) != 0 ||
        type != kRegDword || size != sizeof value)
        return 0;
    return value;
}

}  // namespace

std::optional<signing::Target> ThisWindows(Env& env) {
    const std::string version = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    const Dword build = static_cast<Dword>(std::strtoul(
        md_Usefull::GetString(env, kHkeyLocalMachine, version, "CurrentBuildNumber").c_str(), nullptr, 10));
    if (build == 0) return std::nullopt;
    signing::Target t;
    t.name = "this Windows";
    t.build = build;
    t.server =
        md_Usefull::GetString(env, kHkeyLocalMachine, version, "InstallationType").rfind("Server", 0) == 0;
    switch (env.os.setup.NativeProcessorArchitecture()) {
        case kProcessorArchitectureAmd64: t.architecture = Architecture::kAmd64; break;
        case kProcessorArchitectureArm64: t.architecture = Architecture::kArm64; break;
        case kProcessorArchitectureIa64: t.architecture = Architecture::kIa64; break;
        default: t.architecture = Architecture::kX86;
    }
    t.secureBoot = DwordValue(env, "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State",
                              "UEFISecureBootEnabled") == 1;
    // Which updates of 24H2 and later Windows hold the allow list cannot be told from the
    // build: counted as held.
    t.crossSignAllowList = build >= 26100;
    return t;
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

std::vector<InstalledDriver> ReadInstalled(Env& env, ISignatures& signatures,
                                           const std::vector<DriverRecord>& drivers) {
    const std::string windows = md_folders::Getpath_WINDOWS(env);
    const std::string system = md_folders::Getpath_SYSTEM(env);
    const zv::Architecture arch = ArchitectureOf(env.os.setup.NativeProcessorArchitecture());
    const std::string store = system + "\\CatRoot\\";
    const std::vector<std::string> storeFolders = backup::ListFolder(env, store);

    std::vector<InstalledDriver> out;
    for (const DriverRecord& d : drivers) {
        InstalledDriver f{d, false, {}};
        InfFile inf;
        Dword error = 0;
        if (!IsPlainName(d.infName) || !ReadInf(env, windows + "\\inf\\" + d.infName, &inf, &error)) {
            out.push_back(std::move(f));
            continue;
        }
        signing::Package& package = f.package;
        package.kernelMode = KernelModeOf(inf, arch.sources);
        package.architectures = ArchitecturesOf(inf);
        bool readable = true;
        // The store keeps a published driver's catalog under its own name or the published INF's.
        const std::string published = d.infName.substr(0, d.infName.size() - 4) + ".cat";
        bool found = false;
        for (const std::string& name : {CatalogFileOf(inf, arch.sources), published}) {
            if (found || !EndsWithNoCase(d.infName, ".inf") || !IsPlainName(name)) continue;
            for (const std::string& folder : storeFolders) {
                const std::string path = store + folder + "\\" + name;
                if (found || folder == "." || folder == ".." || !backup::FileExistsWithSystem(env, path))
                    continue;
                found = true;
                readable = ReadSigned(env, signatures, path, SignedFileKind::kCatalog, &package.catalog);
            }
        }
        for (const std::string& name : SourceDisksFilesOf(inf, arch.sources)) {
            if (!EndsWithNoCase(name, ".sys") || !IsPlainName(name)) continue;
            std::optional<SignatureRecord> embedded;
            const std::string path = system + "\\drivers\\" + name;
            if (backup::FileExistsWithSystem(env, path))
                readable =
                    ReadSigned(env, signatures, path, SignedFileKind::kEmbedded, &embedded) && readable;
            package.kernelFiles.push_back(std::move(embedded));
        }
        f.readable = readable;
        out.push_back(std::move(f));
    }
    return out;
}

signing::Forecast ForecastOf(const InstalledDriver& d, const signing::Target& target) {
    if (!d.readable) return {signing::SignatureClass::kUnknown, signing::Verdict::kUnknown, "unknown"};
    return signing::ForecastFor(d.package, target);
}

}  // namespace zv::cli
