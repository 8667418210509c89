#pragma once
// File reads and SHA-256 over the in-memory file system (so WOW64 redirection and
// missing paths behave as there), with a switch that makes a path unreadable.
#include <set>
#include <string>

#include "fakes/fake_filesystem.h"
#include "platform/file_data.h"

namespace zv::fakes {

// FIPS 180-4 SHA-256 of a byte string, as 64 lower-case hex digits.
[[nodiscard]] std::string Sha256Hex(const std::string& bytes);

class FakeFileData : public IFileData {
public:
    explicit FakeFileData(FakeFileSystem& files) : m_files(files) {}
    Dword GetLastError() const override { return m_lastError; }
    bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::string* bytes) override;
    bool Sha256File(const std::string& path, std::string* hex) override;

    // Reads of this path (as given, any letter case) fail with access denied.
    void failOn(const std::string& path);
    int reads = 0;
    int hashes = 0;

private:
    bool read(const std::string& path, std::string* bytes);
    FakeFileSystem& m_files;
    std::set<std::string> m_failing;
    Dword m_lastError = 0;
};

}  // namespace zv::fakes
