#pragma once
// The file-system operations of the backup run: existence tests that honour the
// hidden and system attributes, the catalog-store listing and folder creation that
// raises run-time errors, all with WOW64 redirection turned off.
#include <cstdint>
#include <string>
#include <vector>

#include "support/env.h"

namespace zv::backup {

// A 32-bit process on 64-bit Windows is redirected from system32 to SysWOW64 and would
// not see the installed 64-bit driver files. Redirection is off only for the one call
// inside the scope: the run also pumps messages, and a window handler that loads a DLL
// with redirection off would load the wrong one. On 32-bit Windows this does nothing.
class RedirectionOff {
public:
    explicit RedirectionOff(IFileSystem& files) : m_files(files), m_off(files.DisableFsRedirection(&m_old)) {}
    ~RedirectionOff() {
        if (m_off) (void)m_files.RevertFsRedirection(m_old);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

private:
    IFileSystem& m_files;
    std::uintptr_t m_old = 0;
    bool m_off;
};

// A folder or a file of that path that is neither hidden nor a system entry.
[[nodiscard]] bool FolderExists(Env& env, const std::string& path);
// A file (never a folder) that is neither hidden nor a system file.
[[nodiscard]] bool FileExists(Env& env, const std::string& path);
// As FileExists, but system files count too.
[[nodiscard]] bool FileExistsWithSystem(Env& env, const std::string& path);
// The names of the folder's entries that are neither hidden nor system entries, "." and ".."
// included, in the file system's order; empty when the folder cannot be listed.
[[nodiscard]] std::vector<std::string> ListFolder(Env& env, const std::string& folder);
// Raises the run-time error for the platform's failure.
void CreateFolder(Env& env, const std::string& path);

// A name from an INF file or the registry that stays inside the folder it is appended to
// and that Windows can use as a file name: not empty, no "\" or "/", no ":" (drive or
// stream), none of * ? " < > | or a control character, not made of dots and blanks only,
// and no device name (CON, NUL, COM1.sys and the like open the device, not a file).
[[nodiscard]] bool IsPlainName(const std::string& name);

}  // namespace zv::backup
