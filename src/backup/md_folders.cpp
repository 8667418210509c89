#include "backup/md_folders.h"

#include "support/guard.h"

namespace zv::md_folders {
namespace {

// The call answers with the size it needs when the path does not fit: that is a failure
// too, not a count of characters in the buffer.
std::string Cut(const std::string& buffer, Dword count) {
    return count < buffer.size() ? buffer.substr(0, count) : "";
}

}  // namespace

std::string Getpath_WINDOWS(Env& env) {
    std::string result;
    Guard(env, [&](int& erl) {
        std::string buffer(kFolderBuffer, ' ');
        LN(140) const Dword count = env.os.system.GetWindowsDirectory(buffer.data(), kFolderBuffer);
        LN(141) const std::string path = Cut(buffer, count);
        LN(142) result = path;
    });
    return result;
}

std::string Getpath_SYSTEM(Env& env) {
    std::string result;
    Guard(env, [&](int& erl) {
        std::string buffer(kFolderBuffer, ' ');
        LN(143) const Dword count = env.os.system.GetSystemDirectory(buffer.data(), kFolderBuffer);
        LN(144) const std::string path = Cut(buffer, count);
        LN(145) result = path;
    });
    return result;
}

}  // namespace zv::md_folders
