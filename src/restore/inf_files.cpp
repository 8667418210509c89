#include "restore/inf_files.h"

#include <algorithm>
#include <cctype>

#include "support/vbrt.h"

namespace zv::restore {
namespace {

constexpr Dword kFileAttributeReparsePoint = 0x400;
// Deeper than any backup tree; a bound, so that an odd file system cannot recurse for ever.
constexpr int kMaxDepth = 32;
// An INF is text of a few kilobytes; anything far larger is not one to compare.
constexpr std::size_t kCompareLimit = 16u << 20;

// INF lines are blank around their fields with tabs and line ends too.
constexpr const char* kInfBlanks = " \t\r\n";

// A field of an INF line: blanks around it and its enclosing quotes dropped.
std::string Field(const std::string& s) {
    std::string t = Trim(s, kInfBlanks);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
    return Trim(t, kInfBlanks);
}

bool EndsWithInf(const std::string& name) {
    return name.size() > 4 && ToLower(name.substr(name.size() - 4)) == ".inf";
}

bool LessNoCase(const std::string& a, const std::string& b) {
    return ToLower(a) < ToLower(b);
}

// The section's "key=value" lines, each once, without comment lines. The buffer grows
// until the section fits: the platform cuts a long section silently.
std::vector<std::string> SectionLines(Env& env, const std::string& section, const std::string& file) {
    for (Dword size = 32 * 1024; size <= 4u * 1024 * 1024; size *= 4) {
        std::string buffer(size, '\0');
        const Dword n = env.os.profile.GetPrivateProfileSection(section, buffer.data(), size, file);
        if (n + 2 >= size) continue;
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < n && buffer[at] != '\0';) {
            const std::size_t end = buffer.find('\0', at);
            std::string line = buffer.substr(at, end - at);
            at = end + 1;
            if (const std::size_t semi = line.find(';'); semi != std::string::npos)
                line = line.substr(0, semi);
            if (!Trim(line, kInfBlanks).empty()) lines.push_back(line);
        }
        return lines;
    }
    return {};
}

std::string ValueOf(const std::string& line) {
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? "" : line.substr(eq + 1);
}

// A decoration applies to the architecture: "NTx86", "NTx86.6.1", "NTamd64.10.0...1".
bool DecorationFits(const std::string& decoration, const std::string& arch) {
    const std::string d = ToLower(decoration);
    const std::string want = "nt" + arch;
    return d == want || d.rfind(want + ".", 0) == 0;
}

bool SameContent(IFileContents& contents, const std::string& a, const std::string& b) {
    std::string x, y;
    Dword error = 0;
    return contents.ReadAll(a, kCompareLimit, &x, &error) && contents.ReadAll(b, kCompareLimit, &y, &error) &&
           x == y;
}

void Walk(Env& env, IFileContents& contents, const std::string& folder, int depth,
          std::vector<std::string>& out) {
    std::vector<FindEntry> entries;
    // A folder picked high up (a whole drive) has many to walk; the window repaints meanwhile.
    env.os.ui.DoEvents();
    if (!env.os.files.FindFiles(folder + "\\*", &entries)) return;
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
                    SameContent(contents, folder + "\\" + name, folder + "\\" + other)) {
                    copy = true;
                    break;
                }
        }
        if (!copy) out.push_back(folder + "\\" + name);
    }
    if (depth >= kMaxDepth) return;
    for (const std::string& name : folders) Walk(env, contents, folder + "\\" + name, depth + 1, out);
}

}  // namespace

bool IsPublishedName(const std::string& name) {
    const std::string n = ToLower(name);
    if (n.size() <= 7 || n.rfind("oem", 0) != 0 || n.substr(n.size() - 4) != ".inf") return false;
    return std::all_of(n.begin() + 3, n.end() - 4,
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::vector<std::string> FindInfFiles(Env& env, IFileContents& contents, const std::string& folder) {
    std::vector<std::string> out;
    std::string root = folder;
    while (root.size() > 1 && root.back() == '\\') root.pop_back();
    Walk(env, contents, root, 0, out);
    return out;
}

std::vector<std::string> HardwareIdsOf(Env& env, const std::string& inf, const std::string& arch) {
    std::vector<std::string> ids;
    std::vector<std::string> seen;  // lower case
    for (const std::string& maker : SectionLines(env, "Manufacturer", inf)) {
        const std::vector<std::string> fields = SplitText(ValueOf(maker), ',');
        const std::string models = Field(fields.at(0));
        if (models.empty()) continue;
        std::vector<std::string> sections;
        for (std::size_t k = 1; k < fields.size(); ++k)
            if (DecorationFits(Field(fields[k]), arch)) sections.push_back(models + "." + Field(fields[k]));
        if (sections.empty()) sections.push_back(models);
        for (const std::string& section : sections) {
            for (const std::string& line : SectionLines(env, section, inf)) {
                const std::vector<std::string> parts = SplitText(ValueOf(line), ',');
                for (std::size_t k = 1; k < parts.size(); ++k) {
                    const std::string id = Field(parts[k]);
                    if (id.empty()) continue;
                    const std::string key = ToLower(id);
                    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
                    seen.push_back(key);
                    ids.push_back(id);
                }
            }
        }
    }
    return ids;
}

std::string CatalogOf(Env& env, const std::string& inf, const std::string& arch) {
    for (const std::string& key : {"CatalogFile.NT" + arch, std::string("CatalogFile")}) {
        char buffer[512] = {};
        (void)env.os.profile.GetPrivateProfileString("Version", key, "", buffer, sizeof buffer, inf);
        if (const std::string name = Field(buffer); !name.empty()) return name;
    }
    return "";
}

}  // namespace zv::restore
