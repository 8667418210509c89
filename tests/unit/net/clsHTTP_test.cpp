#include "net/clsHTTP.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

using fakes::FakeInternet;
using fakes::FakeResponse;

class HttpTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    FakeInternet& net = p.internet;

    static FakeResponse Page(std::string body, std::string status = "HTTP/1.0 200 OK") {
        FakeResponse r;
        r.statusLine = std::move(status);
        r.headers = {{"Server", "TinyHTTP/0.1"}, {"Content-Type", "text/plain"}};
        r.body = std::move(body);
        return r;
    }
};

TEST_F(HttpTest, TheCallsGoOutInOrderWithTheirConstants) {
    net.respond("srv/dir/file.txt", Page("1.04,http://x/,"));
    {
        clsHTTP http(p.env);
        std::string url = "http://srv/dir/file.txt";
        EXPECT_TRUE(http.Connect(url, "X-Extra: 1\r\n"));
        EXPECT_EQ(url, "srv/dir/file.txt");
        EXPECT_EQ(http.url(), "srv/dir/file.txt");
        EXPECT_EQ(http.LastError(), "");
    }
    std::vector<std::string> expected = {"InternetOpen",    "InternetQueryOption",   "InternetConnect",
                                         "HttpOpenRequest", "HttpAddRequestHeaders", "HttpSendRequest"};
    expected.insert(expected.end(), 15, "HttpQueryInfo");
    expected.insert(expected.end(), 3, "InternetCloseHandle");
    EXPECT_EQ(net.callNames(), expected);
    EXPECT_EQ(net.log[0], "InternetOpen(http protocol,0,null,null,0)");
    const auto& log = net.log;
    auto entry = [&](const std::string& name) {
        for (const auto& l : log)
            if (l.rfind(name + "(", 0) == 0) return l;
        return std::string();
    };
    EXPECT_EQ(entry("InternetQueryOption"), "InternetQueryOption(13369348,40,8)");
    EXPECT_EQ(entry("InternetConnect"), "InternetConnect(13369348,srv,80,null,null,3,0,0)");
    EXPECT_EQ(entry("HttpOpenRequest").substr(entry("HttpOpenRequest").find(',')),
              ",GET,/dir/file.txt,HTTP/1.0,null,null,2147483648,0)");
    EXPECT_NE(entry("HttpAddRequestHeaders").find(",X-Extra: 1\r\n,12,268435456)"), std::string::npos);
    EXPECT_NE(entry("HttpSendRequest").find(",null,0,null,0)"), std::string::npos);

    // The header fields, in their order and with the buffer size and index 0.
    std::vector<std::string> levels;
    for (const auto& l : log)
        if (l.rfind("HttpQueryInfo(", 0) == 0) levels.push_back(l.substr(l.find(',') + 1));
    const std::vector<std::string> want = {
        "1,1024,0)",  "5,1024,0)",          "11,1024,0)",         "18,1024,0)",         "19,1024,0)",
        "20,1024,0)", "21,1024,0)",         "22,1024,0)",         "30,1024,0)",         "37,1024,0)",
        "45,1024,0)", "2147483665,1024,0)", "2147483670,1024,0)", "2147483687,1024,0)", "2147483693,1024,0)"};
    EXPECT_EQ(levels, want);
    EXPECT_EQ(net.openHandles(), 0u);
    EXPECT_TRUE(net.closedTwice.empty());
    EXPECT_TRUE(net.closedUnknown.empty());
}

