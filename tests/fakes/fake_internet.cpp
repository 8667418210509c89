#include "fakes/fake_internet.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zv::fakes {
namespace {

constexpr Dword kErrorInternetIncorrectHandleType = 12018;

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Text(const char* s) {
    return s ? std::string(s) : "null";
}

const std::string* Find(const std::vector<std::pair<std::string, std::string>>& headers,
                        const std::string& name) {
    for (const auto& h : headers)
        if (Upper(h.first) == Upper(name)) return &h.second;
    return nullptr;
}

// Header names by info level, on either side.
const char* NameOf(Dword level) {
    switch (level) {
        case 1: return "Content-Type";
        case 5: return "Content-Length";
        case 11: return "Last-Modified";
        case 17: return "Pragma";
        case 30: return "Forwarded";
        case 37: return "Server";
        case 39: return "User-Agent";
        default: return nullptr;
    }
}

}  // namespace

void FakeInternet::respond(const std::string& hostAndPath, FakeResponse response) {
    m_byUrl[hostAndPath] = std::move(response);
}

void FakeInternet::respondHost(const std::string& host, FakeResponse response) {
    m_byHost[Upper(host)] = std::move(response);
}

void FakeInternet::fail(Step step, Dword error, int afterReads) {
    m_failures[step] = {error, afterReads};
}

bool FakeInternet::failed(Step step, Dword) {
    auto it = m_failures.find(step);
    if (it == m_failures.end()) return false;
    m_lastError = it->second.first;
    return true;
}

Hinternet FakeInternet::newHandle(Kind kind, Hinternet parent, std::size_t req) {
    const Hinternet h = m_next;
    m_next = Hinternet{HandleValue(m_next) + 4};
    m_open[h] = {kind, parent, req};
    m_everOpened.insert(h);
    return h;
}

FakeInternet::Request* FakeInternet::request(Hinternet h) {
    auto it = m_open.find(h);
    if (it == m_open.end() || it->second.kind != Kind::Request) return nullptr;
    return &requests[it->second.index];
}

std::vector<std::string> FakeInternet::callNames(bool withOptions) const {
    std::vector<std::string> out;
    for (const auto& l : log) {
        std::string name = l.substr(0, l.find('('));
        if (!withOptions && name == "InternetSetOption") continue;
        out.push_back(name);
    }
    return out;
}

Hinternet FakeInternet::InternetOpen(const std::string& a, Dword type, const char* proxy, const char* bypass,
                                     Dword flags) {
    log.push_back("InternetOpen(" + a + "," + std::to_string(type) + "," + Text(proxy) + "," + Text(bypass) +
                  "," + std::to_string(flags) + ")");
    agent = a;
    accessType = type;
    if (failed(Step::Open, 0)) return kNoInternet;
    return newHandle(Kind::Session, kNoInternet);
}

bool FakeInternet::InternetQueryOption(Hinternet handle, Dword option, void* buffer, Dword* length) {
    log.push_back("InternetQueryOption(" + std::to_string(HandleValue(handle)) + "," +
                  std::to_string(option) + "," + std::to_string(length ? *length : 0) + ")");
    if (!m_open.count(handle)) return setError(kErrorInvalidHandle);
    if (option != kInternetOptionVersion) return setError(kErrorInternetIncorrectHandleType);
    if (!length || *length < 8) {
        if (length) *length = 8;
        return setError(kErrorInsufficientBuffer);
    }
    const Long v[2] = {versionMajor, versionMinor};
    std::memcpy(buffer, v, 8);
    *length = 8;
    return true;
}

bool FakeInternet::InternetSetOption(Hinternet handle, Dword option, const void* buffer, Dword length) {
    Dword value = 0;
    if (buffer && length >= 4) std::memcpy(&value, buffer, 4);
    log.push_back("InternetSetOption(" + std::to_string(HandleValue(handle)) + "," + std::to_string(option) +
                  "," + std::to_string(value) + ")");
    if (!m_open.count(handle)) return setError(kErrorInvalidHandle);
    options[handle][option] = value;
    return true;
}

Hinternet FakeInternet::InternetConnect(Hinternet session, const std::string& serverName, std::uint16_t port,
                                        const char* userName, const char* password, Dword service,
                                        Dword flags, std::uintptr_t context) {
    log.push_back("InternetConnect(" + std::to_string(HandleValue(session)) + "," + serverName + "," +
                  std::to_string(port) + "," + Text(userName) + "," + Text(password) + "," +
                  std::to_string(service) + "," + std::to_string(flags) + "," + std::to_string(context) +
                  ")");
    auto it = m_open.find(session);
    if (it == m_open.end() || it->second.kind != Kind::Session)
        return setError(kErrorInvalidHandle), kNoInternet;
    // Like WinINet, the connection touches no network: failures show at the send.
    if (failed(Step::Connect, 0)) return kNoInternet;
    connections.push_back({serverName, port, service, userName != nullptr, password != nullptr});
    return newHandle(Kind::Connection, session, connections.size() - 1);
}

