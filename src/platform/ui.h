#pragma once
// Message boxes and the message pump.
#include <functional>
#include <string>

#include "platform/types.h"

namespace zv {

class IUi {
public:
    virtual ~IUi() = default;
    // Application-modal message box; returns the answer (kIdYes, kIdNo, kIdCancel, kIdOk).
    virtual int MessageBox(const std::string& text, const std::string& title, Dword style) = 0;
    // Processes the pending window messages once, then returns.
    virtual void DoEvents() = 0;
    // Runs work on a worker thread while this thread keeps processing window messages;
    // returns when work has ended and rethrows here what it threw. Without a window the
    // work runs right here. The work must not touch windows or controls: it may only
    // post what it has to show.
    virtual void RunOffThread(const std::function<void()>& work) = 0;
    // Whether there is a window to keep answering: false where RunOffThread runs the work
    // right here, so a run need not ask anything to decide where its work runs.
    [[nodiscard]] virtual bool HasWindow() const = 0;
};

}  // namespace zv
