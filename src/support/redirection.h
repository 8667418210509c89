#pragma once
// WOW64 file-system redirection turned off for one call.
#include <cstdint>

#include "platform/filesystem.h"

namespace zv {

// A 32-bit process on 64-bit Windows is redirected from system32 to SysWOW64 and would
// not see the installed 64-bit driver files. Redirection is off only for the one call
// inside the scope: the run also pumps messages, and a window handler that loads a DLL
// with redirection off would load the wrong one. On 32-bit Windows this does nothing.
class RedirectionOff {
public:
    explicit RedirectionOff(IFileSystem& files) : m_files(files), m_off(files.DisableFsRedirection(&m_old)) {}
    ~RedirectionOff() {
        if (m_off) (void)m_files.RevertFsRedirection(m_old);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

private:
    IFileSystem& m_files;
    std::uintptr_t m_old = 0;
    bool m_off;
};

}  // namespace zv
