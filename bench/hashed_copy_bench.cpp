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

#include "bare_copy.h"
#include "platform/win32/factories.h"
#include "support/sha256.h"

namespace {

using zv::bench::BareCopy;
using zv::bench::MakeParents;
using Clock = std::chrono::steady_clock;

struct Pair {
    std::string from, to;
};

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
                                : side == 1 ? data->CopyFileHashed(p.from, to, &size, &hex, nullptr, 0)
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
