#pragma once
// Files the program writes: an owner for an open file, and the one writer of whole
// text files (the backup and restore reports, the backup's restore script).
#include <string>

#include "platform/filesystem.h"
#include "support/unique.h"

namespace zv {

// A file opened through the file-system seam, closed through it.
struct SeamFileTraits {
    using Type = Hfile;
    IFileSystem* files = nullptr;
    [[nodiscard]] static constexpr Hfile invalid() noexcept { return kInvalidHfile; }
    void close(Hfile file) const noexcept { (void)files->CloseFile(file); }
};
using OpenedFile = Unique<SeamFileTraits>;

// Makes text the whole content of the file at path. A file already there is deleted first
// (only then: a backup deletes nothing), since opening keeps what is there and an older,
// longer file would keep its tail. Writes until every byte is taken; a close that fails
// counts as a failed write, as the last bytes may not have reached the disk; what a failed
// write left is deleted. 0 when written, else the Windows error.
[[nodiscard]] Dword WriteWholeFile(IFileSystem& files, const std::string& path, const std::string& text);

}  // namespace zv
