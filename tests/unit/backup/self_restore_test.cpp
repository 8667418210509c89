#include "backup/self_restore.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

// A second backup into the same folder, from the stick's own copy say, rewrites nothing;
// a newer program or a changed script is written again.
TEST(SelfRestore, WritesTheProgramAndTheScriptOnlyWhenWhatIsThereDiffers) {
    fakes::FakePlatform p;
    p.files.addDrive('D');
    p.files.addFolder("D:\\Zorvane");
    const std::string program = "D:\\Zorvane\\Zorvane.exe", script = "D:\\Zorvane\\Restore drivers.cmd";
    const auto writes = [&] {
        int n = 0;
        for (const auto& l : p.files.log)
            for (const char* call : {"CopyFile ", "OpenForWrite ", "DeleteFile "}) n += l.rfind(call, 0) == 0;
        return n;
    };
    ASSERT_TRUE(backup::WriteSelfRestore(p.env, "D:\\Zorvane").ok);
    EXPECT_EQ(p.files.contents(program), "MZ the program");
    EXPECT_EQ(p.files.contents(script), backup::RestoreScriptText());

    p.files.log.clear();
    ASSERT_TRUE(backup::WriteSelfRestore(p.env, "D:\\Zorvane").ok);
    EXPECT_EQ(writes(), 0);

    p.files.addFile(p.system.programPath, "MZ the new program");
    p.files.addFile(script, backup::RestoreScriptText() + "rem a longer, older script\r\n");
    ASSERT_TRUE(backup::WriteSelfRestore(p.env, "D:\\Zorvane").ok);
    EXPECT_EQ(p.files.contents(program), "MZ the new program");
    EXPECT_EQ(p.files.contents(script), backup::RestoreScriptText());

    p.files.addFile(p.system.programPath, "MZ a third program");
    p.files.failOn("CopyFile", program, kErrorAccessDenied);
    const backup::SelfRestore denied = backup::WriteSelfRestore(p.env, "D:\\Zorvane");
    EXPECT_FALSE(denied.ok);
    EXPECT_EQ(denied.failed.rfind("Zorvane.exe: ", 0), 0u) << denied.failed;

    // A run that backed up nothing made no folder: nothing is written, nothing is wrong.
    EXPECT_TRUE(backup::WriteSelfRestore(p.env, "D:\\Gone").ok);
    EXPECT_FALSE(p.files.exists("D:\\Gone"));
}

}  // namespace
}  // namespace zv
