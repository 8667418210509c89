#include "backup/backup_files.h"

#include <algorithm>

#include "format/folder_names.h"
#include "support/vbrt.h"

namespace zv::backup {
namespace {

constexpr Dword kHiddenOrSystem = kFileAttributeHidden | kFileAttributeSystem;

Dword Attributes(Env& env, const std::string& path) {
    RedirectionOff off(env.os.files);
    return env.os.files.GetFileAttributes(path);
}

}  // namespace

bool FolderExists(Env& env, const std::string& path) {
    const Dword a = Attributes(env, path);
    return a != kInvalidFileAttributes && !(a & kHiddenOrSystem);
}

bool FileExists(Env& env, const std::string& path) {
    return IsVisibleFile(Attributes(env, path));
}

bool FileExistsWithSystem(Env& env, const std::string& path) {
    return IsVisibleFile(Attributes(env, path), SystemFiles::Found);
}

std::vector<std::string> ListFolder(Env& env, const std::string& folder) {
    std::vector<FindEntry> entries;
    {
        RedirectionOff off(env.os.files);
        if (!env.os.files.FindFiles(folder + "*", &entries)) return {};
    }
    std::vector<std::string> names;
    for (const auto& e : entries)
        if (!(e.attributes & kHiddenOrSystem)) names.push_back(e.name);
    return names;
}

void CreateFolder(Env& env, const std::string& path) {
    Dword error = 0;
    {
        RedirectionOff off(env.os.files);
        if (env.os.files.CreateDirectory(path)) return;
        error = env.os.files.GetLastError();  // before the revert can touch it
    }
    RaiseWin32(env.os.system, error);
}

}  // namespace zv::backup
