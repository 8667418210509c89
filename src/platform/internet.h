#pragma once
// WinINet, call for call with the ANSI forms.
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace zv {

class IInternet {
public:
    virtual ~IInternet() = default;
    [[nodiscard]] virtual Dword GetLastError() const = 0;
    virtual Hinternet InternetOpen(const std::string& agent, Dword accessType, const char* proxy,
                                   const char* proxyBypass, Dword flags) = 0;
    virtual bool InternetQueryOption(Hinternet handle, Dword option, void* buffer, Dword* length) = 0;
    virtual bool InternetSetOption(Hinternet handle, Dword option, const void* buffer, Dword length) = 0;
    virtual Hinternet InternetConnect(Hinternet session, const std::string& serverName, std::uint16_t port,
                                      const char* userName, const char* password, Dword service, Dword flags,
                                      std::uintptr_t context) = 0;
    virtual Hinternet HttpOpenRequest(Hinternet connect, const std::string& verb,
                                      const std::string& objectName, const std::string& version,
                                      const char* referrer, const char** acceptTypes, Dword flags,
                                      std::uintptr_t context) = 0;
    virtual bool HttpAddRequestHeaders(Hinternet request, const std::string& headers, Dword length,
                                       Dword modifiers) = 0;
    virtual bool HttpSendRequest(Hinternet request, const char* headers, Dword headersLength,
                                 const void* optional, Dword optionalLength) = 0;
    virtual bool HttpQueryInfo(Hinternet request, Dword infoLevel, void* buffer, Dword* bufferLength,
                               Dword* index) = 0;
    virtual bool InternetReadFile(Hinternet file, void* buffer, Dword toRead, Dword* read) = 0;
    virtual bool InternetCloseHandle(Hinternet handle) = 0;
};

}  // namespace zv
