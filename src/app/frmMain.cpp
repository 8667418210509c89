#include "app/frmMain.h"

#include <memory>
#include <optional>
#include <utility>

#include "app/other_windows.h"
#include "backup/backup_run.h"
#include "inventory/ReadDrivers.h"
#include "inventory/driver_selection.h"
#include "restore/backup_check.h"
#include "restore/restore_run.h"
#include "support/guard.h"

namespace zv {

namespace {

struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
};

}  // namespace

frmMain::frmMain(Env& env, MainControls& controls)
    : m_env(env),
      m_controls(controls),
      m_backupRun([this](Env& e, MainControls& c) {
          if (m_other)
              (void)BackUpOtherWindows(e, c, m_drivers, m_other->description());
          else
              (void)backup::Run(e, c, ShownDrivers(c.lstDrivers, m_drivers));
      }),
      m_restoreRun([this](Env& e, MainControls& c) {
          restore::Options options;
          options.stop = [this] { return m_closeRequested; };
          options.handOverFailure = m_handOverFailure;
          (void)restore::Run(e, c, options);
      }) {}

frmMain::~frmMain() = default;

// One statement per marked line: the line table takes each line as written.
// clang-format off
void frmMain::Form_Load() {
    Guard(m_env, [&](int& erl) {
        LN(302) StartUp(m_env, m_controls.form, m_startUp);
        LN(312) ReadDrivers(m_env, m_controls, &m_drivers);
        LN(315) m_controls.form.setCaption(m_env.app.Appname + " " + m_env.app.CurrentVersion);
    });
    ListRefilled();
}

// Ending the program belongs to the unload statement before it. It runs even when
// the unload failed and was reported: closing is never refused, and a window that
// could not be closed would leave the user no way out.
void frmMain::End() { m_env.os.system.ExitProgram(0); }

void frmMain::Form_QueryUnload(int& /*cancel*/, int /*unloadMode*/) {
    if (DeferCloseDuringRestore()) return;
    Guard(m_env, [&](int& erl) {
        LN(318) m_controls.form.unload();
    });
    End();
}

void frmMain::Form_Unload(int& /*cancel*/) {
    Guard(m_env, [&](int& erl) {
        LN(319) m_controls.form.unload();
    });
    End();
}

void frmMain::mnuAboutZorvane_Click() {
    Guard(m_env, [&](int& erl) {
        LN(320) m_controls.form.showAbout();
    });
}

void frmMain::mnuBackup_Click() {
    Guard(m_env, [&](int& erl) {
        LN(321) cmdBackup_Click();
    });
}

void frmMain::mnuExit_Click() {
    if (DeferCloseDuringRestore()) return;
    Guard(m_env, [&](int& erl) {
        LN(322) m_controls.form.unload();
    });
    End();
}

// clang-format on

void frmMain::chkMicrosoft_Click() {
    if (m_runInProgress) {
        m_rereadAfterRun = !m_rereadAfterRun;  // a second click puts the box back as it was
        return;
    }
    Reread();
}

Env& frmMain::listEnv() {
    return m_other ? m_other->env() : m_env;
}

void frmMain::Reread() {
    DriverLister lister;
    if (m_other)
        lister = [](Env& env, const ICheckBox& check) {
            return OfflineDrivers(env, check, check.value() == 1);
        };
    zv::chkMicrosoft_Click(listEnv(), m_controls, &m_drivers, lister);
    ListRefilled();
}

std::string frmMain::otherWindows() const {
    return m_other ? m_other->description() : "";
}

// The list and the caption switched to other's drivers, or to this PC's for none. Reading the
// list lets messages through: no run may start on half a list, and a click on the box
// meanwhile reads it again afterwards.
void frmMain::Show(std::unique_ptr<OtherWindows> other) {
    {
        Running running(m_runInProgress);
        m_rereadAfterRun = false;
        m_other = std::move(other);
        Reread();
    }
    if (std::exchange(m_rereadAfterRun, false)) Reread();
    const std::string caption = m_env.app.Appname + " " + m_env.app.CurrentVersion;
    m_controls.form.setCaption(m_other ? caption + " - drivers of " + m_other->description() : caption);
}

void frmMain::mnuBackupOtherWindows_Click() {
    if (m_runInProgress) return;
    try {
        IUi& ui = m_env.os.ui;
        const std::optional<std::string> folder = m_env.os.shell.BrowseForFolder(
            m_controls.form.handle(),
            "Select the other Windows: the root of its drive or its Windows folder.", kBifReturnOnlyFsDirs);
        if (!folder) return;
        auto other = std::make_unique<OtherWindows>(m_env);
        // Its hives are read whole, which for a large SYSTEM takes a moment.
        m_controls.form.setMousePointer(kPointerHourglass);
        const bool opened = other->open(*folder);
        m_controls.form.setMousePointer(kPointerDefault);
        if (!opened) {
            (void)ui.MessageBox(other->message() + "\r\n\r\nThe list still shows the drivers it showed.",
                                "Back up another Windows", kMbIconExclamation);
            return;
        }
        Show(std::move(other));
        std::string notes;
        if (m_other->windows().dirty()) notes += "Note: " + DirtyHiveText(m_other->windows(), "the list is");
        if (const std::string dropped = DroppedNamesText(m_other->windows()); !dropped.empty())
            notes += (notes.empty() ? "Note: " : "\r\n\r\nNote: ") + dropped;
        if (!notes.empty()) (void)ui.MessageBox(notes, "Back up another Windows", kMbIconInformation);
    } catch (...) {
        (void)CurrentFailure();
    }
}

