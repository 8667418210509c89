#pragma once
// The names INF files and the driver store give a processor architecture.
#include <cstdint>
#include <string>

namespace zv {

// How INF files and the store name an architecture.
struct Architecture {
    std::string sources;  // [SourceDisksFiles.<sources>]: "x86", "amd64", "arm64", ...
    std::string catalog;  // CatalogFile.<catalog>: "NTx86", "NTamd64", ...
    std::string store;    // the <arch> of a package folder's name
};
[[nodiscard]] Architecture ArchitectureOf(std::uint16_t processorArchitecture);

}  // namespace zv
