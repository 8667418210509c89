#include "net/clsHTTP.h"

#include <cmath>
#include <cstdint>
#include <utility>

#include "support/file_writer.h"
#include "support/guard.h"
#include "support/text.h"
#include "support/vbrt.h"

namespace zv {
namespace {

constexpr const char* kAgent = "http protocol";
constexpr Dword kQueryBufferSize = 1024;
constexpr Dword kChunkSize = 2048;

// Header info levels, in the order they are captured.
constexpr Dword kQueryContentType = 1;
constexpr Dword kQueryContentLength = 5;
constexpr Dword kQueryLastModified = 11;
constexpr Dword kQueryVersion = 18;
constexpr Dword kQueryStatusCode = 19;
constexpr Dword kQueryStatusText = 20;
constexpr Dword kQueryRawHeaders = 21;
constexpr Dword kQueryRawHeadersCrlf = 22;
constexpr Dword kQueryForwarded = 30;
constexpr Dword kQueryServer = 37;
constexpr Dword kQueryRequestMethod = 45;
constexpr Dword kQueryPragma = 17;
constexpr Dword kQueryUserAgent = 39;
constexpr Dword kRequest = kHttpQueryFlagRequestHeaders;

// A number rounded to a signed 32-bit integer, halves to even; Overflow outside the range.
Long ToLong(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Raise(kErrOverflow);
    return static_cast<Long>(r);
}

// Blanks only: the NUL padding of a queried header stays. The name is the one the line
// table shows for GetQueryInfo's statement.
std::string TrimBlanks(const std::string& s) {
    return Trim(s);
}

}  // namespace

clsHTTP::clsHTTP(Env& env)
    : m_env(env),
      m_session(kNoInternet, {&env.os.internet}),
      m_connection(kNoInternet, {&env.os.internet}),
      m_request(kNoInternet, {&env.os.internet}) {
    Guard(m_env, [&](int& erl) {
        LN(373)
        hInternetSession =
            m_env.os.internet.InternetOpen(kAgent, kInternetOpenTypePreconfig, nullptr, nullptr, 0);
        LN(374) if (hInternetSession != kNoInternet) {
            LN(375) sLastError = "";
            SetTimeouts(hInternetSession);
            // clang-format off
        LN(376) } else {
            // clang-format on
            LN(377) sLastError = "InternetOpen failed.";
        }
    });
}

clsHTTP::~clsHTTP() {
    // Failures are ignored here; the request, the session, then the connection, as the
    // object has always closed them.
    m_request.reset();
    m_session.reset();
    m_connection.reset();
}

void clsHTTP::CloseRequest() {
    m_request.reset();
}

void clsHTTP::CloseConnection() {
    m_connection.reset();
}

// Timeouts go on every handle: Windows inherits them from the session, while
// Wine honours them only on the connection and the request.
void clsHTTP::SetTimeouts(Hinternet handle, Dword milliseconds) {
    for (Dword option :
         {kInternetOptionConnectTimeout, kInternetOptionSendTimeout, kInternetOptionReceiveTimeout})
        (void)m_env.os.internet.InternetSetOption(handle, option, &milliseconds, sizeof milliseconds);
}

Dword clsHTTP::TimeLeft() {
    const Dword spent = m_env.os.system.GetTickCount() - m_fetchStarted;  // unsigned: wraps right
    return spent >= kHttpTimeoutMs ? 0 : kHttpTimeoutMs - spent;
}

std::string clsHTTP::Forwarded() {
    std::string result;
    // clang-format off
    Guard(m_env, [&](int& erl) {
        LN(382) result = sForwarded;
    });
    // clang-format on
    return result;
}

bool clsHTTP::Connect(std::string& Url, const std::string& AdditionalHeader) {
    bool result = false;
    Guard(m_env, [&](int& erl) {
        std::string UrlServer;
        std::string UrlAddress;
        Long version[2] = {0, 0};
        Dword versionLength = sizeof version;
        LN(324) if (Url.compare(0, 7, "http://") == 0) {
            LN(325) Url.erase(0, 7);
        }
        LN(326) const std::size_t slash = Url.find('/');
        LN(327) if (slash == std::string::npos) {
            LN(328) UrlServer = Url;
            LN(329) UrlAddress = "";
            // clang-format off
        LN(330) } else {
            // clang-format on
            LN(331) UrlServer = Url.substr(0, slash);
            LN(332) UrlAddress = Url.substr(slash);
        }
        LN(333) sURL = "";
        LN(334) sLastError = "";
        do {
            LN(335) if (hInternetSession == kNoInternet) {
                LN(336) sLastError = "InternetSession failed";
                LN(337) break;
            }
            // clang-format off
            LN(338) (void)m_env.os.internet.InternetQueryOption(hInternetSession, kInternetOptionVersion, version, &versionLength);
            // clang-format on
            LN(339) lMajor = version[0];
            LN(340) lMinor = version[1];
            // A second Connect on the same object would otherwise leak the earlier pair.
            CloseRequest();
            CloseConnection();
            m_fetchStarted = m_env.os.system.GetTickCount();
            LN(341)
            hInternetConnect =
                m_env.os.internet.InternetConnect(hInternetSession, UrlServer, kInternetDefaultHttpPort,
                                                  nullptr, nullptr, kInternetServiceHttp, 0, 0);
            LN(342) if (static_cast<Long>(hInternetConnect) <= 0) {
                LN(343) sLastError = "InternetConnect failed";
                LN(344) break;
            }
            LN(345) SetTimeouts(hInternetConnect);
            LN(346)
            hHttpOpenRequest = m_env.os.internet.HttpOpenRequest(
                hInternetConnect, "GET", UrlAddress, "HTTP/1.0", nullptr, nullptr, kInternetFlagReload, 0);
            LN(347) if (!AdditionalHeader.empty()) {
                // clang-format off
                LN(348) (void)m_env.os.internet.HttpAddRequestHeaders(hHttpOpenRequest, AdditionalHeader, static_cast<Dword>(AdditionalHeader.size()), kHttpAddreqFlagAddIfNew);
                // clang-format on
            }
            LN(349) if (hHttpOpenRequest == kNoInternet) {
                LN(350) sLastError = "HttpOpenRequest failed";
                LN(351) break;
            }
            LN(352) SetTimeouts(hHttpOpenRequest);
            LN(353) if (!m_env.os.internet.HttpSendRequest(hHttpOpenRequest, nullptr, 0, nullptr, 0)) {
                LN(354) sLastError = "HttpSendRequest failed";
                LN(355) break;
            }
            LN(356) sContentType = RemNull(GetQueryInfo(hHttpOpenRequest, kQueryContentType));
            LN(357) lContentLength = ToLong(Val(GetQueryInfo(hHttpOpenRequest, kQueryContentLength)));
            LN(358) sLastModified = GetQueryInfo(hHttpOpenRequest, kQueryLastModified);
            LN(359) sVersion = GetQueryInfo(hHttpOpenRequest, kQueryVersion);
            LN(360) sStatusCode = GetQueryInfo(hHttpOpenRequest, kQueryStatusCode);
            LN(361) sStatusText = GetQueryInfo(hHttpOpenRequest, kQueryStatusText);
            LN(362) sRawHeaders = GetQueryInfo(hHttpOpenRequest, kQueryRawHeaders);
            LN(363) sResponseHeaders = GetQueryInfo(hHttpOpenRequest, kQueryRawHeadersCrlf);
            LN(364) sForwarded = GetQueryInfo(hHttpOpenRequest, kQueryForwarded);
            LN(365) sServer = GetQueryInfo(hHttpOpenRequest, kQueryServer);
            LN(366) sRequestMethod = GetQueryInfo(hHttpOpenRequest, kQueryRequestMethod);
            LN(367) sPragma = GetQueryInfo(hHttpOpenRequest, kRequest + kQueryPragma);
            LN(368) sRequestHeaders = GetQueryInfo(hHttpOpenRequest, kRequest + kQueryRawHeadersCrlf);
            LN(369) sUserAgent = GetQueryInfo(hHttpOpenRequest, kRequest + kQueryUserAgent);
            LN(370) sRequestMethod2 = GetQueryInfo(hHttpOpenRequest, kRequest + kQueryRequestMethod);
            LN(371) result = true;
        } while (false);
        LN(372) sURL = Url;
    });
    return result;
}

Long clsHTTP::ContentLength() {
    Long result = 0;
    // clang-format off
    Guard(m_env, [&](int& erl) {
        LN(383) result = lContentLength;
    });
    // clang-format on
    return result;
}

bool clsHTTP::GetFile(std::string Url, const std::string& sFilename, std::string& sContent) {
    bool readToString = false;
    return GetFile(std::move(Url), sFilename, sContent, readToString);
}

bool clsHTTP::GetFile(std::string Url, const std::string& sFilename, std::string& sContent,
                      bool& ReadToString, const std::string& AdditionalHeader) {
    IInternet& net = m_env.os.internet;
    IFileSystem& files = m_env.os.files;
    std::string buffer(kChunkSize, '\0');
    // Url is this call's own copy: the caller's text keeps its prefix.
    if (!Connect(Url, AdditionalHeader)) return false;
    m_env.os.ui.DoEvents();

    OpenedFile file(kInvalidHfile, SeamFileTraits{&files});
    // From here on failures are ignored; the request stays open until the object ends.
    auto transferFailed = [&] {
        file.reset();
        (void)m_env.os.ui.MessageBox("Could not retrieve latest version", "Error",
                                     kMbOk | kMbIconExclamation);
        return false;
    };
    try {
        sLastError = "";
        m_env.os.ui.DoEvents();
        if (sFilename.empty()) ReadToString = true;
        if (ReadToString) {
            sContent = "";
        } else {
            if (FileExist(sFilename)) (void)files.DeleteFile(sFilename);
            file.reset(files.OpenForWrite(sFilename));
            if (!file) RaiseWin32(m_env.os.system, files.GetLastError());
        }
        bool more = true;
        bool noAnswer = false;
        while (more) {
            buffer.assign(kChunkSize, ' ');
            Dword bytesRead = 0;
            // Up to one byte past the limit, which tells a body that is too long.
            Dword toRead = kChunkSize;
            if (ReadToString && kHttpMaxTextBytes + 1 - sContent.size() < toRead)
                toRead = static_cast<Dword>(kHttpMaxTextBytes + 1 - sContent.size());
            const Dword left = TimeLeft();
            if (left == 0) {
                noAnswer = true;
                break;
            }
            SetTimeouts(hHttpOpenRequest, left);
            // A read that fails mid-body ends the loop like the end of the body, unless it
            // failed because the fetch's time was up.
            more = net.InternetReadFile(hHttpOpenRequest, buffer.data(), toRead, &bytesRead);
            if (bytesRead > toRead) bytesRead = 0;
            if (!more && TimeLeft() == 0) {
                noAnswer = true;
                break;
            }
            if (ReadToString) {
                sContent.append(buffer, 0, bytesRead);
                if (sContent.size() > kHttpMaxTextBytes) {
                    noAnswer = true;
                    break;
                }
            } else if (bytesRead > 0) {
                Dword written = 0;
                if (!files.WriteFile(file.get(), buffer.data(), bytesRead, &written))
                    RaiseWin32(m_env.os.system, files.GetLastError());
                if (written != bytesRead) Raise(kErrDiskFull);
            }
            if (bytesRead == 0) break;
            m_env.os.ui.DoEvents();
        }
        if (noAnswer) {
            // Not a version file, or not in time: as if the server had not answered.
            if (ReadToString) sContent = "";
            file.reset();
            return false;
        }
        if (file && !files.CloseFile(file.release())) RaiseWin32(m_env.os.system, files.GetLastError());
    } catch (...) {
        (void)CurrentFailure();
        return transferFailed();
    }
    CloseRequest();
    return true;
}

bool clsHTTP::FileExist(const std::string& FileName) {
    try {
        std::uint64_t size = 0;
        return m_env.os.files.GetFileSize(FileName, &size);
    } catch (...) {
        (void)CurrentFailure();
        return false;
    }
}

std::string clsHTTP::LastError() {
    std::string result;
    // clang-format off
    Guard(m_env, [&](int& erl) {
        LN(384) result = sLastError;
    });
    // clang-format on
    return result;
}

std::string clsHTTP::LastModified() {
    std::string result;
    // clang-format off
    Guard(m_env, [&](int& erl) {
        LN(385) result = sLastModified;
    });
    // clang-format on
    return result;
}

std::string clsHTTP::GetQueryInfo(Hinternet hHttpRequest, Dword InfoLevel) {
    std::string result;
    Guard(m_env, [&](int& erl) {
        Dword length = kQueryBufferSize;
        Dword index = 0;
        LN(378) std::string buffer(kQueryBufferSize, '\0');
        // clang-format off
        LN(379) (void)m_env.os.internet.HttpQueryInfo(hHttpRequest, InfoLevel, buffer.data(), &length, &index);
        // clang-format on
        LN(380) result = TrimBlanks(buffer);
    });
    return result;
}

std::string clsHTTP::RemNull(const std::string& Text) {
    std::string result;
    // clang-format off
    Guard(m_env, [&](int& erl) {
        LN(381) result = Text.substr(0, Text.find('\0'));
    });
    // clang-format on
    return result;
}

}  // namespace zv
