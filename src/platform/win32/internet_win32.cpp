// WinINet over the ANSI calls. The calls that wait on the network (the send and
// the reads) run on a worker thread: the calling thread keeps processing window
// messages and stops waiting once the timeout set on the handle has passed.
// Wine honours the receive timeout only on connection and request handles, and
// neither a hung TCP connect nor a DNS wait is bounded there at all; closing the
// handle from another thread does not cancel the call either. A worker that is
// still stuck at the deadline is left behind: it owns its own buffers, and the
// process ends without waiting for it.
#include <windows.h>
#include <wininet.h>

// The SDK's generic names are macros that would rename the seam's methods.
#undef InternetOpen
#undef InternetConnect
#undef HttpOpenRequest
#undef HttpAddRequestHeaders
#undef HttpSendRequest
#undef HttpQueryInfo
#undef InternetQueryOption
#undef InternetSetOption

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/factories.h"
#include "platform/win32/handles.h"
#include "platform/win32/message_pump.h"

namespace zv::win32 {
namespace {

// One blocking call, shared by the waiting thread and the worker: whichever lets go last frees it.
struct Job {
    HINTERNET handle = nullptr;
    bool isRead = false;
    std::string headers;
    std::vector<char> optional;
    std::vector<char> buffer;
    DWORD read = 0;
    BOOL ok = FALSE;
    DWORD error = 0;
};

void Run(Job& job) {
    if (job.isRead) {
        job.ok = ::InternetReadFile(job.handle, job.buffer.data(), static_cast<DWORD>(job.buffer.size()),
                                    &job.read);
    } else {
        job.ok = ::HttpSendRequestA(job.handle, job.headers.empty() ? nullptr : job.headers.c_str(),
                                    static_cast<DWORD>(job.headers.size()),
                                    job.optional.empty() ? nullptr : job.optional.data(),
                                    static_cast<DWORD>(job.optional.size()));
    }
    job.error = job.ok ? 0 : ::GetLastError();
}

class Win32Internet : public IInternet {
public:
    Dword GetLastError() const override { return m_lastError; }

    Hinternet InternetOpen(const std::string& agent, Dword accessType, const char* proxy,
                           const char* proxyBypass, Dword flags) override {
        HINTERNET h = ::InternetOpenA(agent.c_str(), accessType, proxy, proxyBypass, flags);
        keep();
        return InternetFromNative(h);
    }

    bool InternetQueryOption(Hinternet handle, Dword option, void* buffer, Dword* length) override {
        DWORD len = length ? *length : 0;
        const BOOL ok = ::InternetQueryOptionA(ToNative(handle), option, buffer, &len);
        keep();
        if (length) *length = len;
        return ok != FALSE;
    }

    bool InternetSetOption(Hinternet handle, Dword option, const void* buffer, Dword length) override {
        const BOOL ok = ::InternetSetOptionA(ToNative(handle), option, const_cast<void*>(buffer), length);
        keep();
        if (IsTimeout(option) && buffer && length >= sizeof(DWORD)) {
            DWORD value = 0;
            std::memcpy(&value, buffer, sizeof value);
            m_bounds[handle][option] = value;
        }
        return ok != FALSE;
    }

    Hinternet InternetConnect(Hinternet session, const std::string& serverName, std::uint16_t port,
                              const char* userName, const char* password, Dword service, Dword flags,
                              std::uintptr_t context) override {
        HINTERNET h = ::InternetConnectA(ToNative(session), serverName.c_str(), port, userName, password,
                                         service, flags, context);
        keep();
        inherit(session, InternetFromNative(h));
        return InternetFromNative(h);
    }

    Hinternet HttpOpenRequest(Hinternet connect, const std::string& verb, const std::string& objectName,
                              const std::string& version, const char* referrer, const char** acceptTypes,
                              Dword flags, std::uintptr_t context) override {
        HINTERNET h = ::HttpOpenRequestA(ToNative(connect), verb.c_str(), objectName.c_str(), version.c_str(),
                                         referrer, acceptTypes, flags, context);
        keep();
        inherit(connect, InternetFromNative(h));
        return InternetFromNative(h);
    }

