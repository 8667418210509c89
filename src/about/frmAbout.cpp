#include "about/frmAbout.h"

#include "support/guard.h"
#include "support/registry_key.h"
#include "support/vbrt.h"

namespace zv {
namespace {

// The character at a 1-based position; a position outside the text is an invalid argument,
// which is what a value stored with size 0 runs into.
char CharAt(const std::string& text, Dword position) {
    if (position < 1 || position > text.size()) Raise(kErrInvalidCall);
    return text[position - 1];
}

// A file that a plain directory listing would show: not a folder, not hidden, not a system file.
// Unlike the backup's look-ups, this one leaves WOW64 redirection as it is.
bool FileExists(IFileSystem& files, const std::string& path) {
    return IsVisibleFile(files.GetFileAttributes(path));
}

}  // namespace

std::string AboutVisitText() {
    return std::string("Please visit ") + kMakerWebAddress + " for updates and other applications.";
}

void frmAbout::cmdSysInfo_Click() {
    // clang-format off
    Guard(m_env, [&](int& erl) {
        LN(658) StartSysInfo();
    });
    // clang-format on
}

void frmAbout::cmdOK_Click() {
    // clang-format off
    Guard(m_env, [&](int& erl) {
        LN(659) m_view.close();
    });
    // clang-format on
}

void frmAbout::Form_Load() {
    Guard(m_env, [&](int& erl) {
        LN(660) m_view.setIcon(m_mainIcon);
        LN(661) m_view.setCaption("About " + m_env.app.Appname);
        LN(662) m_view.setTitle(m_env.app.Appname);
        LN(663) m_view.setVersion(m_env.app.CurrentVersion);
    });
}

void frmAbout::StartSysInfo() {
    // No line numbers and no error report here: whatever goes wrong, the user is told that
    // System Information cannot be started.
    try {
        std::string SysInfoPath;
        if (!GetKeyValue(kHkeyLocalMachine, kSysInfoKey, "PATH", SysInfoPath)) {
            if (!GetKeyValue(kHkeyLocalMachine, kSysInfoLocationKey, "MSINFO", SysInfoPath)) {
                m_env.os.ui.MessageBox(kSysInfoUnavailable, kProgramTitle, kMbOk);
                return;
            }
            SysInfoPath += "\\MSINFO32.EXE";
            if (!FileExists(m_env.os.files, SysInfoPath)) {
                m_env.os.ui.MessageBox(kSysInfoUnavailable, kProgramTitle, kMbOk);
                return;
            }
        }
        // The path of the first key is taken as it stands; a path that names nothing startable
        // fails here.
        Dword error = 0;
        if (!m_env.os.system.StartProgram(SysInfoPath, kSwShowNormal, &error))
            RaiseWin32(m_env.os.system, error);
    } catch (...) {
        (void)CurrentFailure();
        m_env.os.ui.MessageBox(kSysInfoUnavailable, kProgramTitle, kMbOk);
    }
}

bool frmAbout::GetKeyValue(Hkey KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                           std::string& KeyVal) {
    bool result = false;
    IRegistry& registry = m_env.os.registry;
    OpenedKey hKey = NoKeyOf(registry);
    Guard(m_env, [&](int& erl) {
        LN(664) Long rc = registry.OpenKeyEx(KeyRoot, KeyName, 0, kAboutKeyAccess, hKey.put());
        LN(665) if (rc == kErrorSuccess) {
            LN(666) std::string tmpVal(kKeyValueBuffer, '\0');
            LN(667) Dword KeyValSize = kKeyValueBuffer;
            LN(668) Dword KeyValType = kRegNone;
            LN(669)
            rc = registry.QueryValueEx(hKey.get(), SubKeyRef, &KeyValType,
                                       reinterpret_cast<std::uint8_t*>(tmpVal.data()), &KeyValSize);
            LN(670) if (rc == kErrorSuccess) {
                // Drops the NUL a string normally carries, and keeps a string stored without one.
                LN(671) const char last = CharAt(tmpVal, KeyValSize);
                LN(672) if (last == '\0') {
                    LN(673) tmpVal.resize(KeyValSize - 1);
                }
                else {
                    LN(674) tmpVal.resize(KeyValSize);
                }
                LN(675) switch (KeyValType) {
                    case kRegSz: LN(676) KeyVal = tmpVal; LN(677) break;
                    case kRegDword: LN(678) KeyVal = DwordText(tmpVal); LN(679) break;
                    default: break;
                }
                LN(680) result = true;
                LN(681) hKey.reset();
                LN(682) return;
            }
        }
        LN(683) KeyVal.clear();
        LN(684) result = false;
        LN(685) hKey.reset();
    });
    return result;
}

}  // namespace zv