TEST_F(HttpTest, UrlsAreSplitAtTheFirstSlashAndTheServerPartIsUsedWhole) {
    struct Case {
        std::string url, afterUrl, host, path;
    } cases[] = {
        {"http://srv/dir/file.txt", "srv/dir/file.txt", "srv", "/dir/file.txt"},
        {"http://srv", "srv", "srv", ""},
        {"HTTP://srv/a", "HTTP://srv/a", "HTTP:", "//srv/a"},
        {"http://srv:8080/v.txt", "srv:8080/v.txt", "srv:8080", "/v.txt"},
        {"srv/x", "srv/x", "srv", "/x"},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform q;
        q.internet.respondHost(c.host, Page("ok"));
        clsHTTP http(q.env);
        std::string url = c.url;
        EXPECT_TRUE(http.Connect(url)) << c.url;
        EXPECT_EQ(url, c.afterUrl);
        ASSERT_EQ(q.internet.connections.size(), 1u) << c.url;
        EXPECT_EQ(q.internet.connections[0].host, c.host);
        EXPECT_EQ(q.internet.connections[0].port, 80);
        ASSERT_EQ(q.internet.requests.size(), 1u);
        EXPECT_EQ(q.internet.requests[0].path, c.path.empty() ? "/" : c.path) << c.url;
        bool asked = false;
        for (const auto& l : q.internet.log)
            if (l.rfind("HttpOpenRequest(", 0) == 0)
                asked = l.find(",GET," + c.path + ",HTTP/1.0,") != std::string::npos;
        EXPECT_TRUE(asked) << c.url;
    }
}

TEST_F(HttpTest, HeaderFieldsKeepTheirPaddingExceptTypeAndLength) {
    FakeResponse r = Page("hello");
    r.headers.emplace_back("Last-Modified", "Mon, 07 Dec 2026 10:00:00 GMT");
    net.respond("srv/f", r);
    clsHTTP http(p.env);
    std::string url = "http://srv/f";
    ASSERT_TRUE(http.Connect(url, "User-Agent: other\r\n"));
    EXPECT_EQ(http.contentType(), "text/plain");
    EXPECT_EQ(http.ContentLength(), 5);
    const std::string lm = http.LastModified();
    ASSERT_EQ(lm.size(), 1024u);
    EXPECT_EQ(lm.substr(0, lm.find('\0')), "Mon, 07 Dec 2026 10:00:00 GMT");
    EXPECT_EQ(lm.find_first_not_of('\0', lm.find('\0')), std::string::npos);
    EXPECT_EQ(http.statusCode().c_str(), std::string("200"));
    EXPECT_EQ(http.statusText().c_str(), std::string("OK"));
    EXPECT_EQ(http.version().c_str(), std::string("HTTP/1.0"));
    EXPECT_EQ(http.server().c_str(), std::string("TinyHTTP/0.1"));
    // Absent: 1024 NULs.
    EXPECT_EQ(http.Forwarded(), std::string(1024, '\0'));
    EXPECT_EQ(http.pragma(), std::string(1024, '\0'));
    // ADD_IF_NEW leaves the agent alone; the request headers are those sent.
    EXPECT_EQ(http.userAgent().c_str(), std::string("http protocol"));
    EXPECT_EQ(http.sRequestHeaders.c_str(), net.requests[0].sent);
    EXPECT_EQ(http.requestMethod2().c_str(), std::string("GET"));
    EXPECT_EQ(http.major(), 1);
    EXPECT_EQ(http.minor(), 2);
}

TEST_F(HttpTest, ATooLongHeaderGivesOnlyNuls) {
    FakeResponse r = Page("x");
    r.headers.emplace_back("Server", std::string(1024, 's'));
    r.headers.erase(r.headers.begin());
    r.headers.emplace_back("Content-Type", std::string(1023, 't'));
    r.headers.erase(r.headers.begin());
    net.respond("srv/", r);
    clsHTTP http(p.env);
    std::string url = "srv";
    ASSERT_TRUE(http.Connect(url));
    EXPECT_EQ(http.server(), std::string(1024, '\0'));
    EXPECT_EQ(http.contentType(), std::string(1023, 't'));
}

TEST_F(HttpTest, ContentLengthReadsTheLeadingNumberAndZeroWhenAbsent) {
    struct Case {
        const char* header;  // nullptr: none
        Long length;
    } cases[] = {{nullptr, 0}, {"42", 42}, {" 7 ", 7}, {"abc", 0}, {"12.5", 12}, {"13.5", 14}};
    for (const auto& c : cases) {
        fakes::FakePlatform q;
        FakeResponse r = Page("body");
        r.contentLength = false;
        if (c.header) r.headers.emplace_back("Content-Length", c.header);
        q.internet.respond("srv/v", r);
        clsHTTP http(q.env);
        std::string url = "srv/v";
        ASSERT_TRUE(http.Connect(url));
        EXPECT_EQ(http.ContentLength(), c.length) << (c.header ? c.header : "none");
    }
}

