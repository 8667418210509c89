#include "backup/driver_store.h"

#include <utility>

#include "backup/backup_files.h"
#include "support/paths.h"
#include "support/text.h"

namespace zv::backup {
namespace {

// An INF past this is no INF; comparing it byte by byte would only cost memory.
constexpr std::uint64_t kInfLimit = 64ull << 20;

// "oem.inf_amd64_0123abcd" -> "oem.inf"; a name of another shape gives "".
std::string InfNameOf(const std::string& folder) {
    const std::size_t hash = folder.find_last_of('_');
    if (hash == std::string::npos || hash == 0) return "";
    const std::size_t arch = folder.find_last_of('_', hash - 1);
    return arch == std::string::npos ? "" : folder.substr(0, arch);
}

bool IsDots(const std::string& name) {
    return name == "." || name == "..";
}

bool SizeOf(Env& env, const std::string& path, std::uint64_t* size) {
    RedirectionOff off(env.os.files);
    return env.os.files.GetFileSize(path, size);
}

bool Read(Env& env, const std::string& path, std::string* bytes) {
    RedirectionOff off(env.os.files);
    return env.os.data.ReadWholeFile(path, kInfLimit, bytes);
}

bool IsFolder(Env& env, const std::string& path) {
    RedirectionOff off(env.os.files);
    const Dword a = env.os.files.GetFileAttributes(path);
    return a != kInvalidFileAttributes && (a & kFileAttributeDirectory);
}

}  // namespace

PackageFinder::PackageFinder(Env& env, std::string fileRepository, std::string storeArchitecture)
    : m_env(env),
      m_repository(std::move(fileRepository)),
      m_storeArchitecture(std::move(storeArchitecture)) {}

void PackageFinder::index() {
    m_indexed = true;
    IFileSystem& files = m_env.os.files;
    // One switch for the whole listing: nothing in it lets window messages through, and a
    // store holds thousands of folders.
    RedirectionOff off(files);
    std::vector<FindEntry> folders, infs;
    if (!files.FindFiles(m_repository + "\\*", &folders)) return;
    for (const FindEntry& folder : folders) {
        if (IsDots(folder.name) || !(folder.attributes & kFileAttributeDirectory)) continue;
        ++m_folders;
        const std::string path = m_repository + "\\" + folder.name;
        // The folder is named <inf name>_<arch>_<hash>: its INF is found without listing it,
        // which halves the calls on a store of thousands of folders.
        std::uint64_t size = 0;
        const std::string named = path + "\\" + InfNameOf(folder.name);
        if (EndsWithNoCase(named, ".inf") && files.GetFileSize(named, &size)) {
            m_bySize.emplace(size, StoreInf{path, named});
            continue;
        }
        if (!files.FindFiles(path + "\\*.inf", &infs)) continue;
        for (const FindEntry& file : infs) {
            if ((file.attributes & kFileAttributeDirectory) || !EndsWithNoCase(file.name, ".inf")) continue;
            std::uint64_t listedSize = 0;
            if (files.GetFileSize(path + "\\" + file.name, &listedSize))
                m_bySize.emplace(listedSize, StoreInf{path, path + "\\" + file.name});
        }
    }
}

std::string PackageFinder::find(const std::string& infPath) {
    std::string storeInf;
    if (m_env.os.setup.GetInfDriverStoreLocation(infPath, &storeInf)) {
        const std::string folder = FolderOf(storeInf);
        if (!folder.empty() && IsFolder(m_env, folder)) return folder;
    }
    std::uint64_t size = 0;
    std::string published;
    if (!m_indexed) index();
    // A store without INFs (Windows XP has none) answers every driver without a look at it.
    if (m_bySize.empty() || !SizeOf(m_env, infPath, &size)) return "";
    const auto [first, last] = m_bySize.equal_range(size);
    if (first == last || !Read(m_env, infPath, &published)) return "";
    // The same INF may be staged for more than one architecture; the running one's wins.
    std::string found;
    std::string token = "_";
    token += ToLower(m_storeArchitecture);
    token += '_';
    for (auto it = first; it != last; ++it) {
        std::string bytes;
        if (!Read(m_env, it->second.path, &bytes) || bytes != published) continue;
        const std::string name = it->second.folder.substr(it->second.folder.find_last_of('\\') + 1);
        if (ToLower(name).find(token) != std::string::npos) return it->second.folder;
        if (found.empty()) found = it->second.folder;
    }
    return found;
}

}  // namespace zv::backup
