#include "restore/inf_files.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "format/inf_reader.h"
#include "support/paths.h"
#include "support/text.h"

namespace zv::restore {
namespace {

// Deeper than any backup tree; a bound, so that an odd file system cannot recurse for ever.
constexpr int kMaxDepth = 32;
// An INF is text of a few kilobytes; anything far larger is not one to compare.
constexpr std::size_t kCompareLimit = 16u << 20;

bool EndsWithInf(const std::string& name) {
    return name.size() > 4 && EndsWithNoCase(name, ".inf");
}

bool LessNoCase(const std::string& a, const std::string& b) {
    return ToLower(a) < ToLower(b);
}

// A decoration applies to the architecture: "NTx86", "NTx86.6.1", "NTamd64.10.0...1".
bool DecorationFits(const std::string& decoration, const std::string& arch) {
    const std::string d = ToLower(decoration);
    const std::string want = "nt" + arch;
    return d == want || d.rfind(want + ".", 0) == 0;
}

bool SameContent(IFileData& data, const std::string& a, const std::string& b) {
    std::string x, y;
    return data.ReadWholeFile(a, kCompareLimit, &x) && data.ReadWholeFile(b, kCompareLimit, &y) && x == y;
}

void Walk(Env& env, const std::string& folder, int depth, std::vector<std::string>& out) {
    std::vector<FindEntry> entries;
    // A folder picked high up (a whole drive) has many to walk; the window repaints meanwhile.
    env.os.ui.DoEvents();
    if (!env.os.files.FindFiles(JoinPath(folder, "*"), &entries)) return;
    std::vector<std::string> infs, folders;
    for (const FindEntry& e : entries) {
        if (e.name == "." || e.name == "..") continue;
        if (e.attributes & kFileAttributeDirectory) {
            if (!(e.attributes & kFileAttributeReparsePoint)) folders.push_back(e.name);
        } else if (EndsWithInf(e.name)) {
            infs.push_back(e.name);
        }
    }
    std::sort(infs.begin(), infs.end(), LessNoCase);
    std::sort(folders.begin(), folders.end(), LessNoCase);
    for (const std::string& name : infs) {
        bool copy = false;
        if (IsPublishedName(name)) {
            for (const std::string& other : infs)
                if (!IsPublishedName(other) &&
                    SameContent(env.os.data, JoinPath(folder, name), JoinPath(folder, other))) {
                    copy = true;
                    break;
                }
        }
        if (!copy) out.push_back(JoinPath(folder, name));
    }
    if (depth >= kMaxDepth) return;
    for (const std::string& name : folders) Walk(env, JoinPath(folder, name), depth + 1, out);
}

}  // namespace

bool IsPublishedName(const std::string& name) {
    const std::string n = ToLower(name);
    if (n.size() <= 7 || n.rfind("oem", 0) != 0 || n.substr(n.size() - 4) != ".inf") return false;
    return std::all_of(n.begin() + 3, n.end() - 4,
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::vector<std::string> FindInfFiles(Env& env, const std::string& folder) {
    std::vector<std::string> out;
    Walk(env, WithoutTrailingSeparator(folder), 0, out);
    return out;
}

std::vector<std::string> HardwareIdsOf(Env& env, const std::string& inf, const std::string& arch) {
    InfFile file;
    Dword error = 0;
    if (!ReadInf(env, inf, &file, &error)) return {};
    std::vector<std::string> ids;
    std::set<std::string> seen;  // lower case
    for (const InfLine& maker : file.lines("Manufacturer")) {
        // "%maker% = models[, decoration...]", or the models section's name alone.
        if (maker.fields.empty() || maker.fields[0].empty()) continue;
        const std::string& models = maker.fields[0];
        std::vector<std::string> sections;
        for (std::size_t k = 1; k < maker.fields.size(); ++k)
            if (DecorationFits(maker.fields[k], arch)) sections.push_back(models + "." + maker.fields[k]);
        if (sections.empty()) sections.push_back(models);
        for (const std::string& section : sections)
            for (const InfLine& model : file.lines(section))
                // "description = install section, hardware id, compatible id..."
                for (std::size_t k = 1; k < model.fields.size(); ++k)
                    if (const std::string& id = model.fields[k];
                        !id.empty() && seen.insert(ToLower(id)).second)
                        ids.push_back(id);
    }
    return ids;
}

std::string CatalogOf(Env& env, const std::string& inf, const std::string& arch) {
    InfFile file;
    Dword error = 0;
    return ReadInf(env, inf, &file, &error) ? CatalogFileOf(file, arch) : "";
}

}  // namespace zv::restore