TEST_F(HttpTest, AContentLengthBeyondThirtyTwoBitsIsReportedOnItsLine) {
    FakeResponse r = Page("b");
    r.contentLength = false;
    r.headers.emplace_back("Content-Length", "99999999999");
    net.respond("srv/v", r);
    clsHTTP http(p.env);
    std::string url = "srv/v";
    EXPECT_FALSE(http.Connect(url));
    ASSERT_EQ(p.reports().size(), 1u);
    EXPECT_NE(p.reports()[0].text.find("Error Number: 6.\r\n"), std::string::npos);
    EXPECT_NE(p.reports()[0].text.find("Error Line: 357.\r\n"), std::string::npos);
}

TEST_F(HttpTest, EachFailedStepHasItsTextAndShowsNothing) {
    struct Case {
        FakeInternet::Step step;
        const char* text;
        std::vector<std::string> tail;  // the calls after InternetOpen
    } cases[] = {
        {FakeInternet::Step::Open, "InternetSession failed", {}},
        {FakeInternet::Step::Connect, "InternetConnect failed", {"InternetQueryOption", "InternetConnect"}},
        {FakeInternet::Step::OpenRequest,
         "HttpOpenRequest failed",
         {"InternetQueryOption", "InternetConnect", "HttpOpenRequest", "HttpAddRequestHeaders"}},
        {FakeInternet::Step::Send,
         "HttpSendRequest failed",
         {"InternetQueryOption", "InternetConnect", "HttpOpenRequest", "HttpAddRequestHeaders",
          "HttpSendRequest"}},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform q;
        q.internet.respondHost("srv", Page("x"));
        q.internet.fail(c.step, kErrorInternetCannotConnect);
        std::string content = "earlier";
        {
            clsHTTP http(q.env);
            if (c.step == FakeInternet::Step::Open) {
                EXPECT_EQ(http.LastError(), "InternetOpen failed.");
            }
            std::string url = "http://srv/v.txt";
            EXPECT_FALSE(http.Connect(url, "X: y"));
            EXPECT_EQ(http.LastError(), c.text);
            EXPECT_EQ(http.url(), "srv/v.txt");
            bool toText = true;
            EXPECT_FALSE(http.GetFile("http://srv/v.txt", "", content, toText, "X: y"));
        }
        EXPECT_EQ(content, "earlier");
        EXPECT_TRUE(q.ui.shown.empty()) << c.text;
        auto names = q.internet.callNames();
        names.erase(names.begin());
        names.resize(c.tail.size());
        EXPECT_EQ(names, c.tail) << c.text;
        EXPECT_EQ(q.internet.openHandles(), 0u) << c.text;
        EXPECT_TRUE(q.internet.closedTwice.empty()) << c.text;
        EXPECT_TRUE(q.internet.closedUnknown.empty()) << c.text;
    }
}

TEST_F(HttpTest, OfflineGetFileIsSilentAndLeavesTheContent) {
    clsHTTP http(p.env);
    std::string content = "kept";
    bool toText = true;
    EXPECT_FALSE(http.GetFile("http://nowhere.example/v.txt", "", content, toText));
    EXPECT_EQ(content, "kept");
    EXPECT_TRUE(p.ui.shown.empty());
    EXPECT_EQ(p.ui.doEventsCalls, 0);
}

TEST_F(HttpTest, AnErrorPageIsReadLikeAnyOtherBody) {
    net.respond("srv/missing.txt", Page("<h1>404 Not Found</h1>", "HTTP/1.0 404 Not Found"));
    clsHTTP http(p.env);
    std::string content;
    bool toText = false;
    EXPECT_TRUE(http.GetFile("http://srv/missing.txt", "", content, toText));
    EXPECT_TRUE(toText);  // no file name: read into the text, and the caller sees it
    EXPECT_EQ(content, "<h1>404 Not Found</h1>");
    EXPECT_EQ(http.statusCode().c_str(), std::string("404"));
    EXPECT_EQ(http.LastError(), "");
}

