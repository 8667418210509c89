#include "backup/store_steps.h"

#include <algorithm>
#include <map>

#include "backup/md_ini_inf.h"
#include "support/vbrt.h"

namespace zv::backup {
namespace {

constexpr const char* kPrinterDriverFolder = "\\spool\\Drivers\\w32x86";

std::string BaseName(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

std::vector<std::string> SectionNames(Env& env, const std::string& section, const std::string& file) {
    std::vector<std::string> names;
    for (const std::string& n : md_ini_inf::LoadIniSectionKeys(env, section, file))
        if (IsPlainName(n)) names.push_back(n);
    return names;
}

std::string DecoratedSection(const Architecture& arch) {
    std::string section = "SourceDisksFiles.";
    section += arch.sources;
    return section;
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

std::string CatalogName(Env& env, const std::string& infFile, const Architecture& arch) {
    std::string decorated = "CatalogFile.";
    decorated += arch.catalog;
    for (const std::string& key : {decorated, std::string("CatalogFile.NT"), std::string("CatalogFile")}) {
        const std::string name = md_ini_inf::ReadFromINI(env, "Version", key, infFile, "");
        if (!name.empty()) return name;
    }
    return "";
}

StoreSteps::StoreSteps(Env& env)
    : m_env(env), m_arch(ArchitectureOf(env.os.setup.NativeProcessorArchitecture())) {}

void StoreSteps::start(const std::string& root, const WindowsFolders& folders) {
    m_root = root;
    m_folders = folders;
    // FileRepository is exempt from WOW64 redirection from Windows 7 on (not on Vista);
    // every look below turns redirection off, so the 32-bit build sees the native store.
    m_finder = std::make_unique<PackageFinder>(m_env, folders.system + "\\DriverStore\\FileRepository",
                                               m_arch.store);
}

void StoreSteps::beginDriver(const std::string& description, const std::string& className,
                             const std::string& inf) {
    m_inDriver = true;
    m_anyDriver = true;
    m_driver = Driver{description, className, inf};
    m_mark = m_journal.copies().size();
}

void StoreSteps::endDriver(const std::string& driverFolder, const std::string& infCopy) {
    bool package = false;
    if (m_finder && IsPlainName(m_driver.inf)) {
        const std::string folder = m_finder->find(m_folders.inf + m_driver.inf);
        if (!folder.empty()) {
            CopyTree(m_env, folder, driverFolder);
            package = true;
        }
    }
    catalogUnderItsName(driverFolder, infCopy);
    // A package holds every file its INF names, under the names and in the sub-folders
    // the INF gives; without one, the sections decorated for this Windows add theirs.
    if (!package) decoratedSources(driverFolder, infCopy);
    rowsOf(driverFolder, namedFiles(infCopy));
    m_inDriver = false;
}

bool StoreSteps::copiedTo(const std::string& target) const {
    const auto& copies = m_journal.copies();
    return std::any_of(copies.begin() + static_cast<std::ptrdiff_t>(m_mark), copies.end(),
                       [&](const CopyJournal::Copy& c) { return EqualsNoCase(c.to, target); });
}

void StoreSteps::copyIfPresent(const std::string& source, const std::string& target) {
    if (FileExistsWithSystem(m_env, source)) CopyReplacing(m_env, source, target);
}

void StoreSteps::catalogUnderItsName(const std::string& driverFolder, const std::string& infCopy) {
    const std::string name = CatalogName(m_env, infCopy, m_arch);
    if (!IsPlainName(name)) return;
    const std::string target = driverFolder + "\\" + name;
    if (copiedTo(target)) return;
    const std::string store = m_folders.system + "\\CatRoot\\";
    const std::vector<std::string> entries = ListFolder(m_env, store);
    auto search = [&](const std::string& file) {
        for (const std::string& e : entries)
            if (e != "." && e != "..") copyIfPresent(store + e + "\\" + file, target);
    };
    // A decorated name, which the run's own search did not look for.
    if (!EqualsNoCase(name, md_ini_inf::ReadFromINI(m_env, "Version", "CatalogFile", infCopy, "")))
        search(name);
    if (copiedTo(target)) return;
    // The store keeps a published driver's catalog under the published INF's name.
    const std::string& inf = m_driver.inf;
    if (inf.size() <= 4 || !EqualsNoCase(inf.substr(inf.size() - 4), ".inf")) return;
    const std::string published = inf.substr(0, inf.size() - 4) + ".cat";
    if (!EqualsNoCase(published, name)) search(published);
}

void StoreSteps::decoratedSources(const std::string& driverFolder, const std::string& infCopy) {
    for (const std::string& name : SectionNames(m_env, DecoratedSection(m_arch), infCopy)) {
        const std::string id =
            md_ini_inf::ReadFromINI(m_env, "DestinationDirs", "DefaultDestDir", infCopy, "");
        for (const std::string& probe : SourceProbes(m_env, name, id, m_folders))
            if (FileExists(m_env, probe)) CopyReplacing(m_env, probe, driverFolder + "\\" + name);
    }
}

// Names that are no plain file names were never looked for: they are reported as not found.
std::vector<std::string> StoreSteps::namedFiles(const std::string& infCopy) {
    std::vector<std::string> named;
    for (const std::string& section : {std::string("SourceDisksFiles"), DecoratedSection(m_arch)})
        for (const std::string& n : md_ini_inf::LoadIniSectionKeys(m_env, section, infCopy))
            if (!n.empty()) named.push_back(n);
    const std::string catalog = CatalogName(m_env, infCopy, m_arch);
    if (!catalog.empty()) named.push_back(catalog);
    return named;
}

void StoreSteps::rowsOf(const std::string& driverFolder, const std::vector<std::string>& named) {
    struct Written {
        std::string name, source;
    };
    std::map<std::string, Written> written;  // by the lower-cased relative name: sorted, one per file
    const std::string prefix = driverFolder + "\\";
    const auto& copies = m_journal.copies();
    for (std::size_t i = m_mark; i < copies.size(); ++i) {
        const std::string& to = copies[i].to;
        if (to.size() <= prefix.size() || !EqualsNoCase(to.substr(0, prefix.size()), prefix)) continue;
        const std::string rel = to.substr(prefix.size());
        auto it = written.try_emplace(ToLower(rel), Written{rel, ""}).first;
        it->second.source = copies[i].from;
    }
    for (const auto& [key, w] : written) {
        ReportRow row{
            m_driver.description, m_driver.className, m_driver.inf, w.name, "copied", w.source, "", ""};
        RedirectionOff off(m_env.os.files);
        std::uint64_t size = 0;
        if (m_env.os.files.GetFileSize(prefix + w.name, &size) &&
            m_env.os.data.Sha256File(prefix + w.name, &row.sha256))
            row.size = std::to_string(size);
        else
            row.status = "unreadable";
        m_rows.push_back(row);
    }
    std::vector<std::string> reported;
    for (const std::string& name : named) {
        const bool found = std::any_of(written.begin(), written.end(), [&](const auto& w) {
            return EqualsNoCase(BaseName(w.second.name), name);
        });
        const bool again = std::any_of(reported.begin(), reported.end(),
                                       [&](const std::string& r) { return EqualsNoCase(r, name); });
        if (found || again) continue;
        reported.push_back(name);
        m_rows.push_back(
            {m_driver.description, m_driver.className, m_driver.inf, name, "not found", "", "", ""});
    }
}

void StoreSteps::writeReport() {
    if (m_reportTried || !m_anyDriver) return;
    m_reportTried = true;
    if (m_inDriver) {
        // The run failed inside this driver: its copies so far, the INF copy first.
        const auto& copies = m_journal.copies();
        if (m_mark < copies.size()) {
            const std::string& first = copies[m_mark].to;
            rowsOf(first.substr(0, first.find_last_of('\\')), {});
        }
        m_inDriver = false;
    }
    WriteReport(m_env, m_root, m_rows);
}

}  // namespace zv::backup