Hinternet FakeInternet::HttpOpenRequest(Hinternet connect, const std::string& verb,
                                        const std::string& objectName, const std::string& version,
                                        const char* referrer, const char** acceptTypes, Dword flags,
                                        std::uintptr_t context) {
    log.push_back("HttpOpenRequest(" + std::to_string(HandleValue(connect)) + "," + verb + "," + objectName +
                  "," + version + "," + Text(referrer) + "," + (acceptTypes ? "types" : "null") + "," +
                  std::to_string(flags) + "," + std::to_string(context) + ")");
    auto it = m_open.find(connect);
    if (it == m_open.end() || it->second.kind != Kind::Connection)
        return setError(kErrorInvalidHandle), kNoInternet;
    if (failed(Step::OpenRequest, 0)) return kNoInternet;
    Request r;
    r.host = connections[it->second.index].host;
    r.port = connections[it->second.index].port;
    r.verb = verb;
    // An empty object name requests the root, as WinINet does.
    r.path = objectName.empty() ? "/" : objectName;
    r.version = version;
    r.flags = flags;
    r.referrer = referrer != nullptr;
    r.acceptTypes = acceptTypes != nullptr;
    // WinINet adds these when the request is opened, so ADD_IF_NEW cannot replace them.
    r.headers = {{"User-Agent", agent}, {"Host", r.host}};
    requests.push_back(r);
    const Hinternet h = newHandle(Kind::Request, connect, requests.size() - 1);
    requests.back().handle = h;
    return h;
}

bool FakeInternet::HttpAddRequestHeaders(Hinternet req, const std::string& headers, Dword length,
                                         Dword modifiers) {
    log.push_back("HttpAddRequestHeaders(" + std::to_string(HandleValue(req)) + "," + headers + "," +
                  std::to_string(length) + "," + std::to_string(modifiers) + ")");
    Request* r = request(req);
    if (!r) return setError(kErrorInvalidHandle);
    const std::string text = length == 0xFFFFFFFFu ? headers : headers.substr(0, length);
    bool ok = true;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 2;
        const auto colon = line.find(':');
        if (colon == std::string::npos || colon == 0) continue;
        std::string name = line.substr(0, colon);
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        if ((modifiers & kHttpAddreqFlagAddIfNew) && Find(r->headers, name)) {
            ok = setError(kErrorHttpHeaderAlreadyExists);
            continue;
        }
        r->headers.emplace_back(name, value);
    }
    return ok;
}

const FakeResponse* FakeInternet::responseFor(const Request& r) const {
    auto u = m_byUrl.find(r.host + r.path);
    if (u != m_byUrl.end()) return &u->second;
    auto h = m_byHost.find(Upper(r.host));
    return h == m_byHost.end() ? nullptr : &h->second;
}

bool FakeInternet::HttpSendRequest(Hinternet req, const char* headers, Dword headersLength,
                                   const void* optional, Dword optionalLength) {
    log.push_back("HttpSendRequest(" + std::to_string(HandleValue(req)) + "," + Text(headers) + "," +
                  std::to_string(headersLength) + "," + (optional ? "data" : "null") + "," +
                  std::to_string(optionalLength) + ")");
    Request* r = request(req);
    if (!r) return setError(kErrorInvalidHandle);
    if (failed(Step::Send, 0)) return false;
    const FakeResponse* response = responseFor(*r);
    if (!response) return setError(kErrorInternetNameNotResolved);
    r->sent = r->verb + " " + r->path + " " + r->version + "\r\n";
    for (const auto& h : r->headers) r->sent += h.first + ": " + h.second + "\r\n";
    r->sent += "\r\n";
    if (response->silent) {
        const Hinternet connect = m_open[req].parent;
        const bool bounded = (options[req].count(kInternetOptionReceiveTimeout) &&
                              options[req][kInternetOptionReceiveTimeout] > 0) ||
                             (options[connect].count(kInternetOptionReceiveTimeout) &&
                              options[connect][kInternetOptionReceiveTimeout] > 0);
        if (!bounded) ++unboundedWaits;
        return setError(kErrorInternetTimeout);
    }
    m_readPos[req] = 0;
    return true;
}

