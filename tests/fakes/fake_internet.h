#pragma once
// WinINet stand-in. (To be completed with the HTTP client.)
#include "platform/internet.h"

namespace zv::fakes {

class FakeInternet : public IInternet {
public:
    Dword GetLastError() const override { return kErrorInternetCannotConnect; }
    Hinternet InternetOpen(const std::string&, Dword, const char*, const char*, Dword) override { return 0; }
    bool InternetQueryOption(Hinternet, Dword, void*, Dword*) override { return false; }
    bool InternetSetOption(Hinternet, Dword, const void*, Dword) override { return false; }
    Hinternet InternetConnect(Hinternet, const std::string&, std::uint16_t, const char*, const char*, Dword, Dword,
                              std::uintptr_t) override {
        return 0;
    }
    Hinternet HttpOpenRequest(Hinternet, const std::string&, const std::string&, const std::string&, const char*,
                              const char**, Dword, std::uintptr_t) override {
        return 0;
    }
    bool HttpAddRequestHeaders(Hinternet, const std::string&, Dword, Dword) override { return false; }
    bool HttpSendRequest(Hinternet, const char*, Dword, const void*, Dword) override { return false; }
    bool HttpQueryInfo(Hinternet, Dword, void*, Dword*, Dword*) override { return false; }
    bool InternetReadFile(Hinternet, void*, Dword, Dword*) override { return false; }
    bool InternetCloseHandle(Hinternet) override { return false; }
};

}  // namespace zv::fakes
