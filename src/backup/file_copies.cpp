#include "backup/file_copies.h"

#include "backup/backup_files.h"
#include "support/paths.h"
#include "support/signature_head.h"
#include "support/text.h"

namespace zv::backup {
namespace {

constexpr std::size_t kShortPathLimit = 248;

}  // namespace

std::size_t HeadBytesFor(const std::string& target) {
    return EndsWithNoCase(target, ".inf") ? std::size_t{64} << 10 : kSignatureHeadBytes;
}

std::string LongPath(const std::string& path) {
    const bool full = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    return full && path.size() >= kShortPathLimit ? "\\\\?\\" + path : path;
}

RunCopies::RunCopies(Env& env, IStatusBar& status, RememberedProfile* profile, RememberedFolders* folders)
    : m_env(env),
      m_status(status),
      m_profile(profile),
      m_folders(folders),
      m_lastPump(std::chrono::steady_clock::now()) {}

CopyResult RunCopies::copy(const std::string& from, const std::string& to, CopyKind kind) {
    const std::string key = ToLower(to);
    if (const auto it = m_made.find(key); it != m_made.end() && it->second.source == ToLower(from))
        return it->second.result;

    if (m_profile) m_profile->written(to);
    if (m_folders) m_folders->written(to);
    const std::string source = kind == CopyKind::Addition ? LongPath(from) : from;
    const std::string target = kind == CopyKind::Addition ? LongPath(to) : to;
    IFileSystem& files = m_env.os.files;
    std::uint64_t size = 0;
    bool sized = false;
    // Only the window needs the size ahead: it decides whether the copy runs off its thread.
    const bool window = m_env.os.ui.HasWindow();
    {
        RedirectionOff off(files);
        sized = window && files.GetFileSize(source, &size);
        if (kind == CopyKind::Addition) {
            // CopyFile refuses to replace a read-only or hidden file, and an earlier run's copy
            // of a read-only package file is read-only itself.
            const Dword a = files.GetFileAttributes(target);
            constexpr Dword kBlocking = kFileAttributeReadonly | kFileAttributeHidden;
            if (a != kInvalidFileAttributes && !(a & kFileAttributeDirectory) && (a & kBlocking))
                (void)files.SetFileAttributes(target, a & ~kBlocking);
        }
    }

    CopyResult result;
    const auto now = std::chrono::steady_clock::now();
    if (window && ((sized && size >= kOffThreadBytes) || now - m_lastPump >= kHoldLimit)) {
        const bool named = kind == CopyKind::Addition && sized && size >= kNamedBytes;
        std::string before;
        if (named) {
            before = m_status.simpleText();
            m_status.setSimpleText("Copying " + NameOf(to) + "...");
        }
        m_env.os.ui.RunOffThread([&] { result = copyOnce(source, target); });
        if (named) m_status.setSimpleText(before);
        m_lastPump = std::chrono::steady_clock::now();
    } else {
        result = copyOnce(source, target);
    }
    // What was asked of the target's folder while the copy was prepared is out of date now.
    if (m_profile) m_profile->written(to);
    if (m_folders) m_folders->written(to);
    if (result.ok)
        m_made[key] = Made{ToLower(from), CopyResult{true, 0, result.size, result.sha256, {}, true}};
    else
        m_made.erase(key);  // what the target holds now is not known
    return result;
}

// Runs on whichever thread copies: WOW64 redirection is a setting of the thread.
CopyResult RunCopies::copyOnce(const std::string& from, const std::string& to) {
    CopyResult r;
    RedirectionOff off(m_env.os.files);
    r.ok = m_env.os.data.CopyFileHashed(from, to, &r.size, &r.sha256, &r.head, HeadBytesFor(to));
    if (!r.ok) r.error = m_env.os.data.GetLastError();
    return r;
}

}  // namespace zv::backup
