#pragma once
// Profile-file (INI) reads, as GetPrivateProfileStringA / GetPrivateProfileSectionA.
#include <string>

#include "platform/types.h"

namespace zv {

class IProfile {
public:
    virtual ~IProfile() = default;
    // Copies the value (or the default) into buffer, cut to size-1 and NUL-terminated;
    // returns the characters copied.
    virtual Dword GetPrivateProfileString(const std::string& section, const std::string& key,
                                          const std::string& defaultValue, char* buffer, Dword size,
                                          const std::string& fileName) = 0;
    // Entries "key=value" each ended by NUL, then one more NUL; returns the count as the platform does.
    virtual Dword GetPrivateProfileSection(const std::string& section, char* buffer, Dword size,
                                           const std::string& fileName) = 0;
};

}  // namespace zv
