#include "app/frmMain.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"

namespace zv {
namespace {

// The backup and the restore both set the bar and the status text and both let
// messages through: neither may start from inside the other.
TEST(FrmMainRestore, BackupAndRestoreNeverRunAtOnce) {
    fakes::FakePlatform p;
    fakes::FakeControls c;
    frmMain form(p.env, c.controls);
    int backups = 0, restores = 0;
    bool inner = false;
    form.setBackupRun([&](Env& env, MainControls&) {
        ++backups;
        env.os.ui.DoEvents();
    });
    form.setRestoreRun([&](Env& env, MainControls&) {
        ++restores;
        env.os.ui.DoEvents();
    });
    p.ui.onDoEvents = [&](int) {
        if (inner) return;
        inner = true;
        form.mnuRestore_Click();
        form.cmdBackup_Click();
        inner = false;
    };
    form.mnuRestore_Click();
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(backups, 0);
    form.cmdBackup_Click();
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(backups, 1);
    EXPECT_FALSE(form.runInProgress());
}

// Closing while Windows' installer works on a driver would cut it off: the program ends
// once the restore has stopped after that driver, and the status bar says it will.
TEST(FrmMainRestore, ClosingDuringARestoreEndsTheProgramAfterTheDriverAtHand) {
    fakes::FakePlatform p;
    fakes::FakeControls c;
    frmMain form(p.env, c.controls);
    std::vector<std::string> events;
    form.setRestoreRun([&](Env& env, MainControls&) {
        for (int driver = 1; driver <= 3; ++driver) {
            events.push_back("driver " + std::to_string(driver));
            env.os.ui.DoEvents();  // the installer's call runs while the window pumps
            if (form.closeRequested()) return;
        }
    });
    p.ui.onDoEvents = [&](int) {
        if (events.size() != 1) return;
        int cancel = 0;
        form.Form_QueryUnload(cancel, 0);
        events.push_back("closed, status: " + c.status.text);
        form.mnuExit_Click();
    };
    try {
        form.mnuRestore_Click();
        ADD_FAILURE() << "the program did not end";
    } catch (const ProgramExit& e) {
        EXPECT_EQ(e.code, 0u);
    }
    EXPECT_EQ(events, (std::vector<std::string>{
                          "driver 1", "closed, status: Closing once the driver being installed is done..."}));
}

TEST(FrmMainRestore, WithoutARestoreRunTheMenuDoesNothing) {
    fakes::FakePlatform p;
    fakes::FakeControls c;
    frmMain form(p.env, c.controls);
    form.mnuRestore_Click();
    EXPECT_TRUE(p.ui.shown.empty());
}

}  // namespace
}  // namespace zv
