#include "support/file_writer.h"

#include <algorithm>

namespace zv {

Dword WriteWholeFile(IFileSystem& files, const std::string& path, const std::string& text) {
    if (files.GetFileAttributes(path) != kInvalidFileAttributes && !files.DeleteFile(path))
        return files.GetLastError();
    OpenedFile file(files.OpenForWrite(path), SeamFileTraits{&files});
    if (!file) return files.GetLastError();
    Dword error = 0;
    for (std::size_t done = 0; done < text.size();) {
        const Dword chunk = static_cast<Dword>(std::min<std::size_t>(text.size() - done, 1u << 20));
        Dword written = 0;
        if (!files.WriteFile(file.get(), text.data() + done, chunk, &written) || written == 0) {
            error = files.GetLastError();
            if (error == 0) error = static_cast<Dword>(kErrorDiskFull);
            break;
        }
        done += written;
    }
    if (!files.CloseFile(file.release()) && error == 0) error = files.GetLastError();
    // A file cut short (a full disk) is no file: a report under its name would vouch for a
    // backup by the part it holds, and a script would stop halfway.
    if (error != 0) (void)files.DeleteFile(path);
    return error;
}

}  // namespace zv