TEST_F(HttpTest, AManyChunkBodyComesWholeWithMessagesBetweenChunks) {
    std::string body;
    for (int i = 0; i < 5000; ++i) body += static_cast<char>(i % 251);
    FakeResponse r = Page(body);
    r.chunk = 700;  // the server hands out less than is asked
    net.respond("srv/big", r);
    clsHTTP http(p.env);
    std::string content;
    bool toText = true;
    ASSERT_TRUE(http.GetFile("srv/big", "", content, toText));
    EXPECT_EQ(content, body);
    const int reads = net.requests[0].reads;
    EXPECT_EQ(reads, 9);  // 8 chunks and the empty read at the end
    for (const auto& l : net.log) {
        if (l.rfind("InternetReadFile(", 0) == 0) {
            EXPECT_NE(l.find(",2048)"), std::string::npos);
        }
    }
    // After connecting, before reading, and after every chunk.
    EXPECT_EQ(p.ui.doEventsCalls, 2 + 8);
    // The request is closed after the body; the session and connection at the end, each once.
    EXPECT_EQ(net.closed.size(), 1u);
}

TEST_F(HttpTest, AReadThatFailsMidBodyEndsLikeTheEnd) {
    FakeResponse r = Page(std::string(5000, 'a'));
    net.respond("srv/v", r);
    net.fail(FakeInternet::Step::Read, kErrorInternetConnectionAborted, 1);
    clsHTTP http(p.env);
    std::string content;
    bool toText = true;
    EXPECT_TRUE(http.GetFile("srv/v", "", content, toText));
    EXPECT_EQ(content, std::string(2048, 'a'));
    EXPECT_TRUE(p.ui.shown.empty());
}

TEST_F(HttpTest, TimeoutsAreSetOnEveryHandleSoASilentServerIsBounded) {
    FakeResponse r;
    r.silent = true;
    net.respond("srv/v", r);
    clsHTTP http(p.env);
    std::string content;
    bool toText = true;
    EXPECT_FALSE(http.GetFile("srv/v", "", content, toText));
    EXPECT_EQ(net.unboundedWaits, 0);
    ASSERT_EQ(net.options.size(), 3u);  // session, connection, request
    for (const auto& [handle, opts] : net.options) {
        EXPECT_EQ(opts.at(kInternetOptionConnectTimeout), kHttpTimeoutMs) << HandleValue(handle);
        EXPECT_EQ(opts.at(kInternetOptionSendTimeout), kHttpTimeoutMs) << HandleValue(handle);
        EXPECT_EQ(opts.at(kInternetOptionReceiveTimeout), kHttpTimeoutMs) << HandleValue(handle);
    }
    EXPECT_LE(kHttpTimeoutMs, 5000u);
}

// A server that keeps sending a little now and then, and one that sends more than a
// version file holds: neither is an answer, and neither is read for longer than the bound
// from connecting to the last byte, or further than one byte past the limit.
TEST_F(HttpTest, OneDeadlineForTheWholeFetchAndABoundedBody) {
    {
        FakeResponse r = Page(std::string(10000, 'a'));
        r.chunk = 100;
        net.respond("srv/slow", r);
        net.beforeRead = [&] { p.system.ticks += kHttpTimeoutMs / 4; };  // every call well within the bound
        clsHTTP http(p.env);
        std::string content = "earlier";
        bool toText = true;
        EXPECT_FALSE(http.GetFile("srv/slow", "", content, toText));
        EXPECT_EQ(content, "");
        EXPECT_EQ(net.requests[0].reads, 4);
        // Each read may wait only for what is left.
        EXPECT_EQ(net.options[net.requests[0].handle].at(kInternetOptionReceiveTimeout), kHttpTimeoutMs / 4);
        net.beforeRead = nullptr;
    }
    for (const std::size_t size : {kHttpMaxTextBytes, kHttpMaxTextBytes + 1, 10 * kHttpMaxTextBytes}) {
        net.respond("srv/big", Page(std::string(size, ',')));
        clsHTTP http(p.env);
        std::string content;
        bool toText = true;
        const bool read = http.GetFile("srv/big", "", content, toText);
        EXPECT_EQ(read, size <= kHttpMaxTextBytes) << size;
        EXPECT_EQ(content.size(), read ? size : 0u) << size;
    }
    EXPECT_LE(net.requests.back().reads, static_cast<int>(kHttpMaxTextBytes / 2048 + 1));
    EXPECT_TRUE(p.ui.shown.empty());
}

