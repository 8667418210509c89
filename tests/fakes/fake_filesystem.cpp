#include "fakes/fake_filesystem.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

namespace zv::fakes {
namespace {

// MAX_PATH: a full path and its terminating NUL.
constexpr std::size_t kMaxPath = 260;

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool BadNameChar(char c) {
    return static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*", c) != nullptr;
}

// "*" and "?" as FindFirstFile matches them, without regard to case; "*.*" is everything.
bool Matches(const std::string& mask, const std::string& name) {
    if (mask == "*" || mask == "*.*") return true;
    const std::string m = Upper(mask), n = Upper(name);
    std::size_t mi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (mi < m.size() && (m[mi] == '?' || m[mi] == n[ni])) {
            ++mi;
            ++ni;
        } else if (mi < m.size() && m[mi] == '*') {
            star = mi++;
            mark = ni;
        } else if (star != std::string::npos) {
            mi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (mi < m.size() && m[mi] == '*') ++mi;
    return mi == m.size();
}

}  // namespace

FakeFileSystem::FakeFileSystem() {
    addDrive('C');
}

void FakeFileSystem::addDrive(char letter) {
    const std::string root =
        std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))) + ":\\";
    m_nodes[keyOf(root)] = Node{root, kFileAttributeDirectory, {}};
}

std::string FakeFileSystem::keyOf(const std::string& fullPath) {
    return Upper(fullPath);
}

std::string FakeFileSystem::parentOf(const std::string& fullPath) {
    if (fullPath.size() <= 3) return {};
    const std::size_t cut = fullPath.rfind('\\');
    return cut <= 2 ? fullPath.substr(0, 3) : fullPath.substr(0, cut);
}

std::optional<std::string> FakeFileSystem::resolve(const std::string& input, Dword* error) const {
    std::string path = input;
    *error = 0;
    // "\\?\" lifts the MAX_PATH limit of a full path; the calls refuse a longer one without it.
    const bool longForm = path.rfind("\\\\?\\", 0) == 0;
    if (longForm) {
        path = path.substr(4);
    } else {
        std::replace(path.begin(), path.end(), '/', '\\');
    }
    if (path.empty() || path.rfind("\\\\", 0) == 0) {
        *error = static_cast<Dword>(path.empty() ? kErrorPathNotFound : kErrorInvalidName);
        return std::nullopt;
    }
    std::string drive, rest;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        drive = Upper(path.substr(0, 2));
        rest = path.substr(2);
        if (rest.empty() || rest[0] != '\\')
            rest =
                (Upper(currentDirectory.substr(0, 2)) == drive ? currentDirectory.substr(2) + "\\" : "\\") +
                rest;
    } else if (path[0] == '\\') {
        drive = Upper(currentDirectory.substr(0, 2));
        rest = path;
    } else {
        drive = Upper(currentDirectory.substr(0, 2));
        rest = currentDirectory.substr(2) + "\\" + path;
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    const bool endsInSeparator = !rest.empty() && rest.back() == '\\';
    while (start <= rest.size()) {
        std::size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        std::string part = rest.substr(start, end - start);
        const bool last = end == rest.size();
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        if (last && !endsInSeparator) {
            // The final segment loses its trailing dots and blanks.
            while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
            if (part.empty()) continue;
        } else if (part.back() == '.') {
            part.pop_back();  // an inner segment loses one trailing dot
        }
        if (std::any_of(part.begin(), part.end(), BadNameChar)) {
            *error = kErrorInvalidName;
            return std::nullopt;
        }
        parts.push_back(part);
    }
    std::string full = drive + "\\";
    for (std::size_t i = 0; i < parts.size(); ++i) full += (i ? "\\" : "") + parts[i];
    if (!longForm && full.size() >= kMaxPath) {
        *error = kErrorFilenameExcedRange;
        return std::nullopt;
    }
    if (!m_nodes.count(keyOf(drive + "\\"))) {
        *error = kErrorPathNotFound;
        return std::nullopt;
    }
    // WOW64: a 32-bit process sees SysWOW64 where it asks for system32.
    if (!m_system32Key.empty() && !m_redirectionOff) {
        const std::string key = keyOf(full);
        if (key == m_system32Key || key.rfind(m_system32Key + "\\", 0) == 0) {
            const std::string tail = key.substr(m_system32Key.size());
            static const char* const kExempt[] = {"\\CATROOT", "\\CATROOT2", "\\DRIVERS\\ETC", "\\LOGFILES",
                                                  "\\SPOOL"};
            const bool exempt = std::any_of(std::begin(kExempt), std::end(kExempt), [&](const char* e) {
                const std::string x = e;
                return tail == x || tail.rfind(x + "\\", 0) == 0;
            });
            if (!exempt) full = m_sysWow64 + full.substr(m_system32Key.size());
        }
    }
    return full;
}

