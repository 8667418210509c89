// The program entry: the Win32 application runs the main window.
#include "platform/win32/application.h"

int main() { return zv::win32::RunApplication(); }
