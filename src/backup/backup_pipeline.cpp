#include "backup/backup_pipeline.h"

#include <algorithm>
#include <utility>

#include "backup/backup_files.h"
#include "backup/backup_report.h"
#include "format/inf_reader.h"
#include "signing/package_files.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/vbrt.h"

namespace zv::backup {
namespace {

constexpr const char* kPrinterDriverFolder = "\\spool\\Drivers\\w32x86";
// Deeper than any package is laid out; bounds a folder chain of odd names.
constexpr int kDepthLimit = 32;

FileResult FileNamed(const std::string& file, FileOutcome outcome) {
    FileResult f;
    f.file = file;
    f.outcome = outcome;
    return f;
}

// The store keeps a published driver's catalog under the published INF's name: oem3.cat
// for oem3.inf; "" for a name that is no INF's.
std::string PublishedCatalog(const std::string& inf) {
    if (inf.size() <= 4 || !EqualsNoCase(inf.substr(inf.size() - 4), ".inf")) return "";
    return inf.substr(0, inf.size() - 4) + ".cat";
}

Dword AttributesOf(Env& env, const std::string& path) {
    RedirectionOff off(env.os.files);
    return env.os.files.GetFileAttributes(path);
}

}  // namespace

std::vector<std::string> SourceProbes(Env& env, const std::string& name, const std::string& id,
                                      const WindowsFolders& folders) {
    std::vector<std::string> probes;
    std::string ext;
    if (name.find('.') != std::string::npos) ext = ToLower(SplitText(name, '.').at(1));
    if (!id.empty()) {
        const std::string dir = WhereIsDir(env, id, folders);
        // As in the run: an id the table does not know gives no folder, and "\" + name
        // would probe the root of the current drive.
        if (!dir.empty()) probes.push_back(dir + "\\" + name);
        if (dir == folders.system + kPrinterDriverFolder)
            for (int k = 1; k <= 19; ++k) probes.push_back(dir + "\\" + std::to_string(k) + "\\" + name);
    }
    if (ext == "hlp") {
        probes.push_back(folders.windows + "\\help\\" + name);
    } else if (ext == "sys") {
        probes.push_back(folders.system + "\\drivers\\" + name);
    } else {
        probes.push_back(folders.system + "\\" + name);
    }
    return probes;
}

BackupPipeline::BackupPipeline(Env& env, IStatusBar& status, BackupOptions options,
                               RememberedProfile* profile, RememberedFolders* folders)
    : m_env(env),
      m_options(std::move(options)),
      m_copies(env, status, profile, folders),
      m_arch(ArchitectureOf(env.os.setup.NativeProcessorArchitecture())) {
    m_result.offlineWindows = m_options.offlineWindows;
}

void BackupPipeline::start(const std::string& root, const WindowsFolders& folders, long ticked) {
    m_result.root = root;
    m_folders = folders;
    m_ticked = ticked + static_cast<long>(m_options.storePackages.size());
    // FileRepository is exempt from WOW64 redirection from Windows 7 on (not on Vista);
    // every look below turns redirection off, so the 32-bit build sees the native store.
    m_finder = std::make_unique<PackageFinder>(m_env, folders.system + "\\DriverStore\\FileRepository",
                                               m_arch.store);
}

void BackupPipeline::beginDriver(const DriverRecord& driver) {
    m_result.drivers.push_back(DriverResult{driver, "", {}, false, std::nullopt});
    m_inDriver = true;
    m_heads.clear();
}

void BackupPipeline::setDriverFolder(const std::string& folder) {
    current().folder = folder;
}

void BackupPipeline::CopyReplacing(const std::string& from, const std::string& to) {
    const CopyResult copy = m_copies.copy(from, to, CopyKind::Numbered);
    if (m_inDriver) record(from, to, copy);
    if (!copy.ok) RaiseWin32(m_env.os.system, copy.error);
}

void BackupPipeline::record(const std::string& from, const std::string& to, const CopyResult& copy) {
    // An empty INF name from the registry copies to the folder itself: no file to list.
    if (to.empty() || to.back() == '\\') return;
    DriverResult& d = current();
    const std::string rel = nameInFolder(to);
    // A copy not made again leaves the target, and what was kept of its start, as they were;
    // a failed one leaves nothing to trust.
    if (!copy.ok)
        m_heads.erase(ToLower(rel));
    else if (!copy.reused)
        m_heads[ToLower(rel)] = {copy.head, copy.size};
    auto it = std::find_if(d.files.begin(), d.files.end(),
                           [&](const FileResult& f) { return EqualsNoCase(f.file, rel); });
    if (it == d.files.end()) it = d.files.insert(d.files.end(), FileNamed(rel, FileOutcome::Copied));
    it->source = from;
    it->outcome = copy.ok ? FileOutcome::Copied : FileOutcome::Failed;
    it->error = copy.ok ? 0 : copy.error;
    it->errorText = copy.ok ? "" : m_env.os.system.ErrorText(copy.error);
    it->size = copy.ok ? copy.size : 0;
    it->sha256 = copy.ok ? copy.sha256 : "";
}

void BackupPipeline::recordFailure(const std::string& file, Dword error) {
    FileResult f = FileNamed(file, FileOutcome::Failed);
    f.error = error;
    f.errorText = m_env.os.system.ErrorText(error);
    current().files.push_back(std::move(f));
}

void BackupPipeline::copyAddition(const std::string& from, const std::string& to) {
    record(from, to, m_copies.copy(from, to, CopyKind::Addition));
}

void BackupPipeline::copyPackage(const std::string& from, const std::string& to, int depth) {
    std::vector<FindEntry> entries;
    {
        RedirectionOff off(m_env.os.files);
        if (!m_env.os.files.FindFiles(LongPath(from + "\\*"), &entries)) entries.clear();
    }
    for (const FindEntry& e : entries) {
        if (e.name == "." || e.name == ".." || !IsPlainName(e.name) ||
            (e.attributes & kFileAttributeReparsePoint))
            continue;
        const std::string source = from + "\\" + e.name;
        const std::string target = to + "\\" + e.name;
        if (!(e.attributes & kFileAttributeDirectory)) {
            copyAddition(source, target);
            continue;
        }
        // Reparse points are not followed and the depth is bounded, so a link inside a
        // package cannot lead the copy outside it or round in circles.
        if (depth >= kDepthLimit) continue;
        const Dword a = AttributesOf(m_env, LongPath(target));
        if (a == kInvalidFileAttributes || !(a & kFileAttributeDirectory)) {
            Dword error = 0;
            {
                RedirectionOff off(m_env.os.files);
                if (!m_env.os.files.CreateDirectory(LongPath(target))) error = m_env.os.files.GetLastError();
            }
            if (error != 0) {
                recordFailure(target.substr(current().folder.size() + 1) + "\\", error);
                continue;
            }
        }
        copyPackage(source, target, depth + 1);
    }
}

void BackupPipeline::endDriver(const std::string& infCopy) {
    try {
        DriverResult& d = current();
        // The INF copy as the installer reads it: inline comments, [Strings], quotes, and
        // sections of any length. One that cannot be read names nothing.
        InfFile inf;
        Dword error = 0;
        // The copy's bytes as they were written, when the copy kept them all.
        const std::string* copied = headOf(nameInFolder(infCopy), true);
        const bool readable =
            copied ? (inf = ParseInf(*copied, m_env.os.locale), true) : ReadInf(m_env, infCopy, &inf, &error);
        bool package = false;
        if (m_finder && IsPlainName(d.driver.infName)) {
            const std::string folder = m_finder->find(m_folders.inf + d.driver.infName);
            if (!folder.empty()) {
                copyPackage(folder, d.folder, 0);
                package = true;
            }
        }
        if (readable) {
            catalogUnderItsName(inf);
            // A package holds every file its INF names, under the names and in the sub-folders
            // the INF gives; without one, the section decorated for this Windows adds its own,
            // and the files the numbered steps did not see are looked for.
            if (!package) sourcesWithoutPackage(inf);
            notFound(inf);
        }
        extensionDrivers();
        // From the copies, not the originals: the backup is what the reinstall will have.
        const signing::Target target = signing::CleanWindows11();
        signing::Package signedPackage;
        const bool known = readable && IsPlainName(d.driver.infName) &&
                           signing::PackageOf(
                               m_env, inf, d.folder, target,
                               [&](const std::string& name) {
                                   return signing::FolderFile{written(name), headOf(name, false)};
                               },
                               &signedPackage);
        d.forecast = signing::ForecastOrUnknown(known, signedPackage, target);
    } catch (...) {
        // Nothing above raises by design; should it, the driver says so and the run goes on.
        const RuntimeError e = CurrentFailure();
        FileResult f = FileNamed("", FileOutcome::Failed);
        f.errorText = e.description();
        current().files.push_back(std::move(f));
    }
    closeDriver();
    current().complete = true;
    if (m_options.onDriver)
        m_options.onDriver(m_result.drivers.back(), static_cast<long>(m_result.drivers.size()), m_ticked);
}

void BackupPipeline::storeOnly() {
    for (const DriverRecord& r : m_options.storePackages) {
        beginDriver(r);
        const std::string classFolder = m_result.root + "\\" + ClassFolderName(r.className);
        const std::string folder = classFolder + "\\" + DescriptionFolderName(m_env, NameOf(r.storePackage));
        setDriverFolder(folder);
        Dword error = 0;
        for (const std::string& f : {classFolder, folder}) {
            RedirectionOff off(m_env.os.files);
            const Dword a = m_env.os.files.GetFileAttributes(LongPath(f));
            if (a != kInvalidFileAttributes && (a & kFileAttributeDirectory)) continue;
            if (!m_env.os.files.CreateDirectory(LongPath(f))) error = m_env.os.files.GetLastError();
            if (error) break;
        }
        if (error) {
            recordFailure("", error);
        } else {
            copyPackage(r.storePackage, folder, 0);
        }
        closeDriver();
        current().complete = true;
        if (m_options.onDriver)
            m_options.onDriver(m_result.drivers.back(), static_cast<long>(m_result.drivers.size()), m_ticked);
    }
}

std::string BackupPipeline::nameInFolder(const std::string& path) {
    const std::string& folder = current().folder;
    const std::string prefix = folder + "\\";
    if (!folder.empty() && path.size() > prefix.size() && EqualsNoCase(path.substr(0, prefix.size()), prefix))
        return path.substr(prefix.size());
    return path;
}

const std::string* BackupPipeline::headOf(const std::string& file, bool whole) const {
    const auto it = m_heads.find(ToLower(file));
    if (it == m_heads.end() || (whole && it->second.first.size() != it->second.second)) return nullptr;
    return &it->second.first;
}

bool BackupPipeline::written(const std::string& file) const {
    const std::vector<FileResult>& files = m_result.drivers.back().files;
    return std::any_of(files.begin(), files.end(), [&](const FileResult& f) {
        return f.outcome == FileOutcome::Copied && EqualsNoCase(f.file, file);
    });
}

// The one search of the catalog store: each name in turn, in every sub-folder, until the
// driver folder holds file; the last copy found of a name stays, as in the numbered steps.
bool BackupPipeline::catalogFromStore(const std::vector<std::string>& names, const std::string& file) {
    const std::string store = m_folders.system + "\\CatRoot\\";
    const std::string target = current().folder + "\\" + file;
    for (const std::string& name : names) {
        if (written(file)) break;
        if (name.empty()) continue;
        for (const std::string& e : ListFolder(m_env, store))
            if (e != "." && e != ".." && FileExistsWithSystem(m_env, store + e + "\\" + name))
                copyAddition(store + e + "\\" + name, target);
    }
    return written(file);
}

void BackupPipeline::catalogUnderItsName(const InfFile& inf) {
    // The run's own search reads the name by profile rules, which keep an inline comment
    // and know no decorated key; this one finds what the installer would look for.
    const std::string name = CatalogFileOf(inf, m_arch.sources);
    if (IsPlainName(name)) (void)catalogFromStore({name, PublishedCatalog(current().driver.infName)}, name);
}

void BackupPipeline::sourcesWithoutPackage(const InfFile& inf) {
    const std::string folder = current().folder;
    // The id as the run's own steps compare it: "11,sub" is no id of the table.
    std::string id;
    for (const InfLine& line : inf.lines("DestinationDirs"))
        if (line.hasKey && EqualsNoCase(line.key, "DefaultDestDir")) {
            for (std::size_t k = 0; k < line.fields.size(); ++k) id += (k ? "," : "") + line.fields[k];
            break;
        }
    const auto probe = [&](const std::string& name) {
        if (!IsPlainName(name)) return;
        for (const std::string& at : SourceProbes(m_env, name, id, m_folders))
            if (FileExists(m_env, at)) copyAddition(at, folder + "\\" + name);
    };
    // The numbered steps read [SourceDisksFiles] through a buffer of 5,118 characters: the
    // names past it, and any they read otherwise, are looked for where the steps look.
    const std::vector<FileResult>& files = current().files;
    for (const std::string& name : inf.names("SourceDisksFiles")) {
        const bool written = std::any_of(files.begin(), files.end(), [&](const FileResult& f) {
            return f.outcome == FileOutcome::Copied && EqualsNoCase(f.file, name);
        });
        if (!written) probe(name);
    }
    for (const std::string& name : inf.names("SourceDisksFiles." + m_arch.sources)) probe(name);
}

// A folder of the driver's (made when missing); false records why it could not be made.
bool BackupPipeline::makeFolder(const std::string& folder) {
    const Dword a = AttributesOf(m_env, LongPath(folder));
    if (a != kInvalidFileAttributes && (a & kFileAttributeDirectory)) return true;
    Dword error = 0;
    {
        RedirectionOff off(m_env.os.files);
        if (!m_env.os.files.CreateDirectory(LongPath(folder))) error = m_env.os.files.GetLastError();
    }
    if (error == 0) return true;
    recordFailure(folder.substr(current().folder.size() + 1) + "\\", error);
    return false;
}

// The device's extension drivers (Windows 10 and later): each one's INF, its whole store
// package and its catalog into a sub-folder of the driver's folder named after the INF.
// A restore stages the INFs of a folder before those of its sub-folders: the base first.
void BackupPipeline::extensionDrivers() {
    DriverResult& d = current();
    for (const std::string& ext : d.driver.extensionInfs) {
        if (!IsPlainName(ext) || EqualsNoCase(ext, d.driver.infName)) continue;
        const std::string inf = m_folders.inf + ext;
        if (!FileExists(m_env, inf)) {
            d.files.push_back(FileNamed(ext + "\\" + ext, FileOutcome::NotFound));
            continue;
        }
        const std::string folder = d.folder + "\\" + ext;
        if (!makeFolder(folder)) continue;
        copyAddition(inf, folder + "\\" + ext);
        const std::string package = m_finder ? m_finder->find(inf) : "";
        if (!package.empty()) copyPackage(package, folder, 0);
        InfFile extInf;
        Dword readError = 0;
        if (!ReadInf(m_env, inf, &extInf, &readError)) continue;
        const std::string catalog = CatalogFileOf(extInf, m_arch.sources);
        if (!IsPlainName(catalog)) continue;
        const std::string rel = ext + "\\" + catalog;
        // Without a package: from the catalog store, under its name or the published INF's.
        if (!catalogFromStore({catalog, PublishedCatalog(ext)}, rel))
            d.files.push_back(FileNamed(rel, FileOutcome::NotFound));
    }
}

// A row for each file the INF names (its catalog, [SourceDisksFiles] and the section for
// this Windows) that was written nowhere in the driver folder. A name that is no plain file
// name (a device name, a path) was never looked for, so it is reported as not found too.
void BackupPipeline::notFound(const InfFile& inf) {
    std::vector<std::string> named = SourceDisksFilesOf(inf, m_arch.sources);
    named.push_back(CatalogFileOf(inf, m_arch.sources));
    DriverResult& d = current();
    for (const std::string& name : named) {
        if (name.empty()) continue;
        const bool known = std::any_of(d.files.begin(), d.files.end(), [&](const FileResult& f) {
            return EqualsNoCase(f.outcome == FileOutcome::NotFound ? f.file : NameOf(f.file), name);
        });
        if (!known) d.files.push_back(FileNamed(name, FileOutcome::NotFound));
    }
}

// The files written, sorted by name without regard to case; then those not found, in the
// order the INF names them.
void BackupPipeline::closeDriver() {
    if (!m_inDriver) return;
    m_inDriver = false;
    m_heads.clear();
    std::vector<FileResult>& files = current().files;
    const auto firstMissing = std::stable_partition(
        files.begin(), files.end(), [](const FileResult& f) { return f.outcome != FileOutcome::NotFound; });
    std::stable_sort(files.begin(), firstMissing, [](const FileResult& a, const FileResult& b) {
        return ToLower(a.file) < ToLower(b.file);
    });
}

void BackupPipeline::stopped(int line, const RuntimeError& error) {
    m_result.line = line;
    m_result.errorNumber = error.number();
    m_result.errorDescription = error.description();
}

BackupResult BackupPipeline::finish(RunEnd end) {
    closeDriver();
    m_result.end = end;
    writeReport();
    return std::move(m_result);
}

void BackupPipeline::writeReport() {
    if (m_result.drivers.empty() || m_result.root.empty()) return;
    const std::string path = ReportPath(m_env, m_result.root);
    const Dword error = WriteReport(m_env, path, m_result);
    if (error == 0) {
        m_result.reportPath = path;
    } else {
        m_result.reportError = error;
        m_result.reportErrorText = m_env.os.system.ErrorText(error);
    }
}

}  // namespace zv::backup
