#pragma once
// The driver store, the devices present and the driver installer, in the platform's
// terms: setupapi's store look-up, SetupCopyOEMInfA and device listing, newdev's
// installers (resolved at run time), and the running Windows' architecture. Each
// failing call leaves its error for GetLastError().
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace zv {

// GetNativeSystemInfo's wProcessorArchitecture values.
inline constexpr std::uint16_t kProcessorArchitectureIntel = 0;
inline constexpr std::uint16_t kProcessorArchitectureArm = 5;
inline constexpr std::uint16_t kProcessorArchitectureIa64 = 6;
inline constexpr std::uint16_t kProcessorArchitectureAmd64 = 9;
inline constexpr std::uint16_t kProcessorArchitectureArm64 = 12;

// SetupCopyOEMInfA media type: the INF's own folder is recorded as its source.
inline constexpr Dword kSpostPath = 1;
// Copy style: fail with kErrorFileExists when the same INF is in the store already.
inline constexpr Dword kSpCopyNoOverwrite = 0x8;
// setupapi and newdev errors the restore tells apart.
inline constexpr Dword kErrorProcNotFound = 127;
inline constexpr Dword kErrorNoSuchDevinst = 0xE000020Bu;
inline constexpr Dword kErrorInWow64 = 0xE0000235u;

class IDriverSetup {
public:
    virtual ~IDriverSetup() = default;
    [[nodiscard]] virtual Dword GetLastError() const = 0;
    // SetupGetInfDriverStoreLocationA for a published INF given by its full path: the full
    // path of that INF inside its driver-store package. False where setupapi has no such
    // call (Windows XP, Wine 8) or finds no package; the look-up leaves no error.
    virtual bool GetInfDriverStoreLocation(const std::string& infPath, std::string* storeInf) = 0;
    // The architecture of the running Windows, not of this process: a 32-bit build on
    // 64-bit Windows gets kProcessorArchitectureAmd64, an x86 or x64 build on ARM64
    // Windows kProcessorArchitectureArm64. The backup and the restore both go by it.
    virtual std::uint16_t NativeProcessorArchitecture() = 0;
    // SetupCopyOEMInfA(source, no media root, mediaType, style). On success and on
    // kErrorFileExists, destination receives the store's full INF path (the name
    // Windows gave it, oemNN.inf there).
    virtual bool CopyOEMInf(const std::string& source, Dword mediaType, Dword style,
                            std::string* destination) = 0;
    // Hardware and compatible ids of every device present now (SetupDiGetClassDevs with
    // DIGCF_PRESENT | DIGCF_ALLCLASSES).
    virtual bool PresentDeviceIds(std::vector<std::string>* ids) = 0;
    // Installs the INF on the present devices of hardwareId: UpdateDriverForPlugAndPlayDevicesA,
    // or DiInstallDriverA where that is missing, both found in newdev.dll at run time.
    // Fails with kErrorProcNotFound when neither exists, kErrorNoMoreItems when the installed
    // driver is as good already.
    virtual bool InstallOnDevices(const std::string& hardwareId, const std::string& infPath,
                                  bool* rebootNeeded) = 0;
};

}  // namespace zv
