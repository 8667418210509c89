// The HTTP client over the real WinINet, against loopback servers on port 80
// that the suite starts (tests/wine/http_server.py). Port 80 is shared by every
// case here, so these cases must never run in parallel (the suite is serial).
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/StartUp.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "net/clsHTTP.h"
#include "platform/win32/factories.h"

namespace zv {
namespace {

std::string ReadWholeFile(const std::string& path) {
    std::string out;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    CloseHandle(h);
    return out;
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(h);
}

// One plain GET through WinINet; true when a response came.
bool Touch(const char* url) {
    HINTERNET s = InternetOpenA("zv-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET u = s ? InternetOpenUrlA(s, url, nullptr, 0, INTERNET_FLAG_RELOAD, 0) : nullptr;
    const bool ok = u != nullptr;
    if (u) InternetCloseHandle(u);
    if (s) InternetCloseHandle(s);
    return ok;
}

std::string ServerScript() {
    std::string here = __FILE__;
    return here.substr(0, here.find_last_of("/\\") + 1) + "http_server.py";
}

class HttpPort80 : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Loopback only: no proxy from the environment may take the requests.
        _putenv("http_proxy=");
        _putenv("HTTP_PROXY=");
        (void)Touch("http://127.0.0.1/__quit");  // a server left behind by a crashed run
        Sleep(100);
        // Wine starts a Unix program given by its Z: path.
        std::string cmd = "Z:\\usr\\bin\\python3 " + ServerScript();
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            std::printf("cannot start %s: error %lu\n", cmd.c_str(), GetLastError());
            return;
        }
        // A Unix program gets no process handle to wait on; its answers tell when it runs.
        if (pi.hProcess) CloseHandle(pi.hProcess);
        if (pi.hThread) CloseHandle(pi.hThread);
        for (int i = 0; i < 200 && !s_started; ++i) {
            s_started = Touch("http://127.0.0.1/ready");
            if (!s_started) Sleep(50);
        }
    }
    static void TearDownTestSuite() {
        if (!s_started) return;
        (void)Touch("http://127.0.0.1/__quit");
        // Port 80 is free again once nothing answers there.
        for (int i = 0; i < 100 && Touch("http://127.0.0.1/ready"); ++i) Sleep(50);
        s_started = false;
    }
    void SetUp() override {
        ASSERT_TRUE(s_started) << "the loopback server did not start";
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_dir = std::string(temp) + "zv_http_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_dir.c_str(), nullptr);
    }
    void TearDown() override {
        DeleteFileA((m_dir + "\\v.txt").c_str());
        RemoveDirectoryA(m_dir.c_str());
    }

    static bool s_started;
    std::string m_dir;
    fakes::FakePlatform p;
    std::unique_ptr<IInternet> net = win32::MakeInternet();
    std::unique_ptr<IFileSystem> files = win32::MakeFileSystem();
    std::unique_ptr<ISystem> system = win32::MakeSystem();  // the real clock
    Platform os{p.registry, p.profile, *system, *files,   *net,      p.shell,
                p.ui,       p.setup,   p.data,  p.locale, p.devices, p.signatures};
    Env env{os, p.errors, p.app};
};
bool HttpPort80::s_started = false;

TEST_F(HttpPort80, TheRequestGoesOutAsAPlainHttp10Get) {
    clsHTTP http(env);
    std::string body;
    bool toText = true;
    ASSERT_TRUE(http.GetFile("http://127.0.0.1/echo", "", body, toText, "X-Zv-Test: one"));
    // What the server received, line by line.
    EXPECT_EQ(body.rfind("GET /echo HTTP/1.0\r\n", 0), 0u) << body;
    EXPECT_NE(body.find("\r\nUser-Agent: http protocol\r\n"), std::string::npos) << body;
    EXPECT_NE(body.find("\r\nHost: 127.0.0.1\r\n"), std::string::npos) << body;
    EXPECT_NE(body.find("\r\nX-Zv-Test: one\r\n"), std::string::npos) << body;
    EXPECT_EQ(body.find("Pragma"), std::string::npos) << body;
    EXPECT_EQ(body.find("If-Modified-Since"), std::string::npos) << body;
    EXPECT_EQ(body.substr(body.size() - 4), "\r\n\r\n");
    // The client's own record of the request is the same text.
    EXPECT_EQ(std::string(http.sRequestHeaders.c_str()), body);
    EXPECT_EQ(std::string(http.userAgent().c_str()), "http protocol");
    // (The request-side method query comes back empty under Wine; Windows gives the verb.)
    EXPECT_EQ(std::string(http.version().c_str()), "HTTP/1.0");
    EXPECT_EQ(std::string(http.server().c_str()), "ZvTest/1.0");
    EXPECT_EQ(http.contentType(), "text/plain");
    EXPECT_EQ(http.ContentLength(), static_cast<Long>(body.size()));
    EXPECT_GE(http.major(), 1);
    EXPECT_TRUE(p.ui.shown.empty());
}

