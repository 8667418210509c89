#pragma once
// File-system calls, in the platform's terms: attributes, listings, creation,
// copies, binary writes. Each failing call leaves its error for GetLastError().
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace zv {

struct FindEntry {
    std::string name;
    Dword attributes = 0;
};

// INVALID_HANDLE_VALUE: all bits set, whatever the pointer size.
inline constexpr Hfile kInvalidHfile = static_cast<Hfile>(~std::uintptr_t{0});

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    [[nodiscard]] virtual Dword GetLastError() const = 0;
    // kInvalidFileAttributes when nothing of that path exists.
    virtual Dword GetFileAttributes(const std::string& path) = 0;
    // Size of a file by name; false when it cannot be read.
    virtual bool GetFileSize(const std::string& path, std::uint64_t* size) = 0;
    // FindFirstFileA/FindNextFileA over pattern (a folder + "\*"); false when nothing matched.
    // Entries come in the file system's order, "." and ".." included where it gives them.
    virtual bool FindFiles(const std::string& pattern, std::vector<FindEntry>* entries) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;
    virtual bool CopyFile(const std::string& existing, const std::string& newFile, bool failIfExists) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    virtual bool SetFileAttributes(const std::string& path, Dword attributes) = 0;
    // Opens for binary writing at the start, creating the file when absent (OPEN_ALWAYS).
    virtual Hfile OpenForWrite(const std::string& path) = 0;
    virtual bool WriteFile(Hfile file, const void* data, Dword size, Dword* written) = 0;
    virtual bool CloseFile(Hfile file) = 0;
    // WOW64 file-system redirection, for a 32-bit process on 64-bit Windows.
    // Both fail harmlessly where there is no redirection.
    virtual bool DisableFsRedirection(std::uintptr_t* oldValue) = 0;
    virtual bool RevertFsRedirection(std::uintptr_t oldValue) = 0;
};

}  // namespace zv
