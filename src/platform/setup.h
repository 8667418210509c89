#pragma once
// Driver-store and device installation calls, in the platform's terms: setupapi's
// SetupCopyOEMInfA and device listing, newdev's installers (resolved at run time).
#include <cstddef>
#include <string>
#include <vector>

#include "platform/types.h"

namespace zv {

// SetupCopyOEMInfA media type: the INF's own folder is recorded as its source.
inline constexpr Dword kSpostPath = 1;
// Copy style: fail with kErrorFileExists when the same INF is in the store already.
inline constexpr Dword kSpCopyNoOverwrite = 0x8;
// setupapi and newdev errors the restore tells apart.
inline constexpr Dword kErrorProcNotFound = 127;
inline constexpr Dword kErrorNoSuchDevinst = 0xE000020Bu;
inline constexpr Dword kErrorInWow64 = 0xE0000235u;

class ISetup {
public:
    virtual ~ISetup() = default;
    // SetupCopyOEMInfA(source, no media root, mediaType, style). On success and on
    // kErrorFileExists, destination receives the store's full INF path (the name
    // Windows gave it, oemNN.inf there). False sets lastError.
    virtual bool CopyOEMInf(const std::string& source, Dword mediaType, Dword style, std::string* destination,
                            Dword* lastError) = 0;
    // Hardware and compatible ids of every device present now (SetupDiGetClassDevs with
    // DIGCF_PRESENT | DIGCF_ALLCLASSES). False sets lastError.
    virtual bool PresentDeviceIds(std::vector<std::string>* ids, Dword* lastError) = 0;
    // Installs the INF on the present devices of hardwareId: UpdateDriverForPlugAndPlayDevicesA,
    // or DiInstallDriverA where that is missing, both found in newdev.dll at run time. False
    // sets lastError (kErrorProcNotFound when neither exists; kErrorNoMoreItems when the
    // installed driver is as good already).
    virtual bool InstallOnDevices(const std::string& hardwareId, const std::string& infPath,
                                  bool* rebootNeeded, Dword* lastError) = 0;
};

// Reads whole files; the restore compares INF copies by content.
class IFileContents {
public:
    virtual ~IFileContents() = default;
    // False sets lastError; a file larger than limit is not read (lastError kErrorNotEnoughMemory).
    virtual bool ReadAll(const std::string& path, std::size_t limit, std::string* data, Dword* lastError) = 0;
};

inline constexpr Dword kErrorNotEnoughMemory = 8;

// The seams of the restore, beside the Platform.
struct RestoreSeams {
    ISetup& setup;
    IFileContents& contents;
    // Why the 32-bit program on 64-bit Windows did not hand over to the 64-bit one (its
    // drivers can then only be staged); "" where no hand-over was tried.
    std::string handOverFailure = {};
};

}  // namespace zv