TEST_F(HttpPort80, AnErrorPageIsReadAsABody) {
    clsHTTP http(env);
    std::string body;
    bool toText = true;
    ASSERT_TRUE(http.GetFile("http://127.0.0.1/missing.txt", "", body, toText));
    EXPECT_EQ(body, "<html>not here</html>");
    EXPECT_EQ(std::string(http.statusCode().c_str()), "404");
    EXPECT_EQ(std::string(http.statusText().c_str()), "Not Found");
    EXPECT_EQ(http.LastError(), "");
}

TEST_F(HttpPort80, NoContentLengthReadsZeroAndTheWholeBody) {
    clsHTTP http(env);
    std::string body;
    bool toText = true;
    ASSERT_TRUE(http.GetFile("http://127.0.0.1/nolength", "", body, toText));
    EXPECT_EQ(body, "no length here, the close ends it");
    EXPECT_EQ(http.ContentLength(), 0);
}

TEST_F(HttpPort80, ABodyOfManyChunksArrivesWhole) {
    std::string expected;
    for (int i = 0; i < 10000; ++i) expected += static_cast<char>((i * 7 + i / 256) % 256);
    clsHTTP http(env);
    std::string body;
    bool toText = true;
    ASSERT_TRUE(http.GetFile("http://127.0.0.1/chunks", "", body, toText));
    EXPECT_EQ(body.size(), expected.size());
    EXPECT_TRUE(body == expected);
    EXPECT_GE(p.ui.doEventsCalls, 2 + 5);  // at least five chunks of at most 2048 bytes
}

