#pragma once
// Another Windows installation on a disk of this machine (not running): where its Windows
// folder is, and its SYSTEM and DRIVERS hives, read once into memory. Nothing on that disk is
// written or locked.
#include <cstdint>
#include <memory>
#include <string>

#include "hive/hive_file.h"
#include "hive/hive_registry.h"
#include "platform/file_data.h"
#include "platform/filesystem.h"
#include "platform/locale.h"

namespace zv::hive {

enum class OfflineStatus {
    kOk,
    kNotAWindows,   // neither the folder nor its Windows folder holds System32\config
    kHiveMissing,   // config holds no SYSTEM hive, or it cannot be read
    kHiveDamaged,   // SYSTEM or DRIVERS is truncated, damaged or not a hive at all
    kNoControlSet,  // Select\Current names a control set that SYSTEM lacks
};

// Hives are large (a SYSTEM of several hundred MB is seen on long-lived machines), but not this large.
inline constexpr std::uint64_t kLargestHive = 512ull * 1024 * 1024;

struct OfflineWindows {
    std::string windowsFolder;  // "D:\Windows"
    HiveFile system;
    HiveFile drivers;
    bool hasDrivers = false;  // Windows 10 and later keep the driver database in a hive of its own
    HiveFile software;        // only for naming the Windows: a missing or damaged one costs nothing else
    bool hasSoftware = false;
    std::unique_ptr<HiveRegistry> registry;
    // What the status means, in a sentence naming the folder or file.
    std::string message;

    [[nodiscard]] bool dirty() const {
        return system.state().dirty() || (hasDrivers && drivers.state().dirty());
    }
};

// folder: the root of the other Windows' drive ("D:\") or its Windows folder ("D:\Windows").
// On kOk, out->registry serves the hives as the running Windows' registry would.
[[nodiscard]] OfflineStatus OpenOfflineWindows(IFileSystem& files, IFileData& data, ILocale& locale,
                                               const std::string& folder, OfflineWindows* out);

}  // namespace zv::hive
