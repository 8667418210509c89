#pragma once
// The About box: modeless, no owner, only one at a time.
#include <windows.h>

#include "support/env.h"

namespace zv::win32 {

// Shows the box, or brings the open one to the front.
void ShowAbout(Env& env, HICON icon);
// The open box's window, or null.
HWND AboutWindow();

}  // namespace zv::win32
