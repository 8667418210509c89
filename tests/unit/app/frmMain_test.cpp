#include "app/frmMain.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "support/runtime_error.h"

namespace zv {
namespace {

const std::string kClass = "SYSTEM\\CurrentControlSet\\Control\\Class";

class FrmMainTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    fakes::FakeControls ui;

    FrmMainTest() {
        p.app = AppValues{};  // StartUp sets them
        for (const char* name : {"0000", "0001", "0002"}) {
            const std::string path = kClass + "\\Net\\" + name;
            p.registry.setString(kHkeyLocalMachine, path, "DriverDesc", std::string("Adapter ") + name);
            p.registry.setString(kHkeyLocalMachine, path, "ProviderName",
                                 name[3] == '1' ? "Microsoft" : "Acme");
        }
    }
};

TEST_F(FrmMainTest, LoadRunsStartUpThenReadsTheListThenSetsTheCaption) {
    frmMain form(p.env, ui.controls);
    std::vector<std::string> atDoEvents;
    p.ui.onDoEvents = [&](int) {
        atDoEvents.push_back(ui.form.aboutItemCaption() + "|" + ui.form.caption());
    };
    form.Form_Load();
    // StartUp had named the About item before the list was read; the caption came last.
    ASSERT_FALSE(atDoEvents.empty());
    EXPECT_EQ(atDoEvents.front(), "About Zorvane|Zorvane");
    EXPECT_EQ(ui.form.caption(), "Zorvane 1.03");
    ASSERT_EQ(ui.list.rows.size(), 2u);  // the Microsoft one is left out
    EXPECT_EQ(ui.list.rows[0].text, "Adapter 0000");
    EXPECT_EQ(ui.list.rows[1].text, "Adapter 0002");
    EXPECT_TRUE(p.reports().empty());
}

class FailingForm : public fakes::FakeForm {
public:
    void setCaption(const std::string&) override { throw RuntimeError(kErrOutOfMemory, "Out of memory"); }
    void setAboutItemCaption(const std::string& c) override {
        if (failAboutItem) throw RuntimeError(kErrInvalidCall, "Invalid procedure call or argument");
        FakeForm::setAboutItemCaption(c);
    }
    void unload() override {
        FakeForm::unload();
        throw RuntimeError(kErrInvalidCall, "Invalid procedure call or argument");
    }
    bool failAboutItem = false;
};

TEST_F(FrmMainTest, FailureInTheCaptionStepIsReportedAndTheCaptionStays) {
    FailingForm failing;
    MainControls controls{failing, ui.list, ui.check, ui.bar, ui.status};
    frmMain form(p.env, controls);
    form.Form_Load();
    ASSERT_EQ(p.reports().size(), 1u);
    EXPECT_NE(p.reports()[0].text.find("Error Line: 315."), std::string::npos);
    EXPECT_EQ(failing.caption(), "Zorvane");
    EXPECT_EQ(ui.list.rows.size(), 2u);
}

TEST_F(FrmMainTest, FailureInsideStartUpIsReportedThereAndLoadGoesOn) {
    FailingForm failing;
    failing.failAboutItem = true;
    MainControls controls{failing, ui.list, ui.check, ui.bar, ui.status};
    frmMain form(p.env, controls);
    form.Form_Load();
    ASSERT_GE(p.reports().size(), 1u);
    EXPECT_NE(p.reports()[0].text.find("Error Line: 572."), std::string::npos);
    EXPECT_EQ(ui.list.rows.size(), 2u);  // ReadDrivers still ran
}

TEST_F(FrmMainTest, EveryWayOfClosingEndsTheProgramAtOnce) {
    struct Case {
        const char* name;
        void (*close)(frmMain&);
        const char* line;
    };
    const Case cases[] = {
        {"close box",
         [](frmMain& f) {
             int cancel = 0;
             f.Form_QueryUnload(cancel, 0);
         },
         "Error Line: 318."},
        {"unload",
         [](frmMain& f) {
             int cancel = 0;
             f.Form_Unload(cancel);
         },
         "Error Line: 319."},
        {"File, Exit", [](frmMain& f) { f.mnuExit_Click(); }, "Error Line: 322."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::FakeControls local;
        frmMain form(p.env, local.controls);
        bool ended = false;
        try {
            c.close(form);
        } catch (const ProgramExit& e) {
            ended = true;
            EXPECT_EQ(e.code, 0u);
        }
        EXPECT_TRUE(ended);
        EXPECT_EQ(local.form.unloads, 1);
        EXPECT_TRUE(p.ui.shown.empty());  // no question asked

        // Even an unload that fails does not keep the program running.
        FailingForm failing;
        MainControls controls{failing, local.list, local.check, local.bar, local.status};
        frmMain failingForm(p.env, controls);
        EXPECT_THROW(c.close(failingForm), ProgramExit);
        ASSERT_EQ(p.reports().size(), 1u);
        EXPECT_NE(p.reports()[0].text.find(c.line), std::string::npos);
        p.ui.shown.clear();
    }
}

TEST_F(FrmMainTest, QueryUnloadLeavesCancelUnset) {
    frmMain form(p.env, ui.controls);
    int cancel = 0;
    EXPECT_THROW(form.Form_QueryUnload(cancel, 1), ProgramExit);
    EXPECT_EQ(cancel, 0);
}

TEST_F(FrmMainTest, AboutAndBackupMenuItemsForward) {
    frmMain form(p.env, ui.controls);
    form.mnuAboutZorvane_Click();
    EXPECT_EQ(ui.form.aboutShown, 1);
    int runs = 0;
    form.setBackupRun([&](Env&, MainControls&) { ++runs; });
    form.mnuBackup_Click();
    form.cmdBackup_Click();
    EXPECT_EQ(runs, 2);
}

// The backup run lets messages through; commands that arrive meanwhile must not
// start a second run or rebuild the list it walks, but may change ticks. A click on
// the check box takes effect once the run is over.
TEST_F(FrmMainTest, CommandsDuringABackupRunDoNotRebuildOrRestart) {
    frmMain form(p.env, ui.controls);
    form.Form_Load();
    ASSERT_EQ(ui.list.rows.size(), 2u);
    ui.list.rows[0].checked = true;

    int runs = 0;
    form.setBackupRun([&](Env& env, MainControls&) {
        ++runs;
        env.os.ui.DoEvents();
        // Still the list the run started with, its ticks inverted.
        ASSERT_EQ(ui.list.rows.size(), 2u);
        EXPECT_FALSE(ui.list.rows[0].checked);
        EXPECT_TRUE(ui.list.rows[1].checked);
    });
    p.ui.onDoEvents = [&](int) {
        if (!form.runInProgress()) return;  // the list read after the run pumps messages too
        ui.check.ticked = 1;
        form.chkMicrosoft_Click();
        form.cmdBackup_Click();
        form.mnuBackup_Click();
        form.cmdInvert_Click();
    };
    form.cmdBackup_Click();
    p.ui.onDoEvents = nullptr;

    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(form.runInProgress());
    // The box was ticked during the run: the list now matches it, read afresh.
    ASSERT_EQ(ui.list.rows.size(), 3u);
    for (const auto& row : ui.list.rows) EXPECT_FALSE(row.checked);
}

TEST_F(FrmMainTest, TwoClicksOnTheBoxDuringARunLeaveTheListAsItWas) {
    frmMain form(p.env, ui.controls);
    form.Form_Load();
    ui.list.rows[1].checked = true;
    form.setBackupRun([&](Env& env, MainControls&) { env.os.ui.DoEvents(); });
    p.ui.onDoEvents = [&](int) {
        if (!form.runInProgress()) return;
        form.chkMicrosoft_Click();
        form.chkMicrosoft_Click();
    };
    form.cmdBackup_Click();
    p.ui.onDoEvents = nullptr;
    ASSERT_EQ(ui.list.rows.size(), 2u);
    EXPECT_TRUE(ui.list.rows[1].checked);  // not read again: the ticks stay
}

TEST_F(FrmMainTest, ARunThatEndsTheProgramOrFailsLeavesNoBusyFlagBehind) {
    frmMain form(p.env, ui.controls);
    form.setBackupRun([](Env&, MainControls&) { throw RuntimeError(kErrPathNotFound, "Path not found"); });
    EXPECT_THROW(form.cmdBackup_Click(), RuntimeError);
    EXPECT_FALSE(form.runInProgress());
}

}  // namespace
}  // namespace zv
