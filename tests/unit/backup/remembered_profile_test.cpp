#include "backup/remembered_profile.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace zv {
namespace {

// The kept answers are those of the call itself, buffer limit and all, and a write to a
// file that may be the one read makes the next read go to the file again.
TEST(RememberedProfileTest, GivesTheCallsOwnAnswerUntilTheFileIsWritten) {
    fakes::FakePlatform p;
    p.files.addDrive('D');
    const std::string inf = "D:\\drv\\oem1.inf";
    p.files.addFile(inf, "[V]\r\nK=abcdefgh\r\n");
    backup::RememberedProfile profile(p.profile);
    const auto read = [&](Dword size, const std::string& file) {
        std::string direct(16, 'x'), kept(16, 'x');
        const Dword n = p.profile.GetPrivateProfileString("V", "k", "dflt", direct.data(), size, file);
        EXPECT_EQ(profile.GetPrivateProfileString("V", "k", "dflt", kept.data(), size, file), n);
        EXPECT_EQ(kept, direct) << size;
        return kept.substr(0, n);
    };
    for (const Dword size : {Dword{16}, Dword{5}, Dword{1}, Dword{16}}) read(size, inf);

    // Changed behind its back: the kept answer stays, until a write that names the file.
    p.files.addFile(inf, "[V]\r\nK=new\r\n");
    std::string buffer(16, '\0');
    EXPECT_EQ(profile.GetPrivateProfileString("V", "k", "dflt", buffer.data(), 16, inf), 8u);
    struct Write {
        std::string path;
        bool forgets;
    } writes[] = {
        {"D:\\drv\\oem1.sys", false},
        {"D:\\other\\OEM1.INF. ", true},  // the name Windows gives it: the same file
        {"D:\\drv\\OEM1~1.INF", true},    // a short alias may be any file
    };
    for (const Write& w : writes) {
        (void)profile.GetPrivateProfileString("V", "k", "dflt", buffer.data(), 16, inf);
        p.files.addFile(inf, "[V]\r\nK=" + w.path + "\r\n");
        profile.written(w.path);
        const Dword n = profile.GetPrivateProfileString("V", "k", "dflt", buffer.data(), 16, inf);
        EXPECT_EQ(buffer.substr(0, n) == std::string(w.path).substr(0, 15), w.forgets) << w.path;
    }
}

}  // namespace
}  // namespace zv
