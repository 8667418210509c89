#include "backup/self_restore.h"

#include <cstdint>

#include "backup/backup_files.h"
#include "support/file_writer.h"
#include "support/text.h"

namespace zv::backup {
namespace {

constexpr std::uint64_t kScriptLimit = 1u << 20;

std::string ErrorOf(Env& env, Dword error) {
    const std::string text = env.os.system.ErrorText(error);
    return text.empty() ? "error " + std::to_string(error) : text;
}

bool SameFile(Env& env, const std::string& a, const std::string& b) {
    std::uint64_t sizeA = 0, sizeB = 0;
    std::string hashA, hashB;
    return env.os.files.GetFileSize(a, &sizeA) && env.os.files.GetFileSize(b, &sizeB) && sizeA == sizeB &&
           env.os.data.Sha256File(a, &hashA) && env.os.data.Sha256File(b, &hashB) && hashA == hashB;
}

}  // namespace

std::string RestoreScriptText() {
    // Elevation: an administrator's prompt runs at once; otherwise the script starts itself
    // again through PowerShell's "run as administrator" (Windows 7 on). Where that cannot
    // happen (Windows XP) the program's manifest asks as it starts. /elevated stops a loop
    // where the check cannot tell.
    return "@echo off\r\n"
           "rem Puts the drivers of this backup back on this Windows. Double-click it.\r\n"
           "setlocal\r\n"
           "if \"%~1\"==\"/elevated\" goto run\r\n"
           "net session >nul 2>&1 && goto run\r\n"
           "echo Asking Windows for administrator rights...\r\n"
           "powershell -NoProfile -Command \"Start-Process -FilePath $env:ComSpec -ArgumentList "
           "'/c \\\"\\\"%~f0\\\" /elevated\\\"' -Verb RunAs\" >nul 2>&1 && exit /b 0\r\n"
           ":run\r\n"
           "cd /d \"%~dp0\"\r\n"
           "echo " +
           std::string(kProductName) +
           " puts the drivers of this backup back: it adds them to the Windows driver\r\n"
           "echo store and installs them on the devices present now.\r\n"
           "echo.\r\n"
           "echo Agreement: " +
           kAgreementLine1 + "\r\necho " + kAgreementLine2 +
           "\r\n"
           "echo.\r\n"
           "echo Press a key to accept and restore, or close this window to stop.\r\n"
           "pause >nul\r\n"
           "\"%~dp0" +
           kProgramFileName +
           "\" /accept /restore \"%~dp0.\"\r\n"
           "set rc=%errorlevel%\r\n"
           "echo.\r\n"
           "if %rc%==0 echo Done: the drivers are back. restore-report.csv in this folder lists them.\r\n"
           "if %rc%==3010 echo Done. Restart Windows to finish the installation.\r\n"
           "if %rc%==1 echo Some drivers were not put back: restore-report.csv in this folder says why.\r\n"
           "if %rc%==2 echo The restore could not start: see the message above.\r\n"
           "if %rc%==3 echo Nothing was restored: see the message above.\r\n"
           "echo.\r\n"
           "pause\r\n"
           "exit /b %rc%\r\n";
}

SelfRestore WriteSelfRestore(Env& env, const std::string& root) {
    SelfRestore r;
    const auto fail = [&](const std::string& name, const std::string& why) {
        if (r.ok) r.failed = name + ": " + why;
        r.ok = false;
    };
    try {
        RedirectionOff off(env.os.files);
        // A run that backed up no driver made no backup folder to complete.
        const Dword a = env.os.files.GetFileAttributes(root);
        if (a == kInvalidFileAttributes || !(a & kFileAttributeDirectory)) return r;
        const std::string program = env.os.system.ProgramPath();
        const std::string copy = root + "\\" + kProgramCopyName;
        if (program.empty()) {
            fail(kProgramCopyName, "the program's own path is not known");
        } else if (!EqualsNoCase(program, copy) && !SameFile(env, program, copy)) {
            // Started from this very copy (a second backup from the stick): nothing to do.
            // The hashed copy removes a target it could not write to its end (a full disk);
            // Wine's CopyFileA leaves the part it wrote under the program's name.
            std::uint64_t size = 0;
            std::string sha256;
            if (!env.os.data.CopyFileHashed(program, copy, &size, &sha256, nullptr, 0))
                fail(kProgramCopyName, ErrorOf(env, env.os.data.GetLastError()));
        }
        const std::string script = root + "\\" + kRestoreScriptName;
        const std::string text = RestoreScriptText();
        std::string there;
        if (!env.os.data.ReadWholeFile(script, kScriptLimit, &there) || there != text) {
            if (const Dword error = WriteWholeFile(env.os.files, script, text); error != 0)
                fail(kRestoreScriptName, ErrorOf(env, error));
        }
    } catch (...) {
        fail(kRestoreScriptName, "it could not be written");
    }
    return r;
}

}  // namespace zv::backup
