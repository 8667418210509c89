#include "format/architecture.h"

#include "platform/driver_setup.h"

namespace zv {

Architecture ArchitectureOf(std::uint16_t processorArchitecture) {
    switch (processorArchitecture) {
        case kProcessorArchitectureAmd64: return {"amd64", "NTamd64", "amd64"};
        case kProcessorArchitectureArm64: return {"arm64", "NTarm64", "arm64"};
        case kProcessorArchitectureIa64: return {"ia64", "NTia64", "ia64"};
        case kProcessorArchitectureArm: return {"arm", "NTarm", "arm"};
        default: return {"x86", "NTx86", "x86"};
    }
}

}  // namespace zv
