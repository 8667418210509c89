#include "app/StartUp.h"

#include <gtest/gtest.h>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "net/clsHTTP.h"
#include "support/identity.h"
#include "support/md_Usefull.h"

namespace zv {
namespace {

const std::string kVersionPath = std::string(kUpdateHost) + "/AppVersions/ZorvaneVersion.txt";
// The first run asks with the agreement's text as the usage and the restore script print it.
const std::string kAgreement = AgreementText() + " Do you agree to this?";

class StartUpTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    fakes::FakeControls c;
    StartUpState state;

    StartUpTest() { p.app = AppValues{}; }
    void serve(const std::string& body) {
        fakes::FakeResponse r;
        r.body = body;
        p.internet.respond(kVersionPath, r);
    }
    void accepted() { p.registry.setString(kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime", "No"); }
    // Runs StartUp; true when it ended the program.
    bool run() {
        try {
            StartUp(p.env, c.form, state);
        } catch (const ProgramExit& e) {
            EXPECT_EQ(e.code, 0u);
            return true;
        }
        return false;
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        for (const auto& m : p.ui.shown) t.push_back(m.title);
        return t;
    }
};

TEST_F(StartUpTest, SetsTheValuesAndFetchesTheVersionFileFromOurOwnHost) {
    accepted();
    EXPECT_FALSE(run());
    EXPECT_EQ(p.app.Appname, "Zorvane");
    EXPECT_EQ(p.app.CurrentVersion, "1.03");
    EXPECT_EQ(p.app.MainKey, "SOFTWARE\\FI");
    EXPECT_EQ(p.app.UpdateURL, "http://" + kVersionPath);
    EXPECT_EQ(c.form.aboutItemCaption(), "About Zorvane");
    ASSERT_EQ(p.internet.requests.size(), 1u);
    EXPECT_EQ(p.internet.requests[0].host, kUpdateHost);
    EXPECT_EQ(p.internet.requests[0].path, "/AppVersions/ZorvaneVersion.txt");
    EXPECT_TRUE(p.ui.shown.empty());  // offline: nothing shown
    ASSERT_TRUE(state.CheckVersion);
    // The client lives on with its session (and the failed request, until the end).
    EXPECT_EQ(p.internet.openHandles(), 3u);
    state.CheckVersion.reset();
    EXPECT_EQ(p.internet.openHandles(), 0u);
    const std::string host = kUpdateHost;
    EXPECT_TRUE(host.size() > 8 && host.substr(host.size() - 8) == ".example");
}

TEST_F(StartUpTest, TheVersionFileDecidesWhatIsAsked) {
    // The longest address a browser takes, and one character more: that one is no offer.
    const std::string longest = "http://dl.example/" + std::string(2083 - 18, 'z');
    struct Case {
        std::string body;
        int answer;   // to the new-version box
        bool asked;   // the new-version box is shown
        bool opened;  // the page is handed to the shell
        bool ends;    // the program ends
    } cases[] = {
        {"1.04,http://dl.example/z,", kIdYes, true, true, false},
        {"1.04,http://dl.example/z,x", kIdNo, true, false, false},
        {"2,http://dl.example/z,", kIdCancel, true, false, false},
        {"1.03,http://dl.example/z,must-download", kIdYes, false, false, false},
        {"1.030,http://dl.example/z,must-download", kIdYes, false, false, false},
        {"1.0299,http://dl.example/z,must-download", kIdYes, false, false, false},
        {"v1.04,http://dl.example/z,must-download", kIdYes, false, false, false},
        {"1.04,http://dl.example/z,must-download", kIdYes, true, true, true},
        {"1.04,http://dl.example/z,must-download", kIdNo, true, false, true},
        {"1.04,http://dl.example/z,must-download\r\n", kIdYes, true, true, false},
        {"1.04,http://dl.example/z,Must-Download", kIdYes, true, true, false},
        {"1.04,file:///C:/evil.exe,", kIdYes, true, false, false},
        {"1.04," + longest + ",must-download", kIdNo, true, false, true},
        {"1.04," + longest + "z,must-download", kIdYes, false, false, false},
    };
    for (const auto& k : cases) {
        fakes::FakePlatform q;
        fakes::FakeControls cc;
        StartUpState st;
        q.registry.setString(kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime", "No");
        fakes::FakeResponse r;
        r.body = k.body;
        q.internet.respond(kVersionPath, r);
        q.ui.queueAnswer(k.answer);
        bool ended = false;
        try {
            StartUp(q.env, cc.form, st);
        } catch (const ProgramExit&) {
            ended = true;
        }
        EXPECT_EQ(ended, k.ends) << k.body;
        ASSERT_EQ(q.ui.shown.size(), k.asked ? 1u : 0u) << k.body;
        if (k.asked) {
            const std::string page =
                k.body.substr(k.body.find(',') + 1, k.body.rfind(',') - k.body.find(',') - 1);
            EXPECT_EQ(q.ui.shown[0].text,
                      "New version is available at: " + page + ". Do you wish to go there now?");
            EXPECT_EQ(q.ui.shown[0].title, "New Version");
            EXPECT_EQ(q.ui.shown[0].style, 67u);
            EXPECT_EQ(st.MsgboxRes, k.answer);
        }
        ASSERT_EQ(q.shell.executed.size(), k.opened ? 1u : 0u) << k.body;
        if (k.opened) {
            EXPECT_EQ(q.shell.executed[0].file, "http://dl.example/z");
            EXPECT_EQ(q.shell.executed[0].showCommand, 5);
            EXPECT_EQ(q.shell.executed[0].parent, cc.form.hwnd);
        }
    }
}

TEST_F(StartUpTest, AMissingFieldIsReportedOnItsLineAndTheAgreementIsNotAsked) {
    struct Case {
        const char* body;
        const char* line;
        std::vector<std::string> titles;
    } cases[] = {
        {"1.04,http://dl.example/z", "Error Line: 579.", {"New Version", "Error"}},
        {"1.04", "Error Line: 576.", {"Error"}},
    };
    for (const auto& k : cases) {
        fakes::FakePlatform q;
        fakes::FakeControls cc;
        StartUpState st;
        fakes::FakeResponse r;
        r.body = k.body;
        q.internet.respond(kVersionPath, r);
        q.ui.queueAnswer(kIdNo);
        q.ui.queueAnswer(kIdYes);
        EXPECT_NO_THROW(StartUp(q.env, cc.form, st)) << k.body;
        std::vector<std::string> shownTitles;
        for (const auto& m : q.ui.shown) shownTitles.push_back(m.title);
        EXPECT_EQ(shownTitles, k.titles) << k.body;
        const auto& report = q.ui.shown.back().text;
        EXPECT_NE(report.find("Error Number: 9.\r\nError Description: Subscript out of range."),
                  std::string::npos);
        EXPECT_NE(report.find(k.line), std::string::npos) << report;
        EXPECT_EQ(q.registry.keyExists(kHkeyCurrentUser, "SOFTWARE\\FI"), false);
    }
}

TEST_F(StartUpTest, OfflineFirstRunAsksTheAgreementAndYesRemembersIt) {
    p.ui.queueAnswer(kIdYes);
    EXPECT_FALSE(run());
    ASSERT_EQ(p.ui.shown.size(), 1u);
    EXPECT_EQ(p.ui.shown[0].text, kAgreement);
    EXPECT_EQ(p.ui.shown[0].title, "Agreement");
    EXPECT_EQ(p.ui.shown[0].style, 35u);
    EXPECT_EQ(md_Usefull::GetString(p.env, kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime"), "No");

    // The next start does not ask again.
    StartUpState next;
    StartUp(p.env, c.form, next);
    EXPECT_EQ(p.ui.shown.size(), 1u);
}

TEST_F(StartUpTest, NoOrCancelToTheAgreementEndsTheProgramAndTheNextStartAsksAgain) {
    for (int answer : {kIdNo, kIdCancel}) {
        fakes::FakePlatform q;
        fakes::FakeControls cc;
        StartUpState st;
        q.ui.queueAnswer(answer);
        EXPECT_THROW(StartUp(q.env, cc.form, st), ProgramExit);
        EXPECT_EQ(md_Usefull::GetString(q.env, kHkeyCurrentUser, "SOFTWARE\\FI", "ZorvaneFirstTime"), "");
        StartUpState again;
        q.ui.queueAnswer(kIdYes);
        EXPECT_NO_THROW(StartUp(q.env, cc.form, again));
        EXPECT_EQ(q.ui.shown.size(), 2u);
        EXPECT_EQ(q.ui.shown[1].title, "Agreement");
    }
}

TEST_F(StartUpTest, ANewerVersionThenTheAgreementOnTheFirstRun) {
    serve("1.1,http://dl.example/z,");
    p.ui.queueAnswer(kIdNo);
    p.ui.queueAnswer(kIdYes);
    EXPECT_FALSE(run());
    EXPECT_EQ(titles(), (std::vector<std::string>{"New Version", "Agreement"}));
    EXPECT_EQ(state.DataArray, (std::vector<std::string>{"1.1", "http://dl.example/z", ""}));
}

}  // namespace
}  // namespace zv