std::optional<std::string> FakeInternet::queryValue(const Request& r, Dword level) const {
    const bool requestSide = (level & kHttpQueryFlagRequestHeaders) != 0;
    const Dword what = level & 0xFFFF;
    if (requestSide) {
        if (what == 22) return r.sent.empty() ? std::nullopt : std::optional<std::string>(r.sent);
        if (what == 45) return r.verb;
        const char* name = NameOf(what);
        if (!name) return std::nullopt;
        const std::string* v = Find(r.headers, name);
        return v ? std::optional<std::string>(*v) : std::nullopt;
    }
    const FakeResponse* response = responseFor(r);
    if (!response || r.sent.empty()) return std::nullopt;
    auto headers = response->headers;
    if (response->contentLength && !Find(headers, "Content-Length"))
        headers.emplace_back("Content-Length", std::to_string(response->body.size()));
    const std::string& s = response->statusLine;
    const auto sp1 = s.find(' ');
    const auto sp2 = sp1 == std::string::npos ? std::string::npos : s.find(' ', sp1 + 1);
    switch (what) {
        case 18: return s.substr(0, sp1);
        case 19: return sp1 == std::string::npos ? "" : s.substr(sp1 + 1, sp2 - sp1 - 1);
        case 20: return sp2 == std::string::npos ? "" : s.substr(sp2 + 1);
        case 45: return r.verb;
        case 21:
        case 22: {
            const std::string sep = what == 21 ? std::string(1, '\0') : std::string("\r\n");
            std::string out = s + sep;
            for (const auto& h : headers) out += h.first + ": " + h.second + sep;
            return out + sep;
        }
        default: break;
    }
    const char* name = NameOf(what);
    if (!name) return std::nullopt;
    const std::string* v = Find(headers, name);
    return v ? std::optional<std::string>(*v) : std::nullopt;
}

bool FakeInternet::HttpQueryInfo(Hinternet req, Dword infoLevel, void* buffer, Dword* bufferLength,
                                 Dword* index) {
    log.push_back("HttpQueryInfo(" + std::to_string(HandleValue(req)) + "," + std::to_string(infoLevel) +
                  "," + std::to_string(bufferLength ? *bufferLength : 0) + "," +
                  (index ? std::to_string(*index) : std::string("null")) + ")");
    Request* r = request(req);
    if (!r) return setError(kErrorInvalidHandle);
    if (!bufferLength) return setError(87);
    if (index && *index != 0) return setError(kErrorHttpHeaderNotFound);
    const auto value = queryValue(*r, infoLevel);
    if (!value) return setError(kErrorHttpHeaderNotFound);
    // The value and its NUL must fit; otherwise the buffer is left alone and the size needed returned.
    if (value->size() + 1 > *bufferLength) {
        *bufferLength = static_cast<Dword>(value->size() + 1);
        return setError(kErrorInsufficientBuffer);
    }
    std::memcpy(buffer, value->c_str(), value->size() + 1);
    *bufferLength = static_cast<Dword>(value->size());
    if (index) ++*index;
    return true;
}

bool FakeInternet::InternetReadFile(Hinternet file, void* buffer, Dword toRead, Dword* read) {
    log.push_back("InternetReadFile(" + std::to_string(HandleValue(file)) + "," + std::to_string(toRead) +
                  ")");
    if (read) *read = 0;
    Request* r = request(file);
    if (!r || !read) return setError(kErrorInvalidHandle);
    if (r->sent.empty() || !m_readPos.count(file)) return setError(kErrorInternetIncorrectHandleType);
    if (beforeRead) beforeRead();
    const FakeResponse* response = responseFor(*r);
    auto f = m_failures.find(Step::Read);
    if (f != m_failures.end() && r->reads >= f->second.second) {
        ++r->reads;
        return setError(f->second.first);
    }
    ++r->reads;
    std::size_t& pos = m_readPos[file];
    std::size_t n = std::min<std::size_t>(toRead, response->body.size() - pos);
    if (response->chunk) n = std::min<std::size_t>(n, response->chunk);
    if (n) std::memcpy(buffer, response->body.data() + pos, n);
    pos += n;
    *read = static_cast<Dword>(n);
    return true;
}

bool FakeInternet::InternetCloseHandle(Hinternet handle) {
    log.push_back("InternetCloseHandle(" + std::to_string(HandleValue(handle)) + ")");
    if (m_open.erase(handle)) {
        closed.push_back(handle);
        return true;
    }
    if (m_everOpened.count(handle))
        closedTwice.push_back(handle);
    else
        closedUnknown.push_back(handle);
    return setError(kErrorInvalidHandle);
}

}  // namespace zv::fakes
