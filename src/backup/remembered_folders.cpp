#include "backup/remembered_folders.h"

#include <algorithm>

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
    auto& answers = m_attributes[FolderKey(path)];
    const std::pair<std::string, bool> key{path, t_redirectionOff > 0};
    if (const auto it = answers.find(key); it != answers.end()) return it->second;
    const Dword a = m_files.GetFileAttributes(path);
    answers[key] = a;
    return a;
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
    if (folder.empty()) {
        m_attributes.clear();
    } else {
        m_attributes.erase(folder);
        m_attributes.erase("");  // paths whose folder could be any folder
    }
}

}  // namespace zv::backup
