#pragma once
// The About box: modeless, not owned by the main window, only one at a time.
#include <windows.h>

#include "support/env.h"

namespace zv::win32 {

// Control ids of the box. cmdOK is IDOK, so Enter and Esc both reach it.
enum AboutControlId : int {
    kIdAboutOk = IDOK,
    kIdAboutIcon = 1001,
    kIdAboutSysInfo = 1002,
    kIdAboutDescription = 1003,
    kIdAboutDisclaimer = 1004,
    kIdAboutTitle = 1005,
    kIdAboutVersion = 1006,
    kIdAboutVisit = 1007,
};

// Shows the box, or brings the open one to the front.
void ShowAbout(Env& env, HICON icon);
// The open box's window, or null.
HWND AboutWindow();

}  // namespace zv::win32
