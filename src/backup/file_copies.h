#pragma once
// The copies of one backup run. Each copy reads its source once: the bytes are written
// and hashed in the same pass. A copy this run already made from the same source to the
// same target, with nothing written there since, is not made again. Large copies, and
// any copy once the window has waited long enough, run off the window's thread while it
// keeps processing messages.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "backup/remembered_folders.h"
#include "backup/remembered_profile.h"
#include "support/env.h"
#include "ui/controls.h"

namespace zv::backup {

struct CopyResult {
    bool ok = false;
    Dword error = 0;  // the Windows error of a failed copy
    std::uint64_t size = 0;
    std::string sha256;
    // The first HeadBytesFor(target) bytes written; empty when the copy was not made again.
    std::string head;
    // Not made again: the target holds what the run's earlier copy from the same source wrote.
    bool reused = false;
};

// What a copy keeps of the bytes it wrote: an INF whole up to 64 KB, so that the run parses
// it without reading it back, and of any other file as much as tells whether it can hold a
// signature. Kept small, as the heap of the process pays for every larger block.
[[nodiscard]] std::size_t HeadBytesFor(const std::string& target);

// How a copy treats its target.
enum class CopyKind {
    Numbered,  // the run's own steps: the path as given; a failure is theirs to raise
    Addition,  // beyond them: long paths through "\\?\", a read-only copy of an earlier run replaced
};

class RunCopies {
public:
    // status names the file while a large addition copies; it gets its text back after.
    // profile and folders, when given, learn of every file written, before it is.
    RunCopies(Env& env, IStatusBar& status, RememberedProfile* profile = nullptr,
              RememberedFolders* folders = nullptr);

    // Copies from to `to`, replacing it.
    CopyResult copy(const std::string& from, const std::string& to, CopyKind kind);

    // The window's thread may be held this long between two chances to process messages.
    static constexpr std::chrono::milliseconds kHoldLimit{50};
    // A copy of this size or more always runs off the window's thread.
    static constexpr std::uint64_t kOffThreadBytes = 1u << 20;
    // An addition of this size or more is named in the status bar while it copies.
    static constexpr std::uint64_t kNamedBytes = 8u << 20;

private:
    CopyResult copyOnce(const std::string& from, const std::string& to);

    Env& m_env;
    IStatusBar& m_status;
    RememberedProfile* m_profile;
    RememberedFolders* m_folders;
    // By the target's lower-cased path: the source (lower-cased) and what its copy gave.
    struct Made {
        std::string source;
        CopyResult result;
    };
    std::map<std::string, Made> m_made;
    std::chrono::steady_clock::time_point m_lastPump;
};

// The path as the wide calls take it past MAX_PATH: "\\?\" before a full path of 248
// characters or more (CreateDirectory's limit); any other path unchanged.
[[nodiscard]] std::string LongPath(const std::string& path);

}  // namespace zv::backup
