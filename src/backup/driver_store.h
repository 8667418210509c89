#pragma once
// The driver store of Vista and later: staging a driver copies its whole package into
// system32\DriverStore\FileRepository\<original inf name>_<arch>_<hash>\, and the INF
// folder's oemNN.inf is a byte-identical copy of the package's INF. This finds a
// published INF's package.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "format/architecture.h"
#include "support/env.h"

namespace zv::backup {

class PackageFinder {
public:
    // fileRepository without a trailing separator.
    PackageFinder(Env& env, std::string fileRepository, std::string storeArchitecture);

    // The package folder (no trailing separator) of the published INF at infPath, or "".
    // Asks setupapi where it can; else it looks for the store folder holding an INF that is
    // byte-identical to the published one. The store is listed once, on the first look-up
    // setupapi cannot answer, and INFs are compared by size before their bytes are read.
    [[nodiscard]] std::string find(const std::string& infPath);

    // How many store folders were listed (for the benchmark and the tests).
    [[nodiscard]] std::size_t foldersListed() const { return m_folders; }

private:
    struct StoreInf {
        std::string folder;
        std::string path;
    };
    void index();

    Env& m_env;
    std::string m_repository;
    std::string m_storeArchitecture;
    bool m_indexed = false;
    std::size_t m_folders = 0;
    std::multimap<std::uint64_t, StoreInf> m_bySize;
};

}  // namespace zv::backup