const FakeFileSystem::Node* FakeFileSystem::find(const std::string& fullPath) const {
    auto it = m_nodes.find(keyOf(fullPath));
    return it == m_nodes.end() ? nullptr : &it->second;
}

FakeFileSystem::Node* FakeFileSystem::find(const std::string& fullPath) {
    auto it = m_nodes.find(keyOf(fullPath));
    return it == m_nodes.end() ? nullptr : &it->second;
}

bool FakeFileSystem::fail(Dword error) {
    m_lastError = error;
    return false;
}

bool FakeFileSystem::forced(const std::string& call, const std::string& fullPath) {
    const std::string key = keyOf(fullPath);
    for (const auto& f : m_failures)
        if ((f.call == "*" || f.call == call) && f.key == key) return !fail(f.error);
    return false;
}

Dword FakeFileSystem::missingError(const std::string& fullPath) const {
    const Node* parent = find(parentOf(fullPath));
    return static_cast<Dword>(parent && (parent->attributes & kFileAttributeDirectory) ? kErrorFileNotFound
                                                                                       : kErrorPathNotFound);
}

void FakeFileSystem::note(const std::string& call, const std::string& what) {
    log.push_back(call + " " + what);
    if (!m_system32Key.empty() && !m_redirectionOff) ++callsWhileRedirected;
}

Dword FakeFileSystem::GetFileAttributes(const std::string& path) {
    note("GetFileAttributes", path);
    Dword error = 0;
    auto full = resolve(path, &error);
    if (!full) return fail(error), kInvalidFileAttributes;
    if (forced("GetFileAttributes", *full)) return kInvalidFileAttributes;
    const Node* node = find(*full);
    if (!node) return fail(missingError(*full)), kInvalidFileAttributes;
    return node->attributes;
}

bool FakeFileSystem::GetFileSize(const std::string& path, std::uint64_t* size) {
    note("GetFileSize", path);
    Dword error = 0;
    auto full = resolve(path, &error);
    if (!full) return fail(error);
    if (forced("GetFileSize", *full)) return false;
    const Node* node = find(*full);
    if (!node) return fail(missingError(*full));
    *size = node->data.size();
    return true;
}

bool FakeFileSystem::FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) {
    note("FindFiles", pattern);
    entries->clear();
    std::string p = pattern;
    std::replace(p.begin(), p.end(), '/', '\\');
    const std::size_t cut = p.rfind('\\');
    const std::string mask = cut == std::string::npos ? p : p.substr(cut + 1);
    const std::string folder = cut == std::string::npos ? "." : p.substr(0, cut + 1);
    Dword error = 0;
    auto full = resolve(folder, &error);
    if (!full) return fail(error);
    if (forced("FindFiles", *full)) return false;
    const Node* dir = find(*full);
    if (!dir || !(dir->attributes & kFileAttributeDirectory)) return fail(kErrorPathNotFound);
    if (full->size() > 3) {
        for (const char* dots : {".", ".."})
            if (Matches(mask, dots)) entries->push_back({dots, dir->attributes});
    }
    const std::string prefix = keyOf(full->size() > 3 ? *full + "\\" : *full);
    for (auto it = m_nodes.lower_bound(prefix); it != m_nodes.end() && it->first.rfind(prefix, 0) == 0;
         ++it) {
        const std::string name = it->second.path.substr(prefix.size());
        if (name.empty() || name.find('\\') != std::string::npos) continue;
        if (Matches(mask, name)) entries->push_back({name, it->second.attributes});
    }
    if (entries->empty()) return fail(kErrorFileNotFound);
    return true;
}

bool FakeFileSystem::CreateDirectory(const std::string& path) {
    note("CreateDirectory", path);
    Dword error = 0;
    auto full = resolve(path, &error);
    if (!full) return fail(error);
    if (forced("CreateDirectory", *full)) return false;
    if (find(*full)) return fail(kErrorAlreadyExists);
    const Node* parent = find(parentOf(*full));
    if (!parent || !(parent->attributes & kFileAttributeDirectory)) return fail(kErrorPathNotFound);
    m_nodes[keyOf(*full)] = Node{*full, kFileAttributeDirectory, {}};
    return true;
}

