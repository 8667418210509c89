#include "platform/win32/about_window.h"

namespace zv::win32 {

void ShowAbout(Env&, HICON) {}
HWND AboutWindow() { return nullptr; }

}  // namespace zv::win32
