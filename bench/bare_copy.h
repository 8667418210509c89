// The floor of a copy that hashes what it writes, shared by the copy benchmarks: a bare
// ReadFile/WriteFile loop in 512 KB chunks, without attributes, times or sharing rules.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/sha256.h"

namespace zv::bench {

// The target's folders, as the CopyFileA loop makes them: one CreateDirectoryA for each.
inline void MakeParents(const std::string& path) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

// Copies from over to, hashing each chunk on this thread when hashIt; adds the bytes to *size.
inline bool BareCopy(const std::string& from, const std::string& to, bool hashIt, std::uint64_t* size) {
    static std::vector<char> buffer(std::size_t{512} << 10);
    const HANDLE src = ::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (src == INVALID_HANDLE_VALUE) return false;
    const HANDLE dst =
        ::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = dst != INVALID_HANDLE_VALUE;
    Sha256 hash;
    DWORD n = 0, written = 0;
    while (ok && (ok = ::ReadFile(src, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) && n) {
        ok = ::WriteFile(dst, buffer.data(), n, &written, nullptr) && written == n;
        if (hashIt) hash.update(buffer.data(), n);
        *size += n;
    }
    if (hashIt) (void)hash.final();
    if (dst != INVALID_HANDLE_VALUE) ::CloseHandle(dst);
    ::CloseHandle(src);
    return ok;
}

}  // namespace zv::bench
