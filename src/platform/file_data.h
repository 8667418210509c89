#pragma once
// Reading a file's bytes and hashing them, in the platform's terms. Each failing
// call leaves its error for GetLastError().
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
    // SHA-256 of the file's bytes as 64 lower-case hex digits, by the system's own hash
    // provider; false when the file cannot be read or the provider fails.
    virtual bool Sha256File(const std::string& path, std::string* hex) = 0;
};

}  // namespace zv
