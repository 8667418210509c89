#pragma once
// The driver list: reading the device-class key into driver records, showing them in
// lstDrivers, and the two list commands.
#include <functional>
#include <string>
#include <vector>

#include "inventory/driver_record.h"
#include "support/env.h"
#include "ui/controls.h"

namespace zv {

// The device-class key below HKEY_LOCAL_MACHINE.
inline constexpr const char* kClassKey = "SYSTEM\\CurrentControlSet\\Control\\Class";

// The device cells of a row: the device's name, or this for a driver no device uses,
// and whether the device is present.
inline constexpr const char* kNoDevice = "(no device)";
inline constexpr const char* kPresentYes = "Yes";
inline constexpr const char* kPresentNo = "No";

// One record per instance key whose description is set, in enumeration order, leaving out
// the "microsoft" and provider-less ones unless chkMicrosoft is ticked (asked for each such
// one). Has no failure path of its own: a failing step is skipped and the run goes on.
[[nodiscard]] std::vector<DriverRecord> ListDrivers(Env& env, const ICheckBox& chkMicrosoft);

// A record as the list's cells show it, column by column.
[[nodiscard]] std::vector<std::string> CellsOf(const DriverRecord& record);

// What a listing shows in place of ListDrivers' records (another Windows' drivers with its
// store's packages); an empty one is ListDrivers.
using DriverLister = std::function<std::vector<DriverRecord>(Env& env, const ICheckBox& chkMicrosoft)>;

// Clears lstDrivers and adds one row per record of ListDrivers (or of lister). shown, when
// given, gets the record of each row added, in row order. Skips failing steps as ListDrivers does.
void ReadDrivers(Env& env, MainControls& controls, std::vector<DriverRecord>* shown = nullptr,
                 const DriverLister& lister = {});

// lstDrivers' rows with the records ReadDrivers gave them: the ticks are the list's.
class ShownDrivers : public IDriverRows {
public:
    ShownDrivers(const IDriverList& list, const std::vector<DriverRecord>& records)
        : m_list(list), m_records(records) {}
    long count() const override { return static_cast<long>(m_records.size()); }
    bool ticked(long row) const override { return m_list.checked(row); }
    // The list may have been sorted since: a row's record is the one it was added with.
    const DriverRecord& record(long row) const override {
        return m_records.at(static_cast<std::size_t>(m_list.addedAs(row) - 1));
    }

private:
    const IDriverList& m_list;
    const std::vector<DriverRecord>& m_records;
};

void chkMicrosoft_Click(Env& env, MainControls& controls, std::vector<DriverRecord>* shown = nullptr,
                        const DriverLister& lister = {});
void cmdSelect_Click(Env& env, MainControls& controls);
void cmdInvert_Click(Env& env, MainControls& controls);

}  // namespace zv
