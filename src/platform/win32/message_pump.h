#pragma once
// The user-interface thread's one message pump: the main loop, the pending-message
// processing inside long runs, and the waits for blocking calls on a worker.
#include <windows.h>

#include <functional>

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

// Runs work on a worker thread while this thread processes its messages, and waits up
// to timeoutMs (INFINITE: until work has ended). What work throws is thrown again here.
// False when the time ran out first: the worker is then left to finish on its own, so
// work given a timeout must own everything it touches. When no worker can be started,
// work runs right here. A message handler that throws (a test's program exit) leaves
// through here too, after an unbounded work has ended.
bool RunDispatching(std::function<void()> work, DWORD timeoutMs);

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace zv::win32
