// The real folder browser of the shell seam, answered from a second thread the way
// a user would: Cancel gives nothing, OK gives the chosen folder's own path.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "platform/win32/factories.h"

namespace zv {
namespace {

constexpr const char* kPrompt = "Select the folder where it will be Backup done.";

// Waits for the browser dialog, checks its prompt, and clicks the button. The shell and
// the window's DLLs load with the first browser, which on a busy machine has taken over a
// minute in a new Wine session. A click that comes while the dialog is still being set up
// can be lost, so it clicks once the dialog is shown and again while it stays.
void Answer(int button, std::atomic<bool>* promptSeen) {
    bool clicked = false;
    for (int i = 0; i < 4000; ++i) {
        HWND dialog = ::FindWindowA("#32770", "Browse for Folder");
        if (!dialog && clicked) return;
        if (dialog && ::IsWindowVisible(dialog)) {
            char text[256] = {};
            ::GetDlgItemTextA(dialog, 14146, text, sizeof text);
            if (std::string(text) == kPrompt) *promptSeen = true;
            ::SendMessageA(::GetDlgItem(dialog, button), BM_CLICK, 0, 0);
            clicked = true;
        }
        ::Sleep(50);
    }
}

TEST(BackupBrowser, CancelGivesNothingAndOkGivesTheFolderPath) {
    const auto shell = win32::MakeShell();
    for (const int button : {IDCANCEL, IDOK}) {
        std::atomic<bool> promptSeen{false};
        std::thread user(Answer, button, &promptSeen);
        const std::optional<std::string> folder =
            shell->BrowseForFolder(kNoWindow, kPrompt, kBifReturnOnlyFsDirs);
        user.join();
        EXPECT_TRUE(promptSeen) << button;
        if (button == IDCANCEL) {
            EXPECT_FALSE(folder);
        } else {
            // Nothing selected: the dialog's first folder, the desktop, a real file-system folder.
            ASSERT_TRUE(folder);
            EXPECT_EQ(folder->substr(1, 2), ":\\") << *folder;
            const DWORD a = ::GetFileAttributesA(folder->c_str());
            EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) << *folder;
        }
    }
}

}  // namespace
}  // namespace zv
