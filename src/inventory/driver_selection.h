#pragma once
// What the list's menu and the command line do with the drivers beyond the two list
// commands: pick this PC's drivers, order rows by a column, copy rows as text.
#include <string>
#include <vector>

#include "inventory/driver_record.h"
#include "ui/controls.h"

namespace zv {

// Which of the records are this PC's drivers, record for record: those whose device is
// present, one per INF name and provider (the newest version, then the newest date; records
// of one description and provider count as one driver too), leaving out virtual display
// adapters, remote-desktop devices and the printer packages that come with Windows.
[[nodiscard]] std::vector<bool> ThisPcsDrivers(const std::vector<DriverRecord>& records);

// Orders two cells of a column: versions by their numbers ("10.0.2" after "9.1"), dates
// ("month-day-year", as the registry holds them) by year, month and day, the rest as text
// without regard to case. Negative, zero or positive.
[[nodiscard]] int CompareCells(int column, const std::string& a, const std::string& b);

// The rows (1-based positions) as text: every column, tab-separated, one line per row.
[[nodiscard]] std::string RowsAsText(const IDriverList& list, const std::vector<long>& rows);

}  // namespace zv
