#include "platform/win32/message_pump.h"

#include <exception>
#include <memory>

#include "platform/win32/unique.h"

namespace zv::win32 {
namespace {

// One piece of work off the thread, shared by the waiting thread and the worker:
// whichever lets go last frees it.
struct OffThreadJob {
    std::function<void()> work;
    UniqueHandle done;
    std::exception_ptr failure;
};

DWORD WINAPI RunJob(LPVOID param) {
    // The worker's own reference, handed over by the thread's creator.
    const std::unique_ptr<std::shared_ptr<OffThreadJob>> job(
        static_cast<std::shared_ptr<OffThreadJob>*>(param));
    try {
        (*job)->work();
    } catch (...) {
        (*job)->failure = std::current_exception();
    }
    ::SetEvent((*job)->done.get());
    return 0;
}

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

bool RunDispatching(std::function<void()> work, DWORD timeoutMs) {
    auto job = std::make_shared<OffThreadJob>();
    job->work = std::move(work);
    job->done.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto workerRef = std::make_unique<std::shared_ptr<OffThreadJob>>(job);
    UniqueHandle thread;
    if (job->done) thread.reset(::CreateThread(nullptr, 0, RunJob, workerRef.get(), 0, nullptr));
    if (!thread) {
        // No worker: the work still gets done, only without the pump.
        job->work();
        return true;
    }
    (void)workerRef.release();  // the worker's now
    bool finished = false;
    try {
        finished = WaitDispatching(job->done.get(), timeoutMs);
    } catch (...) {
        // Unbounded work may use the caller's frame, which the unwinding is about to end.
        if (timeoutMs == INFINITE) ::WaitForSingleObject(job->done.get(), INFINITE);
        throw;
    }
    if (!finished) return false;
    if (job->failure) std::rethrow_exception(job->failure);
    return true;
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
