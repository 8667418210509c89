#pragma once
// A small HTTP/1.0 client over WinINet: one session per object, a new
// connection and request per Connect, the body read into a text or a file.
#include <string>

#include "support/env.h"
#include "support/unique.h"

namespace zv {

// The longest the program waits for the update server: for the whole fetch, from
// connecting to the body's last byte. The start-up check runs before the main window
// is shown, so a server that accepts and never answers, or one that sends a few bytes
// now and then, must not hold the window back. Each call gets what is left of it as
// its timeout; the Win32 seam enforces that also where Wine ignores the options. A
// fetch that does not end in time is no answer: GetFile returns false, no text.
inline constexpr Dword kHttpTimeoutMs = 3000;

// The most a body read into a text may hold: a version file is a line. A longer body
// is no answer, as above.
inline constexpr std::size_t kHttpMaxTextBytes = 64 * 1024;

// A handle of the internet seam, closed through it.
struct InternetHandleTraits {
    using Type = Hinternet;
    IInternet* internet = nullptr;
    [[nodiscard]] static constexpr Hinternet invalid() noexcept { return kNoInternet; }
    void close(Hinternet h) const noexcept { (void)internet->InternetCloseHandle(h); }
};
using InternetHandle = Unique<InternetHandleTraits>;

class clsHTTP {
public:
    explicit clsHTTP(Env& env);
    ~clsHTTP();
    clsHTTP(const clsHTTP&) = delete;
    clsHTTP& operator=(const clsHTTP&) = delete;

    // The raw request headers as sent, lines separated by CR LF (padded as queried).
    std::string sRequestHeaders;

    [[nodiscard]] std::string Forwarded();
    // Url loses its "http://" prefix. True when the request was sent.
    bool Connect(std::string& Url, const std::string& AdditionalHeader = "");
    [[nodiscard]] Long ContentLength();
    // Reads the body into sContent (ReadToString, or no file name) or into the
    // file sFilename. True when the body was read to its end.
    bool GetFile(std::string Url, const std::string& sFilename, std::string& sContent, bool& ReadToString,
                 const std::string& AdditionalHeader = "");
    bool GetFile(std::string Url, const std::string& sFilename, std::string& sContent);
    [[nodiscard]] bool FileExist(const std::string& FileName);
    [[nodiscard]] std::string LastError();
    [[nodiscard]] std::string LastModified();

    // Read-outs of the captured values, for callers that need them.
    [[nodiscard]] const std::string& url() const noexcept { return sURL; }
    [[nodiscard]] const std::string& contentType() const noexcept { return sContentType; }
    [[nodiscard]] const std::string& version() const noexcept { return sVersion; }
    [[nodiscard]] const std::string& statusCode() const noexcept { return sStatusCode; }
    [[nodiscard]] const std::string& statusText() const noexcept { return sStatusText; }
    [[nodiscard]] const std::string& server() const noexcept { return sServer; }
    [[nodiscard]] const std::string& pragma() const noexcept { return sPragma; }
    [[nodiscard]] const std::string& userAgent() const noexcept { return sUserAgent; }
    [[nodiscard]] const std::string& requestMethod2() const noexcept { return sRequestMethod2; }
    [[nodiscard]] Long major() const noexcept { return lMajor; }
    [[nodiscard]] Long minor() const noexcept { return lMinor; }

private:
    [[nodiscard]] std::string GetQueryInfo(Hinternet hHttpRequest, Dword InfoLevel);
    [[nodiscard]] std::string RemNull(const std::string& Text);
    void SetTimeouts(Hinternet handle, Dword milliseconds = kHttpTimeoutMs);
    // What is left of the fetch's time, 0 once it is up.
    [[nodiscard]] Dword TimeLeft();
    void CloseRequest();
    void CloseConnection();

    Env& m_env;
    std::string sURL;
    std::string sLastError;
    std::string sContentType;
    Long lContentLength = 0;
    std::string sLastModified;
    std::string sVersion;
    std::string sStatusCode;
    std::string sStatusText;
    std::string sRawHeaders;
    std::string sResponseHeaders;
    std::string sForwarded;
    std::string sServer;
    std::string sRequestMethod;
    std::string sPragma;
    std::string sUserAgent;
    std::string sRequestMethod2;
    // The owners of the three handles; the procedures work on them through the names below.
    InternetHandle m_session;
    InternetHandle m_connection;
    InternetHandle m_request;
    Hinternet& hInternetSession = *m_session.put();
    Hinternet& hInternetConnect = *m_connection.put();
    Hinternet& hHttpOpenRequest = *m_request.put();
    Long lMajor = 0;
    Long lMinor = 0;
    Dword m_fetchStarted = 0;
};

}  // namespace zv
