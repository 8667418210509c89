#pragma once
// A scripted WinINet: answers per URL or per host, failures per step, and a
// record of every call, the request headers as sent, and the handles opened and
// closed, so leaks and double closes show.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/internet.h"

namespace zv::fakes {

inline constexpr Dword kErrorHttpHeaderNotFound = 12150;
inline constexpr Dword kErrorHttpHeaderAlreadyExists = 12155;

struct FakeResponse {
    std::string statusLine = "HTTP/1.0 200 OK";
    std::vector<std::pair<std::string, std::string>> headers;  // as the server sends them
    std::string body;
    bool contentLength = true;  // adds Content-Length for the body
    Dword chunk = 0;            // most bytes one read returns; 0: what is asked
    // Accepts and never answers: the send fails with a timeout when one was set on the
    // connection or the request, and counts as an unbounded wait when none was.
    bool silent = false;
};

class FakeInternet : public IInternet {
public:
    enum class Step { Open, Connect, OpenRequest, Send, Read };

    // Scripting. A URL key is host + path as requested ("h/dir/f.txt"; "h/" for an empty path).
    void respond(const std::string& hostAndPath, FakeResponse response);
    void respondHost(const std::string& host, FakeResponse response);
    // The step fails with the error; for Read, the read after `afterReads` good ones fails.
    void fail(Step step, Dword error, int afterReads = 0);

    Dword GetLastError() const override { return m_lastError; }
    Hinternet InternetOpen(const std::string& agent, Dword accessType, const char* proxy,
                           const char* proxyBypass, Dword flags) override;
    bool InternetQueryOption(Hinternet handle, Dword option, void* buffer, Dword* length) override;
    bool InternetSetOption(Hinternet handle, Dword option, const void* buffer, Dword length) override;
    Hinternet InternetConnect(Hinternet session, const std::string& serverName, std::uint16_t port,
                              const char* userName, const char* password, Dword service, Dword flags,
                              std::uintptr_t context) override;
    Hinternet HttpOpenRequest(Hinternet connect, const std::string& verb, const std::string& objectName,
                              const std::string& version, const char* referrer, const char** acceptTypes,
                              Dword flags, std::uintptr_t context) override;
    bool HttpAddRequestHeaders(Hinternet request, const std::string& headers, Dword length,
                               Dword modifiers) override;
    bool HttpSendRequest(Hinternet request, const char* headers, Dword headersLength, const void* optional,
                         Dword optionalLength) override;
    bool HttpQueryInfo(Hinternet request, Dword infoLevel, void* buffer, Dword* bufferLength,
                       Dword* index) override;
    bool InternetReadFile(Hinternet file, void* buffer, Dword toRead, Dword* read) override;
    bool InternetCloseHandle(Hinternet handle) override;

    // Every call, formatted with its arguments: "InternetConnect(1,srv,80,null,null,3,0,0)".
    std::vector<std::string> log;
    // Only the call names, in order.
    [[nodiscard]] std::vector<std::string> callNames(bool withOptions = false) const;

    struct Request {
        Hinternet handle{};
        std::string host;
        std::uint16_t port = 0;
        std::string verb, path, version;
        Dword flags = 0;
        bool referrer = false, acceptTypes = false;
        std::vector<std::pair<std::string, std::string>> headers;  // request headers
        std::string sent;  // the request as it went out; "" until sent
        int reads = 0;
    };
    std::vector<Request> requests;
    struct Connection {
        std::string host;
        std::uint16_t port = 0;
        Dword service = 0;
        bool user = false, password = false;
    };
    std::vector<Connection> connections;
    std::string agent;
    Dword accessType = 0xFFFFFFFF;
    Long versionMajor = 1, versionMinor = 2;

    // Handles.
    [[nodiscard]] std::size_t openHandles() const { return m_open.size(); }
    [[nodiscard]] bool isOpen(Hinternet h) const { return m_open.count(h) != 0; }
    std::vector<Hinternet> closed;         // in order
    std::vector<Hinternet> closedTwice;    // closes of a handle already closed
    std::vector<Hinternet> closedUnknown;  // closes of a handle never opened (0 included)
    // The options set per handle.
    std::map<Hinternet, std::map<Dword, Dword>> options;
    int unboundedWaits = 0;
    // Runs at every read before it answers: a slow server moves a fake clock here.
    std::function<void()> beforeRead;

private:
    enum class Kind { Session, Connection, Request };
    struct Handle {
        Kind kind;
        Hinternet parent;
        std::size_t index;  // into requests or connections
    };
    Request* request(Hinternet h);
    const FakeResponse* responseFor(const Request& r) const;
    std::optional<std::string> queryValue(const Request& r, Dword level) const;
    bool failed(Step step, Dword error);
    bool setError(Dword error) {
        m_lastError = static_cast<Dword>(error);
        return false;
    }
    Hinternet newHandle(Kind kind, Hinternet parent, std::size_t req = 0);

    std::map<std::string, FakeResponse> m_byUrl, m_byHost;
    std::map<Step, std::pair<Dword, int>> m_failures;
    std::map<Hinternet, Handle> m_open;
    std::set<Hinternet> m_everOpened;
    std::map<Hinternet, std::size_t> m_readPos;
    Hinternet m_next = Hinternet{0x00CC0004};
    Dword m_lastError = 0;
};

}  // namespace zv::fakes
