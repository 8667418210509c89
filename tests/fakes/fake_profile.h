#pragma once
// Profile-file reads over the fake file system. (To be completed with the backup run.)
#include "platform/profile.h"

namespace zv::fakes {

class FakeProfile : public IProfile {
public:
    Dword GetPrivateProfileString(const std::string&, const std::string&, const std::string&, char* buffer,
                                  Dword size, const std::string&) override {
        if (size) buffer[0] = 0;
        return 0;
    }
    Dword GetPrivateProfileSection(const std::string&, char* buffer, Dword size, const std::string&) override {
        if (size > 1) buffer[0] = buffer[1] = 0;
        return 0;
    }
};

}  // namespace zv::fakes
