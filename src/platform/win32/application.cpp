#include "platform/win32/application.h"

#include <windows.h>

namespace zv::win32 {

int RunApplication() {
    MessageBoxA(nullptr, "Zorvane", "Zorvane", MB_OK);
    return 0;
}

}  // namespace zv::win32
