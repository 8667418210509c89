#pragma once
// Another Windows installation (not running, on a disk of this machine) as the list and the
// backup see it in place of this one: the platform over its hives and folders, its drivers,
// the notes on how they were read, and the rule that keeps its disk unwritten. The command
// line's /offline and the window's File, Back up another Windows... both go through here.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_result.h"
#include "hive/offline_platform.h"
#include "hive/offline_windows.h"
#include "inventory/driver_record.h"
#include "platform/platform.h"
#include "support/env.h"
#include "ui/controls.h"

namespace zv {

// Whether path lies on the drive (or network share) of the other Windows' folder.
[[nodiscard]] bool OnDriveOf(const std::string& path, const std::string& windowsFolder);

// Why a backup into folder, which lies on the other Windows' drive, is refused.
[[nodiscard]] std::string OnItsDriveText(const std::string& folder, const std::string& windowsFolder);

// The folder browser of a backup from another Windows: a folder on that Windows' drive is
// refused with a box naming why, and the browser shown again, so the run never writes there.
class OfflineShell : public IShell {
public:
    OfflineShell(IShell& inner, IUi& ui, std::string windowsFolder)
        : m_inner(inner), m_ui(ui), m_windows(std::move(windowsFolder)) {}
    std::intptr_t ShellExecute(Hwnd parent, const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) override {
        return m_inner.ShellExecute(parent, verb, file, parameters, directory, showCommand);
    }
    std::optional<std::string> BrowseForFolder(Hwnd owner, const std::string& title, Dword options) override;

private:
    IShell& m_inner;
    IUi& m_ui;
    std::string m_windows;
};

// Another Windows as the runs see it: its hives for the registry, its folders for the
// system's, the devices of its Enum key, its architecture and its store without setupapi,
// and a folder browser that keeps the backup off its disk.
struct OfflinePlatform {
    OfflinePlatform(Platform& real, hive::OfflineWindows& windows);

    // "D:\Windows, build 19045, amd64", each part the hives do not tell "unknown"; a dirty hive
    // is named, since the drivers were read from it without its logs.
    [[nodiscard]] std::string description(const hive::OfflineWindows& windows) const;

    hive::OfflineSystem system;
    std::uint16_t architecture = 0;
    bool known;
    hive::OfflineSetup setup;
    hive::OfflineDevices devices;
    OfflineShell shell;
    Platform os;
};

// The other Windows' drivers: those of its hive, then the store's packages none of them uses.
[[nodiscard]] std::vector<DriverRecord> OfflineDrivers(Env& env, const ICheckBox& check, bool microsoft);

// That the other Windows' registry was not closed cleanly, for what was read from it ("the list
// is", "the drivers are").
[[nodiscard]] std::string DirtyHiveText(const hive::OfflineWindows& windows, const std::string& what);
// How many registry names were left out of what was read; "" when none was.
[[nodiscard]] std::string DroppedNamesText(const hive::OfflineWindows& windows);

// The other Windows the main window shows in place of this PC's: opened from its folder, with
// the environment the list and the backup use while it is shown. Holds references into
// itself: it stays where it was made.
class OtherWindows {
public:
    explicit OtherWindows(Env& thisPc) : m_thisPc(thisPc) {}
    OtherWindows(const OtherWindows&) = delete;
    OtherWindows& operator=(const OtherWindows&) = delete;

    // folder: the root of its drive or its Windows folder. False, with message() saying why,
    // when it is no Windows or its hives cannot serve.
    [[nodiscard]] bool open(const std::string& folder);
    [[nodiscard]] const std::string& message() const { return m_windows.message; }
    [[nodiscard]] Env& env() { return *m_env; }
    [[nodiscard]] const hive::OfflineWindows& windows() const { return m_windows; }
    [[nodiscard]] std::string description() const { return m_platform->description(m_windows); }

private:
    Env& m_thisPc;
    hive::OfflineWindows m_windows;
    std::optional<OfflinePlatform> m_platform;
    std::optional<Env> m_env;
};

// The window's backup of the other Windows' listed rows: the ticked drivers through the run's
// steps, then the ticked packages only its store holds, the report naming offlineWindows.
// A package is never backed up alone: with no driver ticked, a box says so and nothing runs.
backup::BackupResult BackUpOtherWindows(Env& env, MainControls& controls,
                                        const std::vector<DriverRecord>& shown,
                                        const std::string& offlineWindows);

}  // namespace zv
