#pragma once
// The main window's logic: its load and close handlers, the menu handlers and
// the command handlers, over the controls the window gives it.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/StartUp.h"
#include "backup/installed_forecast.h"
#include "inventory/driver_record.h"
#include "support/env.h"
#include "ui/controls.h"

namespace zv {

class OtherWindows;

class frmMain {
public:
    frmMain(Env& env, MainControls& controls);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    void Form_Load();
    // Closing is never refused: cancel is left unset and the program ends. During a
    // restore it ends once the driver being installed is done, never inside the installer.
    void Form_QueryUnload(int& cancel, int unloadMode);
    void Form_Unload(int& cancel);
    void mnuAboutZorvane_Click();
    void mnuBackup_Click();
    void mnuExit_Click();
    // File, Restore from backup...: the restore run, kept out while a backup runs and vice versa.
    void mnuRestore_Click();
    // File, Verify backup...: reads only; kept out while a backup or restore runs.
    void mnuVerify_Click();
    // File, Back up another Windows...: asks for the other Windows' folder (the root of its drive
    // or its Windows folder) and shows its drivers in place of this PC's; the list, the box and
    // the backup then work on them. A folder that is no Windows, or whose hives cannot serve, is
    // named in a box and the list stays as it was. Kept out while a run is under way.
    void mnuBackupOtherWindows_Click();
    // File, Back up this PC: this PC's drivers again, after another Windows'.
    void mnuBackupThisPc_Click();
    // The other Windows whose drivers are shown ("D:\Windows, build 19045, amd64"); "" for this PC.
    [[nodiscard]] std::string otherWindows() const;
    void chkMicrosoft_Click();
    void cmdSelect_Click();
    void cmdInvert_Click();
    void cmdBackup_Click();
    // The list's context menu: "Select this PC's drivers" (its "Select all" and "Invert
    // selection" are the buttons' handlers), and what "Copy" puts on the clipboard.
    void mnuSelectThisPc_Click();
    [[nodiscard]] std::string ListRowsText(const std::vector<long>& rows) const;
    // How a click on a column header orders the rows.
    [[nodiscard]] static int CompareListCells(int column, const std::string& a, const std::string& b);
    // The list's Signature column, filled after the list is shown so that reading catalogs
    // never holds it up: each call fills the next row whose cell is empty with the class of
    // its driver's signature, as the forecast for a clean install names it. False once every
    // row has its cell; a refilled list starts again.
    bool FillSignatureColumn();
    [[nodiscard]] bool signaturesPending() const noexcept { return m_signaturesPending; }

    // A backup, restore or verify run is under way (each lets messages through).
    [[nodiscard]] bool runInProgress() const noexcept { return m_runInProgress; }
    // The window was closed during the restore: it stops after the driver at hand.
    [[nodiscard]] bool closeRequested() const noexcept { return m_closeRequested; }
    // What the Backup command runs; tests put a run of their own here.
    using BackupRun = std::function<void(Env&, MainControls&)>;
    void setBackupRun(BackupRun run) { m_backupRun = std::move(run); }
    // What File, Restore from backup... runs; tests put a run of their own here.
    using RestoreRun = std::function<void(Env&, MainControls&)>;
    void setRestoreRun(RestoreRun run) { m_restoreRun = std::move(run); }
    // Why the 32-bit program did not hand over to the 64-bit one, for the restore to tell.
    void setHandOverFailure(std::string why) { m_handOverFailure = std::move(why); }

private:
    void End();
    // lstDrivers was filled again: its Signature cells are empty.
    void ListRefilled();
    // The environment the list and the backup see: the other Windows' while it is shown.
    Env& listEnv();
    // lstDrivers read again from what it shows, as a click on the box does.
    void Reread();
    void Show(std::unique_ptr<OtherWindows> other);
    // True when a restore runs: the close is recorded and happens once it returns.
    bool DeferCloseDuringRestore();

    Env m_env;
    MainControls m_controls;
    StartUpState m_startUp;
    // The record behind each row of lstDrivers, in row order.
    std::vector<DriverRecord> m_drivers;
    // The backup, restore and verify runs let messages through; while one runs, no other
    // run may start (they share the bar and the status text), and the list a backup
    // walks must not be rebuilt.
    bool m_runInProgress = false;
    // The check box clicked during a run: the list is read again once the run is over,
    // so that it matches the box.
    bool m_rereadAfterRun = false;
    bool m_restoreRunning = false;
    bool m_closeRequested = false;
    // The Signature column: rows may still have an empty cell; the next row to look at;
    // where the installed drivers' files are, read at the first row a fill reaches.
    bool m_signaturesPending = false;
    long m_signatureRow = 1;
    std::optional<backup::InstalledPlaces> m_places;
    BackupRun m_backupRun;
    RestoreRun m_restoreRun;
    std::string m_handOverFailure;
    // Set while another Windows' drivers are shown.
    std::unique_ptr<OtherWindows> m_other;
};

}  // namespace zv