TEST_F(HttpPort80, AFileThatExistsIsReplacedAndAMissingFolderIsReported) {
    const std::string file = m_dir + "\\v.txt";
    WriteWholeFile(file, std::string(5000, 'o'));
    {
        clsHTTP http(env);
        std::string unused = "kept";
        bool toText = false;
        ASSERT_TRUE(http.GetFile("http://127.0.0.1/AppVersions/ZorvaneVersion.txt", file, unused, toText));
        EXPECT_EQ(unused, "kept");
    }
    EXPECT_EQ(ReadWholeFile(file), "1.03,http://dl.zorvane.example/,");
    EXPECT_TRUE(p.ui.shown.empty());

    clsHTTP http(env);
    std::string unused;
    bool toText = false;
    EXPECT_FALSE(http.GetFile("http://127.0.0.1/nolength", m_dir + "\\no\\such\\v.txt", unused, toText));
    ASSERT_EQ(p.ui.shown.size(), 1u);
    EXPECT_EQ(p.ui.shown[0].text, "Could not retrieve latest version");
    EXPECT_EQ(p.ui.shown[0].title, "Error");
    EXPECT_EQ(p.ui.shown[0].style, 48u);
    EXPECT_EQ(GetFileAttributesA((m_dir + "\\no").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HttpPort80, ARefusedConnectionFailsAtOnceAndSilently) {
    clsHTTP http(env);
    std::string body = "earlier";
    bool toText = true;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(http.GetFile("http://127.0.0.2/AppVersions/ZorvaneVersion.txt", "", body, toText));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(body, "earlier");
    EXPECT_EQ(http.LastError(), "HttpSendRequest failed");
    EXPECT_TRUE(p.ui.shown.empty());
}

// A server that accepts and never answers, and one whose TCP connect never
// completes (where Wine's own timeouts do nothing): both end at the bound, and
// the thread's window messages keep being handled while it waits.
TEST_F(HttpPort80, AServerThatNeverAnswersHoldsUsOnlyForTheBound) {
    static int ticks = 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) WINAPI -> LRESULT {
        if (m == WM_TIMER) ++ticks;
        return DefWindowProcA(h, m, w, l);
    };
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZvHttpTestTicks";
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SetTimer(window, 1, 200, nullptr);
    for (const char* host : {"127.0.0.3", "127.0.0.4"}) {
        ticks = 0;
        clsHTTP http(env);
        std::string body = "earlier";
        bool toText = true;
        const DWORD start = GetTickCount();
        EXPECT_FALSE(http.GetFile(std::string("http://") + host + "/v.txt", "", body, toText)) << host;
        const DWORD took = GetTickCount() - start;
        EXPECT_GE(took + 100, kHttpTimeoutMs) << host;
        EXPECT_LE(took, kHttpTimeoutMs + 1000) << host;
        EXPECT_GE(ticks, static_cast<int>(kHttpTimeoutMs / 200 / 2)) << host;
        EXPECT_EQ(body, "earlier");
        EXPECT_EQ(http.LastError(), "HttpSendRequest failed");
        EXPECT_TRUE(p.ui.shown.empty());
    }
    KillTimer(window, 1);
    DestroyWindow(window);
}

// The real WinINet, with every connection to the update host made to one of the loopback
// servers instead: the start-up check runs unchanged against a server of a given shape.
class ToLoopback : public IInternet {
public:
    ToLoopback(IInternet& real, std::string host) : m_real(real), m_host(std::move(host)) {}
    Dword GetLastError() const override { return m_real.GetLastError(); }
    Hinternet InternetOpen(const std::string& a, Dword t, const char* p, const char* b, Dword f) override {
        return m_real.InternetOpen(a, t, p, b, f);
    }
    bool InternetQueryOption(Hinternet h, Dword o, void* b, Dword* l) override {
        return m_real.InternetQueryOption(h, o, b, l);
    }
    bool InternetSetOption(Hinternet h, Dword o, const void* b, Dword l) override {
        return m_real.InternetSetOption(h, o, b, l);
    }
    Hinternet InternetConnect(Hinternet s, const std::string& server, std::uint16_t port, const char* u,
                              const char* p, Dword service, Dword f, std::uintptr_t c) override {
        return m_real.InternetConnect(s, server == kUpdateHost ? m_host : server, port, u, p, service, f, c);
    }
    Hinternet HttpOpenRequest(Hinternet c, const std::string& verb, const std::string& object,
                              const std::string& version, const char* r, const char** a, Dword f,
                              std::uintptr_t x) override {
        return m_real.HttpOpenRequest(c, verb, object, version, r, a, f, x);
    }
    bool HttpAddRequestHeaders(Hinternet r, const std::string& h, Dword l, Dword m) override {
        return m_real.HttpAddRequestHeaders(r, h, l, m);
    }
    bool HttpSendRequest(Hinternet r, const char* h, Dword hl, const void* o, Dword ol) override {
        return m_real.HttpSendRequest(r, h, hl, o, ol);
    }
    bool HttpQueryInfo(Hinternet r, Dword level, void* b, Dword* l, Dword* i) override {
        return m_real.HttpQueryInfo(r, level, b, l, i);
    }
    bool InternetReadFile(Hinternet f, void* b, Dword n, Dword* read) override {
        return m_real.InternetReadFile(f, b, n, read);
    }
    bool InternetCloseHandle(Hinternet h) override { return m_real.InternetCloseHandle(h); }

private:
    IInternet& m_real;
    std::string m_host;
};

// The start-up sequence against an update server of a hostile shape, on the real clock:
// it must let the window open within the bound and half a second, asking and opening
// nothing. A Yes stands ready for a question that must not come.
class HostileUpdateServer : public HttpPort80 {
protected:
    void startUpAgainst(const char* host) {
        ToLoopback redirected(*net, host);
        Platform startOs{p.registry, p.profile, *system, *files,   redirected, p.shell,
                         p.ui,       p.setup,   p.data,  p.locale, p.devices,  p.signatures};
        AppValues app;
        Env startEnv{startOs, p.errors, app};
        p.registry.setString(kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime", "No");
        p.ui.queueAnswer(kIdYes);
        fakes::FakeControls c;
        StartUpState state;
        const DWORD start = GetTickCount();
        StartUp(startEnv, c.form, state);
        const DWORD took = GetTickCount() - start;
        EXPECT_LE(took, kHttpTimeoutMs + 500) << host;
        EXPECT_TRUE(p.ui.shown.empty()) << p.ui.shown.front().text.substr(0, 80);
        EXPECT_TRUE(p.shell.executed.empty());
        EXPECT_TRUE(p.reports().empty());
        EXPECT_EQ(c.form.aboutItemCaption(), "About Zorvane");
    }
};

TEST_F(HostileUpdateServer, AMillionCommas) {
    startUpAgainst("127.0.0.5");
}

TEST_F(HostileUpdateServer, FourKilobytesEveryTwoSeconds) {
    startUpAgainst("127.0.0.6");
}

TEST_F(HostileUpdateServer, AHundredKilobyteAddress) {
    startUpAgainst("127.0.0.7");
}

}  // namespace
}  // namespace zv