bool FakeFileSystem::CopyFile(const std::string& existing, const std::string& newFile, bool failIfExists) {
    note("CopyFile", existing + " > " + newFile);
    Dword error = 0;
    auto src = resolve(existing, &error);
    if (!src) return fail(error);
    auto dst = resolve(newFile, &error);
    if (!dst) return fail(error);
    if (forced("CopyFile", *src) || forced("CopyFile", *dst)) return false;
    const Node* from = find(*src);
    if (!from) return fail(missingError(*src));
    if (from->attributes & kFileAttributeDirectory) return fail(kErrorAccessDenied);
    const Node* parent = find(parentOf(*dst));
    if (!parent || !(parent->attributes & kFileAttributeDirectory)) return fail(kErrorPathNotFound);
    Node* to = find(*dst);
    if (to) {
        if (to->attributes & kFileAttributeDirectory) return fail(kErrorAccessDenied);
        if (failIfExists) return fail(kErrorFileExists);
        // A file is never copied onto itself: the open source stands in the way of its replacing.
        if (to == from) return fail(kErrorSharingViolation);
        if (to->attributes & (kFileAttributeReadonly | kFileAttributeHidden)) return fail(kErrorAccessDenied);
        to->data = from->data;
        to->attributes = from->attributes;
        return true;
    }
    const Node copy{*dst, from->attributes, from->data};
    m_nodes[keyOf(*dst)] = copy;
    return true;
}

bool FakeFileSystem::SetFileAttributes(const std::string& path, Dword attributes) {
    note("SetFileAttributes", path);
    Dword error = 0;
    auto full = resolve(path, &error);
    if (!full) return fail(error);
    if (forced("SetFileAttributes", *full)) return false;
    Node* node = find(*full);
    if (!node) return fail(missingError(*full));
    // Only the settable bits change; a folder stays a folder.
    constexpr Dword kSettable =
        kFileAttributeReadonly | kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive;
    node->attributes = (node->attributes & ~kSettable) | (attributes & kSettable);
    return true;
}

bool FakeFileSystem::DeleteFile(const std::string& path) {
    note("DeleteFile", path);
    Dword error = 0;
    auto full = resolve(path, &error);
    if (!full) return fail(error);
    if (forced("DeleteFile", *full)) return false;
    const Node* node = find(*full);
    if (!node) return fail(missingError(*full));
    if (node->attributes & (kFileAttributeDirectory | kFileAttributeReadonly))
        return fail(kErrorAccessDenied);
    for (const auto& [h, open] : m_open)
        if (open.key == keyOf(*full)) return fail(kErrorSharingViolation);
    m_nodes.erase(keyOf(*full));
    return true;
}

Hfile FakeFileSystem::OpenForWrite(const std::string& path) {
    note("OpenForWrite", path);
    Dword error = 0;
    auto full = resolve(path, &error);
    if (!full) return fail(error), kInvalidHfile;
    if (forced("OpenForWrite", *full)) return kInvalidHfile;
    Node* node = find(*full);
    if (node && (node->attributes & (kFileAttributeDirectory | kFileAttributeReadonly)))
        return fail(kErrorAccessDenied), kInvalidHfile;
    if (!node) {
        const Node* parent = find(parentOf(*full));
        if (!parent || !(parent->attributes & kFileAttributeDirectory))
            return fail(kErrorPathNotFound), kInvalidHfile;
        m_nodes[keyOf(*full)] = Node{*full, kFileAttributeArchive, {}};
    }
    const Hfile h = m_nextHandle;
    m_nextHandle = Hfile{HandleValue(m_nextHandle) + 4};
    m_open[h] = Open{keyOf(*full), 0};
    return h;
}

bool FakeFileSystem::WriteFile(Hfile file, const void* data, Dword size, Dword* written) {
    note("WriteFile", std::to_string(size));
    auto it = m_open.find(file);
    if (it == m_open.end()) return fail(kErrorInvalidHandle);
    auto node = m_nodes.find(it->second.key);
    if (node == m_nodes.end()) return fail(kErrorInvalidHandle);
    if (forced("WriteFile", node->second.path)) return false;
    std::string& bytes = node->second.data;
    // OPEN_ALWAYS does not truncate: writing from the start overwrites in place.
    if (bytes.size() < it->second.position + size) bytes.resize(it->second.position + size);
    if (size) std::memcpy(bytes.data() + it->second.position, data, size);
    it->second.position += size;
    if (written) *written = size;
    return true;
}

