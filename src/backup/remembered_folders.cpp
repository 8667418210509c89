#include "backup/remembered_folders.h"

#include <algorithm>
#include <cstring>

#include "support/text.h"

namespace zv::backup {
namespace {

// The folder part of a path, lower-cased, "\\?\" dropped; "" where the same folder could
// go by another name: a short (8.3) alias, a name outside ASCII (whose case folding
// depends on the code page), "." or ".." or an empty part, or a part ending in a dot or a
// blank (which Windows drops).
std::string FolderKey(std::string path) {
    if (path.rfind("\\\\?\\", 0) == 0) path.erase(0, 4);
    std::replace(path.begin(), path.end(), '/', '\\');
    const std::size_t last = path.find_last_of('\\');
    if (last == std::string::npos) return "";
    const std::string folder = path.substr(0, last);
    if (folder.empty() || folder.find('~') != std::string::npos ||
        std::any_of(folder.begin(), folder.end(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return "";
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = folder.find('\\', start);
        const std::string part =
            folder.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part.back() == '.' || part.back() == ' ') return "";
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return ToLower(folder);
}

// A name a listing can answer for: one that only a file of that name, in any case, matches.
// A short alias, a wildcard, a name outside ASCII (folded by the code page) or one Windows
// would trim is asked of the file system.
bool ListedName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ') return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u >= 0x80 || std::strchr("~*?<>|\":/\\", c) != nullptr;
    });
}

// The last part of a path, lower-cased.
std::string NameKey(const std::string& path) {
    const std::size_t last = path.find_last_of("\\/");
    return ToLower(last == std::string::npos ? path : path.substr(last + 1));
}

// Redirection is a setting of the thread: a copy made off the window's thread turns it off
// there while the window's thread goes on.
thread_local int t_redirectionOff = 0;

}  // namespace

bool RememberedFolders::DisableFsRedirection(std::uintptr_t* oldValue) {
    const bool off = m_files.DisableFsRedirection(oldValue);
    if (off) ++t_redirectionOff;
    return off;
}

bool RememberedFolders::RevertFsRedirection(std::uintptr_t oldValue) {
    if (t_redirectionOff > 0) --t_redirectionOff;
    return m_files.RevertFsRedirection(oldValue);
}

Dword RememberedFolders::GetFileAttributes(const std::string& path) {
    const std::string folder = FolderKey(path);
    auto& answers = m_attributes[folder];
    const std::pair<std::string, bool> key{path, t_redirectionOff > 0};
    if (const auto it = answers.find(key); it != answers.end()) return it->second;
    const std::optional<Dword> listed = fromListing(path, folder);
    const Dword a = listed ? *listed : m_files.GetFileAttributes(path);
    answers[key] = a;
    return a;
}

std::optional<Dword> RememberedFolders::fromListing(const std::string& path, const std::string& folder) {
    const std::string name = NameKey(path);
    if (folder.empty() || !ListedName(name)) return std::nullopt;
    FolderListing& l = m_folderListings[{folder, t_redirectionOff > 0}];
    if (!l.listed) {
        // Listed once, at the probe that reaches the count; one that cannot be listed is not tried again.
        if (++l.probes != kProbesBeforeListing) return std::nullopt;
        std::vector<FindEntry> entries;
        if (!m_files.FindFiles(path.substr(0, path.find_last_of("\\/")) + "\\*", &entries))
            return std::nullopt;
        l.listed = true;
        for (const FindEntry& e : entries) l.entries[ToLower(e.name)] = e.attributes;
    }
    if (l.written.count(name)) return std::nullopt;
    const auto it = l.entries.find(name);
    return it == l.entries.end() ? kInvalidFileAttributes : it->second;
}

bool RememberedFolders::FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) {
    if (const auto it = m_listings.find(pattern); it != m_listings.end()) {
        *entries = it->second;
        return true;
    }
    if (!m_files.FindFiles(pattern, entries)) return false;
    m_listings[pattern] = *entries;
    return true;
}

void RememberedFolders::written(const std::string& path) {
    const std::string folder = FolderKey(path);
    std::erase_if(m_listings, [&](const auto& listing) {
        const std::string listed = FolderKey(listing.first);
        return folder.empty() || listed.empty() || listed == folder;
    });
    // The path as a folder: what was probed or listed in it, or below it, is out of date too.
    const std::string self = FolderKey(path + "\\-");
    if (folder.empty() || self.empty()) {
        m_attributes.clear();
        m_folderListings.clear();
        return;
    }
    const auto inSelf = [&](const std::string& key) { return key == self || key.rfind(self + "\\", 0) == 0; };
    std::erase_if(m_attributes, [&](const auto& answers) {
        return answers.first == folder || answers.first.empty() || inSelf(answers.first);
    });
    const std::string name = NameKey(path);
    for (auto it = m_folderListings.begin(); it != m_folderListings.end();) {
        if (inSelf(it->first.first)) {
            it = m_folderListings.erase(it);
            continue;
        }
        if (it->first.first == folder) it->second.written.insert(name);
        ++it;
    }
}

}  // namespace zv::backup