    bool HttpAddRequestHeaders(Hinternet request, const std::string& headers, Dword length,
                               Dword modifiers) override {
        const BOOL ok = ::HttpAddRequestHeadersA(ToNative(request), headers.c_str(), length, modifiers);
        keep();
        return ok != FALSE;
    }

    bool HttpSendRequest(Hinternet request, const char* headers, Dword headersLength, const void* optional,
                         Dword optionalLength) override {
        auto job = std::make_shared<Job>();
        job->handle = ToNative(request);
        if (headers)
            job->headers.assign(headers, headersLength == 0xFFFFFFFFu ? std::strlen(headers) : headersLength);
        if (optional && optionalLength)
            job->optional.assign(static_cast<const char*>(optional),
                                 static_cast<const char*>(optional) + optionalLength);
        return run(job, request);
    }

    bool HttpQueryInfo(Hinternet request, Dword infoLevel, void* buffer, Dword* bufferLength,
                       Dword* index) override {
        DWORD len = bufferLength ? *bufferLength : 0;
        DWORD idx = index ? *index : 0;
        const BOOL ok = ::HttpQueryInfoA(ToNative(request), infoLevel, buffer, &len, index ? &idx : nullptr);
        keep();
        if (bufferLength) *bufferLength = len;
        if (index) *index = idx;
        return ok != FALSE;
    }

    bool InternetReadFile(Hinternet file, void* buffer, Dword toRead, Dword* read) override {
        if (read) *read = 0;
        auto job = std::make_shared<Job>();
        job->handle = ToNative(file);
        job->isRead = true;
        job->buffer.resize(toRead);
        const bool ok = run(job, file);
        if (ok && job->read <= toRead) {
            if (job->read) std::memcpy(buffer, job->buffer.data(), job->read);
            if (read) *read = job->read;
        }
        return ok;
    }

    bool InternetCloseHandle(Hinternet handle) override {
        const BOOL ok = ::InternetCloseHandle(ToNative(handle));
        keep();
        m_bounds.erase(handle);
        return ok != FALSE;
    }

private:
    static bool IsTimeout(Dword option) {
        return option == INTERNET_OPTION_CONNECT_TIMEOUT || option == INTERNET_OPTION_SEND_TIMEOUT ||
               option == INTERNET_OPTION_RECEIVE_TIMEOUT || option == INTERNET_OPTION_DATA_SEND_TIMEOUT ||
               option == INTERNET_OPTION_DATA_RECEIVE_TIMEOUT;
    }

    void keep() { m_lastError = ::GetLastError(); }

    // A child handle starts with its parent's bound, as WinINet handles inherit options.
    void inherit(Hinternet parent, Hinternet child) {
        if (child == kNoInternet) return;
        auto it = m_bounds.find(parent);
        if (it != m_bounds.end()) m_bounds[child] = it->second;
    }

    // The longest of the handle's timeouts as they stand now: a caller may shorten them
    // between calls, to what is left of its own deadline.
    Dword boundOf(Hinternet handle) {
        auto it = m_bounds.find(handle);
        Dword bound = 0;
        if (it != m_bounds.end())
            for (const auto& [option, value] : it->second)
                if (value > bound) bound = value;
        return bound == 0 ? INFINITE : bound;
    }

    // Runs the job on a worker and waits for it up to the handle's bound. A worker still
    // stuck at the deadline keeps the job alive until its call returns.
    bool run(const std::shared_ptr<Job>& job, Hinternet handle) {
        const bool finished = RunDispatching([job] { Run(*job); }, boundOf(handle));
        bool ok = false;
        if (finished) {
            ok = job->ok != FALSE;
            m_lastError = job->error;
        } else {
            m_lastError = ERROR_INTERNET_TIMEOUT;
        }
        ::SetLastError(m_lastError);
        return ok;
    }

    // Touched only by the thread that makes the calls; the workers see only their job.
    Dword m_lastError = 0;
    std::map<Hinternet, std::map<Dword, Dword>> m_bounds;  // timeout option -> value, per handle
};

}  // namespace

std::unique_ptr<IInternet> MakeInternet() {
    return std::make_unique<Win32Internet>();
}

}  // namespace zv::win32