bool FakeFileSystem::CloseFile(Hfile file) {
    note("CloseFile", std::to_string(HandleValue(file)));
    return m_open.erase(file) ? true : fail(kErrorInvalidHandle);
}

bool FakeFileSystem::DisableFsRedirection(std::uintptr_t* oldValue) {
    log.push_back("DisableFsRedirection");
    if (m_system32Key.empty()) return fail(kErrorInvalidFunction);
    *oldValue = m_redirectionOff ? 1 : 0;
    m_redirectionOff = true;
    return true;
}

bool FakeFileSystem::RevertFsRedirection(std::uintptr_t oldValue) {
    log.push_back("RevertFsRedirection");
    if (m_system32Key.empty()) return fail(kErrorInvalidFunction);
    m_redirectionOff = oldValue != 0;
    return true;
}

void FakeFileSystem::ensureFolders(const std::string& fullPath) {
    const std::string parent = parentOf(fullPath);
    if (parent.empty() || find(parent)) return;
    ensureFolders(parent);
    m_nodes[keyOf(parent)] = Node{parent, kFileAttributeDirectory, {}};
}

void FakeFileSystem::addFolder(const std::string& path, Dword attributes) {
    Dword error = 0;
    const bool off = std::exchange(m_redirectionOff, true);
    auto full = resolve(path, &error);
    m_redirectionOff = off;
    if (!full) return;
    ensureFolders(*full);
    Node& n = m_nodes[keyOf(*full)];
    if (n.path.empty()) n.path = *full;
    n.attributes = attributes | kFileAttributeDirectory;
}

void FakeFileSystem::addFile(const std::string& path, const std::string& bytes, Dword attributes) {
    Dword error = 0;
    const bool off = std::exchange(m_redirectionOff, true);
    auto full = resolve(path, &error);
    m_redirectionOff = off;
    if (!full) return;
    ensureFolders(*full);
    m_nodes[keyOf(*full)] = Node{*full, attributes & ~kFileAttributeDirectory, bytes};
}

void FakeFileSystem::setAttributes(const std::string& path, Dword attributes) {
    Dword error = 0;
    const bool off = std::exchange(m_redirectionOff, true);
    auto full = resolve(path, &error);
    m_redirectionOff = off;
    if (Node* n = full ? find(*full) : nullptr) n->attributes = attributes;
}

bool FakeFileSystem::exists(const std::string& path) const {
    Dword error = 0;
    auto full = resolve(path, &error);
    return full && find(*full);
}

bool FakeFileSystem::isFolder(const std::string& path) const {
    Dword error = 0;
    auto full = resolve(path, &error);
    const Node* n = full ? find(*full) : nullptr;
    return n && (n->attributes & kFileAttributeDirectory);
}

std::optional<std::string> FakeFileSystem::contents(const std::string& path) const {
    Dword error = 0;
    auto full = resolve(path, &error);
    const Node* n = full ? find(*full) : nullptr;
    if (!n || (n->attributes & kFileAttributeDirectory)) return std::nullopt;
    return n->data;
}

std::vector<std::string> FakeFileSystem::tree(const std::string& folder) const {
    std::vector<std::string> out;
    Dword error = 0;
    auto full = resolve(folder, &error);
    if (!full) return out;
    const std::string prefix = keyOf(full->size() > 3 ? *full + "\\" : *full);
    for (auto it = m_nodes.lower_bound(prefix); it != m_nodes.end() && it->first.rfind(prefix, 0) == 0;
         ++it) {
        std::string rel = it->second.path.substr(prefix.size());
        if (rel.empty()) continue;
        if (it->second.attributes & kFileAttributeDirectory) rel += "\\";
        out.push_back(rel);
    }
    return out;
}

void FakeFileSystem::failOn(const std::string& call, const std::string& path, Dword error) {
    Dword e = 0;
    const bool off = std::exchange(m_redirectionOff, true);
    auto full = resolve(path, &e);
    m_redirectionOff = off;
    m_failures.push_back({call, keyOf(full ? *full : path), error});
}

void FakeFileSystem::emulateWow64(const std::string& system32, const std::string& sysWow64) {
    Dword e = 0;
    m_system32Key.clear();
    auto a = resolve(system32, &e);
    auto b = resolve(sysWow64, &e);
    if (!a || !b) return;
    m_system32Key = keyOf(*a);
    m_sysWow64 = *b;
}

}  // namespace zv::fakes
