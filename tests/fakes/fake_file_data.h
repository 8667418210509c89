#pragma once
// File reads, SHA-256 and hashed copies over the in-memory file system (so WOW64
// redirection, missing paths and refused targets behave as there), with a switch that
// makes a path unreadable.
#include <set>
#include <string>

#include "fakes/fake_filesystem.h"
#include "platform/file_data.h"

namespace zv::fakes {

// SHA-256 of a byte string, as 64 lower-case hex digits.
[[nodiscard]] std::string Sha256Hex(const std::string& bytes);

class FakeFileData : public IFileData {
public:
    explicit FakeFileData(FakeFileSystem& files) : m_files(files) {}
    Dword GetLastError() const override { return m_lastError; }
    bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::string* bytes) override;
    bool Sha256File(const std::string& path, std::string* hex) override;
    // The file system's CopyFile (its failure switches apply, and it is logged there), then
    // the hash of what landed; a source made unreadable here fails with access denied.
    bool CopyFileHashed(const std::string& from, const std::string& to, std::uint64_t* size,
                        std::string* sha256hex, std::string* head, std::size_t headBytes) override;

    // Reads of this path (as given, any letter case) fail with access denied.
    void failOn(const std::string& path);
    int reads = 0;
    int hashes = 0;
    int hashedCopies = 0;

private:
    bool read(const std::string& path, std::string* bytes);
    FakeFileSystem& m_files;
    std::set<std::string> m_failing;
    Dword m_lastError = 0;
};

}  // namespace zv::fakes
