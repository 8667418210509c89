#pragma once
// The user-interface thread's one message pump: the main loop, the pending-message
// processing inside long runs, and the waits for blocking calls on a worker.
#include <windows.h>

namespace zv::win32 {

// Gives the windows their keyboard handling (dialog navigation, accelerators) ahead
// of dispatch; true when the message was handled and must not be dispatched.
using MessageFilter = bool (*)(MSG& msg, void* context);
// The windows set it once they exist; without one every message is dispatched.
void SetMessageFilter(MessageFilter filter, void* context) noexcept;

// Processes the pending messages, then returns. A WM_QUIT found there is posted again
// for the main loop and ends the processing: false then.
bool DispatchPending();

// Waits for the event while processing messages; false when the timeout (ms, or
// INFINITE) passed first. After a WM_QUIT it only waits, and the quit is left for
// the main loop.
[[nodiscard]] bool WaitDispatching(HANDLE event, DWORD timeoutMs);

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace zv::win32
