// The hashed copy against a plain CopyFileA loop over the same files, alternating, each
// run into a fresh folder (removed again, untimed); with them, as the floor of any copy that
// hashes what it writes, a bare ReadFile/WriteFile loop in 512 KB chunks, without a hash and
// hashing each chunk on the same thread; then SHA-256 alone by both routines.
//   hashed_copy_bench LIST ROOT [RUNS]
// LIST holds "source|target below the root" lines, as bench/backup_machine.py writes them.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/factories.h"
#include "support/sha256.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Pair {
    std::string from, to;
};

void MakeParents(const std::string& path) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

// The bare loop: no attributes, times or sharing rules, one buffer.
bool BareCopy(const std::string& from, const std::string& to, bool hashIt, std::uint64_t* size) {
    static std::vector<char> buffer(std::size_t{512} << 10);
    const HANDLE src = ::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (src == INVALID_HANDLE_VALUE) return false;
    const HANDLE dst =
        ::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = dst != INVALID_HANDLE_VALUE;
    zv::Sha256 hash;
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

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: hashed_copy_bench LIST ROOT [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    std::vector<Pair> pairs;
    std::ifstream list(argv[1]);
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto bar = line.find('|');
        if (bar != std::string::npos) pairs.push_back({line.substr(0, bar), line.substr(bar + 1)});
    }
    auto data = zv::win32::MakeFileData();
    std::uint64_t bytes = 0;
    // 0: CopyFileA, 1: CopyFileHashed, 2: the bare loop, 3: the bare loop hashing.
    std::vector<double> times[4];
    for (int r = 0; r < runs; ++r) {
        for (int side = 0; side < 4; ++side) {
            const std::string root = std::string(argv[2]) + "\\side" + std::to_string(side);
            const auto start = Clock::now();
            std::uint64_t total = 0;
            for (const Pair& p : pairs) {
                const std::string to = root + "\\" + p.to;
                MakeParents(to);
                std::uint64_t size = 0;
                std::string hex;
                const bool ok = side == 0   ? ::CopyFileA(p.from.c_str(), to.c_str(), FALSE) != 0
                                : side == 1 ? data->CopyFileHashed(p.from, to, &size, &hex)
                                            : BareCopy(p.from, to, side == 3, &size);
                if (!ok) std::fprintf(stderr, "%s: error %lu\n", p.from.c_str(), ::GetLastError());
                total += size;
            }
            const double s = std::chrono::duration<double>(Clock::now() - start).count();
            times[side].push_back(s);
            if (side == 1) bytes = total;
            std::error_code ec;
            std::filesystem::remove_all(root, ec);
        }
    }
    const double mb = static_cast<double>(bytes) / (1 << 20);
    const double p = Median(times[0]);
    std::printf("%zu files, %.0f MB, medians of %d runs:\n", pairs.size(), mb, runs);
    std::printf("  CopyFileA loop       %6.3f s  %5.0f MB/s\n", p, mb / p);
    const char* names[] = {"", "CopyFileHashed loop", "bare loop, no hash", "bare loop, hashing"};
    for (int side = 1; side < 4; ++side) {
        const double t = Median(times[side]);
        std::printf("  %-20s %6.3f s  %5.0f MB/s  (%.2fx the copy loop's throughput)\n", names[side], t,
                    mb / t, p / t);
    }

    std::vector<unsigned char> block(64u << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<unsigned char>(i * 131 + (i >> 12));
    for (bool portable : {false, true}) {
        zv::Sha256::ForcePortable(portable);
        if (!portable && !zv::Sha256::UsesShaInstructions()) continue;
        const auto start = Clock::now();
        zv::Sha256 hash;
        hash.update(block.data(), block.size());
        (void)hash.final();
        const double s = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("  SHA-256 alone, %-16s %5.0f MB/s\n",
                    portable ? "portable:" : "SHA instructions:", 64 / s);
    }
    return 0;
}
