#include "backup/installed_forecast.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "backup/backup_files.h"
#include "backup/md_folders.h"
#include "format/architecture.h"
#include "format/inf_reader.h"
#include "signing/package_files.h"
#include "support/md_Usefull.h"
#include "support/registry_key.h"
#include "support/text.h"

namespace zv::backup {
namespace {

using signing::Architecture;

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

InstalledPlaces InstalledPlacesOf(Env& env) {
    InstalledPlaces p;
    p.windows = md_folders::Getpath_WINDOWS(env);
    p.system = md_folders::Getpath_SYSTEM(env);
    p.sources = ArchitectureOf(env.os.setup.NativeProcessorArchitecture()).sources;
    p.store = p.system + "\\CatRoot\\";
    p.storeFolders = ListFolder(env, p.store);
    return p;
}

InstalledDriver ReadInstalledDriver(Env& env, const InstalledPlaces& places, const DriverRecord& d) {
    InstalledDriver f{d, false, {}};
    InfFile inf;
    Dword error = 0;
    if (!IsPlainName(d.infName) || !ReadInf(env, places.windows + "\\inf\\" + d.infName, &inf, &error))
        return f;
    signing::Package& package = f.package;
    package.kernelMode = signing::KernelModeOf(inf, places.sources);
    package.architectures = signing::ArchitecturesOf(inf);
    bool readable = true;
    // The store keeps a published driver's catalog under its own name or the published INF's.
    const std::string published = d.infName.substr(0, d.infName.size() - 4) + ".cat";
    bool found = false;
    for (const std::string& name : {CatalogFileOf(inf, places.sources), published}) {
        if (found || !EndsWithNoCase(d.infName, ".inf") || !IsPlainName(name)) continue;
        for (const std::string& folder : places.storeFolders) {
            const std::string path = places.store + folder + "\\" + name;
            if (found || folder == "." || folder == ".." || !FileExistsWithSystem(env, path)) continue;
            found = true;
            readable = signing::ReadSigned(env, path, SignedFileKind::kCatalog, &package.catalog);
        }
    }
    for (const std::string& name : SourceDisksFilesOf(inf, places.sources)) {
        if (!EndsWithNoCase(name, ".sys") || !IsPlainName(name)) continue;
        std::optional<SignatureRecord> embedded;
        const std::string path = places.system + "\\drivers\\" + name;
        if (FileExistsWithSystem(env, path))
            readable = signing::ReadSigned(env, path, SignedFileKind::kEmbedded, &embedded) && readable;
        package.kernelFiles.push_back(std::move(embedded));
    }
    f.readable = readable;
    return f;
}

std::vector<InstalledDriver> ReadInstalled(Env& env, const std::vector<DriverRecord>& drivers) {
    const InstalledPlaces places = InstalledPlacesOf(env);
    std::vector<InstalledDriver> out;
    for (const DriverRecord& d : drivers) out.push_back(ReadInstalledDriver(env, places, d));
    return out;
}

signing::Forecast ForecastOf(const InstalledDriver& d, const signing::Target& target) {
    if (!d.readable) return {signing::SignatureClass::kUnknown, signing::Verdict::kUnknown, "unknown"};
    return signing::ForecastFor(d.package, target);
}

}  // namespace zv::backup
