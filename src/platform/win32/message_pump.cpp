#include "platform/win32/message_pump.h"

namespace zv::win32 {
namespace {

MessageFilter g_filter = nullptr;
void* g_context = nullptr;

void Deliver(MSG& msg) {
    if (g_filter && g_filter(msg, g_context)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

}  // namespace

void SetMessageFilter(MessageFilter filter, void* context) noexcept {
    g_filter = filter;
    g_context = context;
}

bool DispatchPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to act on: left for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        Deliver(msg);
    }
    return true;
}

bool WaitDispatching(HANDLE event, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    bool quit = false;
    for (;;) {
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD elapsed = GetTickCount() - start;
            remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
        }
        // Once a quit is posted the queue reports it at every wait: only the event counts then.
        const DWORD r = quit ? WaitForSingleObject(event, remaining)
                             : MsgWaitForMultipleObjects(1, &event, FALSE, remaining, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        if (quit || r != WAIT_OBJECT_0 + 1) return false;
        quit = !DispatchPending();
    }
}

int RunMessageLoop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        Deliver(msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace zv::win32