void frmMain::mnuBackupThisPc_Click() {
    if (m_runInProgress || !m_other) return;
    try {
        Show(nullptr);
    } catch (...) {
        (void)CurrentFailure();
    }
}

void frmMain::cmdSelect_Click() {
    zv::cmdSelect_Click(m_env, m_controls);
}

void frmMain::cmdInvert_Click() {
    zv::cmdInvert_Click(m_env, m_controls);
}

void frmMain::cmdBackup_Click() {
    if (m_runInProgress) return;
    Running running(m_runInProgress);
    m_rereadAfterRun = false;
    m_backupRun(listEnv(), m_controls);
    m_runInProgress = false;
    if (std::exchange(m_rereadAfterRun, false)) Reread();
}

void frmMain::mnuSelectThisPc_Click() {
    // Only ticks change, as with the list buttons, so this may also run during a backup:
    // the run reads each tick when it reaches the row.
    try {
        IDriverList& list = m_controls.lstDrivers;
        const std::vector<bool> picked = ThisPcsDrivers(m_drivers);
        for (long row = 1, rows = list.count(); row <= rows; ++row) {
            const auto index = static_cast<std::size_t>(list.addedAs(row) - 1);
            const bool on = index < picked.size() && picked[index];
            if (list.checked(row) != on) list.setChecked(row, on);
        }
    } catch (...) {
        (void)CurrentFailure();
    }
}

std::string frmMain::ListRowsText(const std::vector<long>& rows) const {
    return RowsAsText(m_controls.lstDrivers, rows);
}

int frmMain::CompareListCells(int column, const std::string& a, const std::string& b) {
    return CompareCells(column, a, b);
}

void frmMain::ListRefilled() {
    m_signaturesPending = true;
    m_signatureRow = 1;
    m_places.reset();
}

bool frmMain::FillSignatureColumn() {
    if (!m_signaturesPending) return false;
    try {
        IDriverList& list = m_controls.lstDrivers;
        const long rows = list.count();
        // One round over the rows finds the next empty cell; a round without one ends the
        // fill. Rows a sort moved above the last one filled are found in the next round.
        for (long looked = 0; looked < rows; ++looked) {
            if (m_signatureRow < 1 || m_signatureRow > rows) m_signatureRow = 1;
            const long row = m_signatureRow++;
            if (!list.subItem(row, kColSignature).empty()) continue;
            std::string cls = signing::ClassName(signing::SignatureClass::kUnknown);
            try {
                const auto index = static_cast<std::size_t>(list.addedAs(row) - 1);
                if (!m_places) m_places = backup::InstalledPlacesOf(listEnv());
                const backup::InstalledDriver installed =
                    backup::ReadInstalledDriver(listEnv(), *m_places, m_drivers.at(index));
                cls = signing::ClassName(backup::ForecastOf(installed, signing::CleanWindows11()).cls);
            } catch (...) {
                (void)CurrentFailure();  // a driver whose files cannot be read is of no known class
            }
            list.setSubItem(row, kColSignature, cls);
            return true;
        }
    } catch (...) {
        (void)CurrentFailure();
    }
    m_signaturesPending = false;
    return false;
}

void frmMain::mnuVerify_Click() {
    if (m_runInProgress) return;
    Running running(m_runInProgress);
    restore::VerifyChosenFolder(m_env, m_controls);
}

bool frmMain::DeferCloseDuringRestore() {
    if (!m_restoreRunning) return false;
    // Ending the process now would cut Windows' driver installer off in the middle of a
    // driver: the restore stops after the driver at hand and the program ends then.
    m_closeRequested = true;
    m_controls.Status.setSimpleText("Closing once the driver being installed is done...");
    return true;
}

// The restore walks no list rows, but it sets the same bar and status text as a backup
// run, so the two never run at once.
void frmMain::mnuRestore_Click() {
    if (m_runInProgress || !m_restoreRun) return;
    {
        Running running(m_runInProgress);
        Running restoring(m_restoreRunning);
        m_rereadAfterRun = false;
        m_restoreRun(m_env, m_controls);
    }
    if (m_closeRequested) {
        int cancel = 0;
        Form_QueryUnload(cancel, 0);
        return;
    }
    if (std::exchange(m_rereadAfterRun, false)) Reread();
}

}  // namespace zv
