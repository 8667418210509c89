#include "backup/store_only.h"

#include <set>

#include "backup/driver_store.h"
#include "backup/md_folders.h"
#include "format/architecture.h"
#include "format/folder_names.h"
#include "format/inf_reader.h"
#include "support/paths.h"
#include "support/redirection.h"
#include "support/text.h"

namespace zv::backup {
namespace {

// The INF a package folder is named after ("qx900.inf_amd64_5a1f..." holds qx900.inf), else
// the first INF it holds; "" for a folder without one.
std::string PackageInf(Env& env, const std::string& folder, const std::string& name) {
    IFileSystem& files = env.os.files;
    RedirectionOff off(files);
    const std::size_t hash = name.find_last_of('_');
    const std::size_t arch =
        hash == std::string::npos || hash == 0 ? std::string::npos : name.find_last_of('_', hash - 1);
    if (arch != std::string::npos) {
        const std::string named = name.substr(0, arch);
        const Dword a = files.GetFileAttributes(folder + "\\" + named);
        if (EndsWithNoCase(named, ".inf") && a != kInvalidFileAttributes && !(a & kFileAttributeDirectory))
            return named;
    }
    std::vector<FindEntry> infs;
    if (!files.FindFiles(folder + "\\*.inf", &infs)) return "";
    for (const FindEntry& e : infs)
        if (!(e.attributes & kFileAttributeDirectory) && EndsWithNoCase(e.name, ".inf") &&
            IsPlainName(e.name))
            return e.name;
    return "";
}

}  // namespace

std::vector<DriverRecord> StoreOnlyPackages(Env& env, const std::vector<DriverRecord>& listed,
                                            bool microsoft) {
    std::vector<DriverRecord> out;
    const std::string windows = md_folders::Getpath_WINDOWS(env);
    const std::string system = md_folders::Getpath_SYSTEM(env);
    if (windows.empty() || system.empty()) return out;
    const std::string repository = system + "\\DriverStore\\FileRepository";
    const Architecture arch = ArchitectureOf(env.os.setup.NativeProcessorArchitecture());
    PackageFinder finder(env, repository, arch.store);
    std::set<std::string> used;
    const auto use = [&](const std::string& inf) {
        if (!IsPlainName(inf)) return;
        const std::string folder = finder.find(windows + "\\inf\\" + inf);
        if (!folder.empty()) used.insert(ToLower(folder));
    };
    for (const DriverRecord& r : listed) {
        use(r.infName);
        for (const std::string& ext : r.extensionInfs) use(ext);
    }
    std::vector<FindEntry> folders;
    {
        RedirectionOff off(env.os.files);
        if (!env.os.files.FindFiles(repository + "\\*", &folders)) return out;
    }
    for (const FindEntry& f : folders) {
        if (f.name == "." || f.name == ".." || !(f.attributes & kFileAttributeDirectory) ||
            (f.attributes & kFileAttributeReparsePoint) || !IsPlainName(f.name))
            continue;
        const std::string folder = repository + "\\" + f.name;
        if (used.count(ToLower(folder))) continue;
        const std::string infName = PackageInf(env, folder, f.name);
        if (infName.empty()) continue;
        InfFile inf;
        Dword error = 0;
        const bool readable = ReadInf(env, folder + "\\" + infName, &inf, &error);
        DriverRecord r;
        r.description = infName;
        r.infName = infName;
        r.id = f.name;
        r.storePackage = folder;
        if (readable) {
            r.className = inf.value("Version", "Class");
            r.provider = inf.value("Version", "Provider");
            const std::vector<InfLine>& lines = inf.lines("Version");
            for (const InfLine& line : lines) {
                if (!EqualsNoCase(line.key, "DriverVer")) continue;
                if (!line.fields.empty()) r.date = Trim(line.fields[0]);
                if (line.fields.size() > 1) r.version = Trim(line.fields[1]);
                break;
            }
        }
        if (r.className.empty()) r.className = "Unknown";
        // As the list does: whole-value equality, and no provider counts as Microsoft's.
        if (!microsoft && (r.provider.empty() || ToLower(r.provider) == "microsoft")) continue;
        out.push_back(std::move(r));
    }
    return out;
}

}  // namespace zv::backup
