#include "app/frmMain.h"

#include <gtest/gtest.h>

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
    EXPECT_FALSE(form.backupInProgress());
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
