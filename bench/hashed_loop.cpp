// One pass of the bare hashed loop (bench/bare_copy.h), a program of its own so that
// tools/bench-backup.sh times it as it times /backup and the CopyFileA loop, start
// included:
//   hashed_loop LIST ROOT
// LIST holds "source|target below ROOT" lines, as bench/backup_machine.py writes them.
// Exit code 1 when any copy failed.
#include <cstdio>
#include <fstream>
#include <string>

#include "bare_copy.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: hashed_loop LIST ROOT\n");
        return 2;
    }
    std::ifstream list(argv[1], std::ios::binary);
    if (!list) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    int failed = 0;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto bar = line.find('|');
        if (bar == std::string::npos) continue;
        const std::string from = line.substr(0, bar), to = std::string(argv[2]) + "\\" + line.substr(bar + 1);
        zv::bench::MakeParents(to);
        std::uint64_t size = 0;
        if (!zv::bench::BareCopy(from, to, true, &size)) {
            std::fprintf(stderr, "%s: error %lu\n", from.c_str(), ::GetLastError());
            failed = 1;
        }
    }
    return failed;
}
