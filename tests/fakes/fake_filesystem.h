#pragma once
// An in-memory file system with Windows path rules. (To be completed with the backup run.)
#include <map>
#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace zv::fakes {

class FakeFileSystem : public IFileSystem {
public:
    Dword GetLastError() const override { return m_lastError; }
    Dword GetFileAttributes(const std::string&) override { return fail(kErrorFileNotFound), kInvalidFileAttributes; }
    bool GetFileSize(const std::string&, std::uint64_t*) override { return fail(kErrorFileNotFound); }
    bool FindFiles(const std::string&, std::vector<FindEntry>*) override { return fail(kErrorFileNotFound); }
    bool CreateDirectory(const std::string&) override { return fail(kErrorPathNotFound); }
    bool CopyFile(const std::string&, const std::string&, bool) override { return fail(kErrorFileNotFound); }
    bool DeleteFile(const std::string&) override { return fail(kErrorFileNotFound); }
    Hfile OpenForWrite(const std::string&) override { return fail(kErrorPathNotFound), kInvalidHfile; }
    bool WriteFile(Hfile, const void*, Dword, Dword*) override { return fail(kErrorInvalidHandle); }
    bool CloseFile(Hfile) override { return fail(kErrorInvalidHandle); }
    bool DisableFsRedirection(std::uintptr_t*) override { return fail(kErrorInvalidFunction); }
    bool RevertFsRedirection(std::uintptr_t) override { return fail(kErrorInvalidFunction); }

private:
    bool fail(Long e) {
        m_lastError = static_cast<Dword>(e);
        return false;
    }
    Dword m_lastError = 0;
};

}  // namespace zv::fakes
