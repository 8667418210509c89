// The profile-file seam over kernel32's ANSI calls.
#include <windows.h>
#undef GetPrivateProfileString
#undef GetPrivateProfileSection

#include "platform/win32/factories.h"

namespace zv::win32 {
namespace {

class Win32Profile final : public IProfile {
public:
    Dword GetPrivateProfileString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue, char* buffer, Dword size,
                                  const std::string& fileName) override {
        return ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer, size,
                                          fileName.c_str());
    }

    Dword GetPrivateProfileSection(const std::string& section, char* buffer, Dword size,
                                   const std::string& fileName) override {
        return ::GetPrivateProfileSectionA(section.c_str(), buffer, size, fileName.c_str());
    }
};

}  // namespace

std::unique_ptr<IProfile> MakeProfile() {
    return std::make_unique<Win32Profile>();
}

}  // namespace zv::win32
