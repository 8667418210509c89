#include "hive/offline_windows.h"

namespace zv::hive {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool IsFolder(IFileSystem& files, const std::string& path) {
    const Dword a = files.GetFileAttributes(path);
    return a != kInvalidFileAttributes && (a & kFileAttributeDirectory);
}

const char* Why(LoadStatus s) {
    switch (s) {
        case LoadStatus::kNotAHive: return "is not a registry hive";
        case LoadStatus::kTruncated: return "is cut short (truncated)";
        case LoadStatus::kDamaged: return "is damaged";
        case LoadStatus::kOk: break;
    }
    return "";
}

}  // namespace

OfflineStatus OpenOfflineWindows(IFileSystem& files, IFileData& data, ILocale& locale,
                                 const std::string& folder, OfflineWindows* out) {
    out->registry.reset();
    out->hasDrivers = false;
    out->hasSoftware = false;
    for (const std::string& candidate : {folder, Join(folder, "Windows")}) {
        if (IsFolder(files, Join(candidate, "System32\\config"))) {
            out->windowsFolder = candidate;
            break;
        }
        out->windowsFolder.clear();
    }
    if (out->windowsFolder.empty()) {
        out->message =
            folder + " is not a Windows installation: neither it nor " + Join(folder, "Windows") +
            " holds System32\\config. Give the root of the other Windows' drive or its Windows folder.";
        return OfflineStatus::kNotAWindows;
    }
    const std::string config = Join(out->windowsFolder, "System32\\config");
    const auto load = [&](const std::string& name, HiveFile& hive, bool* found) {
        const std::string path = Join(config, name);
        std::string bytes;
        *found = files.GetFileAttributes(path) != kInvalidFileAttributes;
        if (!*found) return OfflineStatus::kHiveMissing;
        if (!data.ReadWholeFile(path, kLargestHive, &bytes)) {
            const Dword error = data.GetLastError();
            // Read as shared as Windows lets a file be: only a program holding it wholly to
            // itself keeps it from us, as Windows does with a hive it has loaded.
            out->message =
                "The registry hive " + path + " cannot be read (Windows error " + std::to_string(error) +
                ")" +
                (error == kErrorSharingViolation
                     ? ": another program holds it open for itself alone. A hive loaded into this "
                       "PC's registry (as Registry Editor's Load Hive does) is held so: unload it, "
                       "or close that program, and try again."
                     : ".");
            return OfflineStatus::kHiveMissing;
        }
        const LoadStatus s = hive.Load(std::move(bytes));
        if (s != LoadStatus::kOk) {
            out->message = "The registry hive " + path + " " + Why(s) +
                           ": the drivers of this Windows cannot be listed from it.";
            return OfflineStatus::kHiveDamaged;
        }
        return OfflineStatus::kOk;
    };
    bool found = false;
    OfflineStatus s = load("SYSTEM", out->system, &found);
    if (!found) {
        out->message = out->windowsFolder + " holds no registry hive " + Join(config, "SYSTEM") + ".";
        return OfflineStatus::kHiveMissing;
    }
    if (s != OfflineStatus::kOk) return s;
    s = load("DRIVERS", out->drivers, &out->hasDrivers);
    if (out->hasDrivers && s != OfflineStatus::kOk) return s;

    out->registry = std::make_unique<HiveRegistry>(locale);
    out->registry->Mount("SYSTEM", out->system);
    if (out->hasDrivers) out->registry->Mount("DRIVERS", out->drivers);
    out->hasSoftware = load("SOFTWARE", out->software, &found) == OfflineStatus::kOk;
    if (out->hasSoftware) out->registry->Mount("SOFTWARE", out->software);
    if (!out->registry->hasCurrentControlSet()) {
        out->message = out->registry->currentControlSet() == 0
                           ? "The registry hive " + Join(config, "SYSTEM") +
                                 " names no current control set (Select\\Current)."
                           : "The registry hive " + Join(config, "SYSTEM") + " has no " +
                                 out->registry->currentControlSetName() +
                                 ", the control set its Select\\Current names.";
        out->registry.reset();
        return OfflineStatus::kNoControlSet;
    }
    out->message.clear();
    return OfflineStatus::kOk;
}

}  // namespace zv::hive