TEST_F(HttpTest, ASecondConnectClosesTheEarlierPairAndTheEndClosesEachOnce) {
    net.respondHost("srv", Page("x"));
    {
        clsHTTP http(p.env);
        std::string a = "srv/a", b = "srv/b";
        ASSERT_TRUE(http.Connect(a));
        ASSERT_TRUE(http.Connect(b));
        EXPECT_EQ(net.openHandles(), 3u);
        std::string content;
        bool toText = true;
        ASSERT_TRUE(http.GetFile("srv/c", "", content, toText));
    }
    EXPECT_EQ(net.openHandles(), 0u);
    EXPECT_TRUE(net.closedTwice.empty());
    EXPECT_TRUE(net.closedUnknown.empty());
    EXPECT_EQ(net.closed.size(), 7u);  // 3 requests, 3 connections, 1 session
}

class HttpFileTest : public HttpTest {
protected:
    fakes::FakeFileSystem& files = p.files;
    Env& env = p.env;
    void SetUp() override { files.addFolder("C:\\dl"); }
};

TEST_F(HttpFileTest, AFileThatExistsIsReplaced) {
    files.addFile("C:\\dl\\v.txt", std::string(9000, 'o'));
    net.respond("srv/v", Page(std::string(3000, 'n')));
    clsHTTP http(env);
    std::string content = "untouched";
    bool toText = false;
    EXPECT_TRUE(http.GetFile("srv/v", "C:\\dl\\v.txt", content, toText));
    EXPECT_FALSE(toText);
    EXPECT_EQ(content, "untouched");
    EXPECT_EQ(files.contents("C:\\dl\\v.txt").value_or("(none)"), std::string(3000, 'n'));
    EXPECT_EQ(files.openFiles(), 0u);
    EXPECT_TRUE(p.ui.shown.empty());
}

TEST_F(HttpFileTest, AMissingFolderOrAFailedWriteShowsTheMessage) {
    for (bool missingFolder : {true, false}) {
        net.respondHost("srv", Page("data"));
        p.ui.shown.clear();
        const std::string name = missingFolder ? "C:\\nope\\v.txt" : "C:\\dl\\w.txt";
        if (!missingFolder) files.failOn("WriteFile", name, kErrorDiskFull);
        std::size_t openBefore = net.openHandles();
        clsHTTP http(env);
        std::string content;
        bool toText = false;
        EXPECT_FALSE(http.GetFile("srv/v", name, content, toText));
        ASSERT_EQ(p.ui.shown.size(), 1u);
        EXPECT_EQ(p.ui.shown[0].text, "Could not retrieve latest version");
        EXPECT_EQ(p.ui.shown[0].title, "Error");
        EXPECT_EQ(p.ui.shown[0].style, 48u);
        EXPECT_EQ(files.openFiles(), 0u);  // closed on the failure path
        // The request stays open until the object ends.
        EXPECT_EQ(net.openHandles(), openBefore + 3);
        EXPECT_FALSE(files.exists("C:\\nope\\v.txt"));
    }
}

TEST_F(HttpFileTest, FileExistIsFalseForAnyFailure) {
    files.addFile("C:\\dl\\a", "");
    clsHTTP http(env);
    EXPECT_TRUE(http.FileExist("C:\\dl\\a"));
    EXPECT_FALSE(http.FileExist("C:\\dl\\b"));
    EXPECT_FALSE(http.FileExist(""));
}

}  // namespace
}  // namespace zv
