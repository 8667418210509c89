#pragma once
// Message boxes and the message pump.
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
};

}  // namespace zv
