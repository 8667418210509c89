#pragma once
// Reading a file's bytes, hashing them and copying them with their hash, in the
// platform's terms. Each failing call leaves its error for GetLastError().
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace zv {

class IFileData {
public:
    virtual ~IFileData() = default;
    [[nodiscard]] virtual Dword GetLastError() const = 0;
    // The whole file; false when it cannot be opened or read, or holds more than limit bytes.
    virtual bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::string* bytes) = 0;
    // SHA-256 of the file's bytes as 64 lower-case hex digits; false when the file cannot be read.
    virtual bool Sha256File(const std::string& path, std::string* hex) = 0;
    // Copies from over to as CopyFileA(from, to, FALSE) does (an existing target is replaced;
    // the target takes the source's attributes and last-write time; a read-only or hidden
    // target is refused), reading the source once, and gives the size and SHA-256 (64
    // lower-case hex digits) of the bytes written. On failure a target it began to write is
    // removed, and size, sha256hex and head are unchanged. head, when given, gets the first
    // headBytes written (the whole file when it is no larger), so a caller that looks into
    // what it copied need not open the copy again.
    virtual bool CopyFileHashed(const std::string& from, const std::string& to, std::uint64_t* size,
                                std::string* sha256hex, std::string* head, std::size_t headBytes) = 0;
};

}  // namespace zv
