#pragma once
// What setupapi and the system tell about the driver store and the machine:
// where a published INF's package lies, and the running Windows' architecture.
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace zv {

// GetNativeSystemInfo's wProcessorArchitecture values.
inline constexpr std::uint16_t kProcessorArchitectureIntel = 0;
inline constexpr std::uint16_t kProcessorArchitectureArm = 5;
inline constexpr std::uint16_t kProcessorArchitectureIa64 = 6;
inline constexpr std::uint16_t kProcessorArchitectureAmd64 = 9;
inline constexpr std::uint16_t kProcessorArchitectureArm64 = 12;

class IDriverSetup {
public:
    virtual ~IDriverSetup() = default;
    // SetupGetInfDriverStoreLocationA for a published INF given by its full path: the full
    // path of that INF inside its driver-store package. False where setupapi has no such
    // call (Windows XP, Wine 8) or finds no package.
    virtual bool GetInfDriverStoreLocation(const std::string& infPath, std::string* storeInf) = 0;
    // The architecture of the running Windows, not of this process: a 32-bit build on
    // 64-bit Windows gets kProcessorArchitectureAmd64, an x86 or x64 build on ARM64
    // Windows kProcessorArchitectureArm64. The backup and the restore both go by it.
    virtual std::uint16_t NativeProcessorArchitecture() = 0;
};

}  // namespace zv
