#include "app/other_windows.h"

#include <algorithm>
#include <utility>

#include "backup/backup_run.h"
#include "backup/store_only.h"
#include "format/architecture.h"
#include "inventory/ReadDrivers.h"
#include "support/text.h"

namespace zv {
namespace {

// The listed rows less the packages only the store holds, which the run's steps do not take.
class DriverRowsOnly : public IDriverRows {
public:
    DriverRowsOnly(const IDriverList& list, const std::vector<DriverRecord>& shown) : m_all(list, shown) {
        for (long row = 1, rows = m_all.count(); row <= rows; ++row)
            if (m_all.record(row).storePackage.empty()) m_rows.push_back(row);
    }
    long count() const override { return static_cast<long>(m_rows.size()); }
    bool ticked(long row) const override { return m_all.ticked(at(row)); }
    const DriverRecord& record(long row) const override { return m_all.record(at(row)); }

private:
    long at(long row) const { return m_rows.at(static_cast<std::size_t>(row - 1)); }
    ShownDrivers m_all;
    std::vector<long> m_rows;
};

}  // namespace

bool OnDriveOf(const std::string& path, const std::string& windowsFolder) {
    const auto volume = [](const std::string& p) {
        if (p.size() >= 2 && p[1] == ':') return p.substr(0, 2);
        // \\server\share: the first two names.
        const std::size_t share = p.rfind("\\\\", 0) == 0 ? p.find('\\', 2) : std::string::npos;
        const std::size_t end = share == std::string::npos ? std::string::npos : p.find('\\', share + 1);
        return p.substr(0, end);
    };
    return EqualsNoCase(volume(path), volume(windowsFolder));
}

std::string OnItsDriveText(const std::string& folder, const std::string& windowsFolder) {
    return "The backup cannot go to " + folder.substr(0, 2) + ", the drive of " + windowsFolder +
           ": nothing is written to the disk of the Windows being backed up. Pick a folder on another drive, "
           "such as a USB stick.";
}

std::optional<std::string> OfflineShell::BrowseForFolder(Hwnd owner, const std::string& title,
                                                         Dword options) {
    for (;;) {
        std::optional<std::string> folder = m_inner.BrowseForFolder(owner, title, options);
        if (!folder || !OnDriveOf(*folder, m_windows)) return folder;
        (void)m_ui.MessageBox(OnItsDriveText(*folder, m_windows), "Backup", kMbIconExclamation);
    }
}

OfflinePlatform::OfflinePlatform(Platform& real, hive::OfflineWindows& windows)
    : system(real.system, windows.windowsFolder),
      known(hive::OfflineArchitecture(*windows.registry, &architecture)),
      setup(known ? architecture : real.setup.NativeProcessorArchitecture()),
      devices(*windows.registry, real.locale),
      shell(real.shell, real.ui, windows.windowsFolder),
      os{*windows.registry, real.profile, system,    real.files,  real.internet, shell,
         real.ui,           setup,        real.data, real.locale, devices,       real.signatures} {}

std::string OfflinePlatform::description(const hive::OfflineWindows& windows) const {
    const std::string build = hive::OfflineBuild(*windows.registry);
    return windows.windowsFolder + ", build " + (build.empty() ? "unknown" : build) + ", " +
           (known ? ArchitectureOf(architecture).sources : "unknown") +
           (windows.dirty() ? ", registry not closed cleanly" : "");
}

std::vector<DriverRecord> OfflineDrivers(Env& env, const ICheckBox& check, bool microsoft) {
    std::vector<DriverRecord> drivers = ListDrivers(env, check);
    for (DriverRecord& r : backup::StoreOnlyPackages(env, drivers, microsoft))
        drivers.push_back(std::move(r));
    return drivers;
}

std::string DirtyHiveText(const hive::OfflineWindows& windows, const std::string& what) {
    return "the registry of " + windows.windowsFolder +
           " was not closed cleanly (Windows stopped while writing it); " + what +
           " read from the hive as it is, without its logs.";
}

std::string DroppedNamesText(const hive::OfflineWindows& windows) {
    const std::size_t dropped = windows.registry ? windows.registry->droppedNames() : 0;
    if (dropped == 0) return "";
    return (dropped == 1 ? std::string("1 registry name is left out: this Windows' code page cannot hold it")
                         : std::to_string(dropped) +
                               " registry names are left out: this Windows' code page cannot hold them") +
           " unchanged.";
}

bool OtherWindows::open(const std::string& folder) {
    Platform& os = m_thisPc.os;
    const hive::OfflineStatus status =
        hive::OpenOfflineWindows(os.files, os.data, os.locale, folder, &m_windows);
    // The running Windows holds its own hives to itself, and its drivers are this PC's list.
    char running[261] = {};
    const Dword n = os.system.GetWindowsDirectory(running, sizeof running);
    if (!m_windows.windowsFolder.empty() && n > 0 && n < sizeof running &&
        EqualsNoCase(m_windows.windowsFolder, std::string(running, n))) {
        m_windows.registry.reset();
        m_windows.message = m_windows.windowsFolder +
                            " is the Windows running now: its drivers are those File, Back up this PC shows.";
        return false;
    }
    if (status != hive::OfflineStatus::kOk) return false;
    m_platform.emplace(os, m_windows);
    m_env.emplace(Env{m_platform->os, m_thisPc.errors, m_thisPc.app});
    return true;
}

backup::BackupResult BackUpOtherWindows(Env& env, MainControls& c, const std::vector<DriverRecord>& shown,
                                        const std::string& offlineWindows) {
    backup::BackupOptions options;
    options.offlineWindows = offlineWindows;
    const ShownDrivers all(c.lstDrivers, shown);
    bool driverTicked = false;
    for (long row = 1, rows = all.count(); row <= rows; ++row) {
        if (!all.ticked(row)) continue;
        if (all.record(row).storePackage.empty())
            driverTicked = true;
        else
            options.storePackages.push_back(all.record(row));
    }
    if (!driverTicked && !options.storePackages.empty()) {
        (void)env.os.ui.MessageBox(
            "A package only the driver store holds is backed up together with the drivers: tick a driver of "
            "the list as well.",
            "Driver", kMbIconInformation);
        return {};
    }
    return backup::Run(env, c, DriverRowsOnly(c.lstDrivers, shown), options);
}

}  // namespace zv
